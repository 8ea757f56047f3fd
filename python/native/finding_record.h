// One finding as the Python module reports it: what matched and where.
#ifndef VMUND_PYTHON_NATIVE_FINDING_RECORD_H_
#define VMUND_PYTHON_NATIVE_FINDING_RECORD_H_

#include <cstddef>
#include <string>

namespace vmund {
namespace python {

// Offsets count code points of the part's text, as Python's str does, so
// that part_text[start:end] is the match.
struct FindingRecord {
  std::string dictionary;  // the dictionary whose item matched
  size_t item = 0;         // index of that item in its dictionary
  std::string kind;        // identifier kind or pattern type name
  size_t part = 0;         // index of the part in the message
  std::string partLabel;
  size_t start = 0;  // code points
  size_t end = 0;    // code points, one past the match
  std::string masked;  // the matched value with its identifying characters masked
};

}  // namespace python
}  // namespace vmund

#endif  // VMUND_PYTHON_NATIVE_FINDING_RECORD_H_
