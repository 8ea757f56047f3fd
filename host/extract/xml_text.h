// A streaming XML reader (expat) for the text extractors: element starts and
// ends by local name (namespace prefixes differ between producers, the local
// names do not), character data, and a cap on the text they collect.
#ifndef VMUND_HOST_EXTRACT_XML_TEXT_H_
#define VMUND_HOST_EXTRACT_XML_TEXT_H_

#include <string>
#include <string_view>

namespace vmund {

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // `attrs`: expat's NULL-terminated name/value list; names are
  // "namespace|local" when namespaced.
  virtual void start(std::string_view local, char const** attrs) = 0;
  virtual void end(std::string_view local) = 0;
  virtual void chars(std::string_view text) = 0;
};

// Feeds `xml` to `handler`. Returns "" or expat's error with its line. DTDs
// never load anything from outside, and entity expansion is bounded by
// expat's own amplification limits.
std::string parseXml(std::string_view xml, XmlHandler& handler);

// The value of the attribute whose local name is `local` ("" if absent).
// `nsSuffix`, when not empty, must end the attribute's namespace.
std::string_view xmlAttr(char const** attrs, std::string_view local, std::string_view nsSuffix = "");

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_XML_TEXT_H_
