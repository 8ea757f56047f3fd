// The template folder; see template_folder.h.
#include "host/template_folder.h"

#include "vessamund/factory.h"

namespace vmund {

void useTemplateFolder(std::string const& dir) {
  for (std::string& path : Vessamund::predefined_dictionary_file_paths) {
    if (path.empty()) continue;
    path = dir + "/" + path.substr(path.rfind('/') + 1);
  }
}

}  // namespace vmund
