// Where the template files are read from.
#ifndef VMUND_HOST_TEMPLATE_FOLDER_H_
#define VMUND_HOST_TEMPLATE_FOLDER_H_

#include <string>

namespace vmund {

// Points every template entry of Vessamund::predefined_dictionary_file_paths
// at the same file name under `dir` (`vmund scan --templates`, the milter's
// `templates`). Not thread-safe: call before any scanner is loaded.
void useTemplateFolder(std::string const& dir);

}  // namespace vmund

#endif  // VMUND_HOST_TEMPLATE_FOLDER_H_
