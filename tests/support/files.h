// Files and text for tests: reading a file whole, writing one, and looking
// for a piece of text in another.
#ifndef VESSAMUND_TESTS_SUPPORT_FILES_H_
#define VESSAMUND_TESTS_SUPPORT_FILES_H_

#include <fstream>
#include <sstream>
#include <string>

namespace vmund_test {

inline std::string slurpFile(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void writeFile(std::string const& path, std::string const& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline bool contains(std::string const& hay, std::string const& needle) {
  return hay.find(needle) != std::string::npos;
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_FILES_H_
