// The text of data/schema.sql, for test fixtures that build configuration
// databases of either backend.
#ifndef VESSAMUND_TESTS_SUPPORT_SCHEMA_SQL_H_
#define VESSAMUND_TESTS_SUPPORT_SCHEMA_SQL_H_

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace vmund_test {

inline std::string readSchema() {
  std::ifstream in(std::string(VMUND_SOURCE_DIR) + "/data/schema.sql");
  std::stringstream text;
  text << in.rdbuf();
  if (text.str().empty()) throw std::runtime_error("data/schema.sql not readable");
  return text.str();
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_SCHEMA_SQL_H_
