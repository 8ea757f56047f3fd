#include "host/extract/xml_text.h"

#include <expat.h>

#include <memory>

namespace vmund {
namespace {

constexpr char kSep = '|';

std::string_view localOf(char const* name) {
  std::string_view n(name);
  size_t bar = n.rfind(kSep);
  return bar == std::string_view::npos ? n : n.substr(bar + 1);
}

void XMLCALL onStart(void* data, XML_Char const* name, XML_Char const** attrs) {
  static_cast<XmlHandler*>(data)->start(localOf(name), attrs);
}
void XMLCALL onEnd(void* data, XML_Char const* name) {
  static_cast<XmlHandler*>(data)->end(localOf(name));
}
void XMLCALL onChars(void* data, XML_Char const* s, int len) {
  static_cast<XmlHandler*>(data)->chars(std::string_view(s, static_cast<size_t>(len)));
}

struct FreeParser {
  void operator()(XML_Parser p) const { XML_ParserFree(p); }
};

}  // namespace

std::string parseXml(std::string_view xml, XmlHandler& handler) {
  std::unique_ptr<XML_ParserStruct, FreeParser> parser(XML_ParserCreateNS("UTF-8", kSep));
  if (!parser) return "out of memory";
  XML_Parser p = parser.get();
  XML_SetUserData(p, &handler);
  XML_SetElementHandler(p, onStart, onEnd);
  XML_SetCharacterDataHandler(p, onChars);
  XML_SetParamEntityParsing(p, XML_PARAM_ENTITY_PARSING_NEVER);
  // Large parts go in slices: one call takes at most INT_MAX bytes.
  size_t const kSlice = 1 << 24;
  for (size_t off = 0;; off += kSlice) {
    size_t n = xml.size() - off < kSlice ? xml.size() - off : kSlice;
    bool last = off + n >= xml.size();
    if (XML_Parse(p, xml.data() + off, static_cast<int>(n), last) == XML_STATUS_ERROR)
      return std::string(XML_ErrorString(XML_GetErrorCode(p))) + " at line " +
             std::to_string(XML_GetCurrentLineNumber(p));
    if (last) return "";
  }
}

std::string_view xmlAttr(char const** attrs, std::string_view local, std::string_view nsSuffix) {
  for (; attrs && attrs[0]; attrs += 2) {
    std::string_view name(attrs[0]);
    size_t bar = name.rfind(kSep);
    std::string_view l = bar == std::string_view::npos ? name : name.substr(bar + 1);
    if (l != local) continue;
    if (!nsSuffix.empty()) {
      std::string_view ns = bar == std::string_view::npos ? "" : name.substr(0, bar);
      if (ns.size() < nsSuffix.size() || ns.substr(ns.size() - nsSuffix.size()) != nsSuffix) continue;
    }
    return attrs[1];
  }
  return "";
}

}  // namespace vmund
