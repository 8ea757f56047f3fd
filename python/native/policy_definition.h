// What a Python Policy is made of: where its dictionaries come from and which
// scanners it runs. The definition is all a Policy's state, so it is what a
// pickle carries to another process.
#ifndef VMUND_PYTHON_NATIVE_POLICY_DEFINITION_H_
#define VMUND_PYTHON_NATIVE_POLICY_DEFINITION_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "admin/item_row.h"
#include "host/scanner_request.h"

namespace vmund {
namespace python {

struct PolicyDefinition {
  // Folder of fe_content.db; "" means $VMUND_DB_DIR or the library's default.
  // Ignored when `fromRows` is set.
  std::string dbDir;
  // Folder of the template files; "" keeps the library's built-in paths.
  std::string templateDir;
  std::vector<ScannerRequest> scanners;  // in the order of their results
  unsigned long threshold = 100;
  double timeoutSeconds = 10;  // per message; 0 = no budget

  // A policy given as rows: a private database is written from these, the
  // scanners are loaded from it, and it is removed again.
  bool fromRows = false;
  std::vector<std::pair<std::string, std::vector<admin::ItemRow>>> dictionaries;
  std::vector<std::pair<std::string, std::vector<std::string>>> groups;

  // A canonical JSON text of every field: equal definitions give equal text,
  // so it serves as the pickle state and as the per-process cache key.
  std::string toJson() const;
  // Reads toJson()'s text back. Throws std::invalid_argument on text that is
  // not such a definition.
  static PolicyDefinition fromJson(std::string const& text);
};

}  // namespace python
}  // namespace vmund

#endif  // VMUND_PYTHON_NATIVE_POLICY_DEFINITION_H_
