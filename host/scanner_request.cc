// Parsing and naming scanner requests; see scanner_request.h.
#include "host/scanner_request.h"

namespace vmund {

std::string nameProblem(std::string const& name) {
  if (name.empty()) return "empty name";
  if (name.size() > 255) return "name longer than 255 bytes";
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7f) return "name holds a control character";
    if (c == ';' || c == ':') return "name holds \"" + std::string(1, static_cast<char>(c)) +
                                     "\" (it separates the entries of score records)";
  }
  return std::string();
}

std::string parseScannerRequest(std::string const& source, std::string const& text,
                                ScannerRequest& out) {
  ScannerRequest r;
  r.name = text;
  if (source == "template") {
    r.source = ScannerRequest::kTemplate;
    size_t colon = text.find(':');
    std::string const number = text.substr(0, colon);
    if (colon == std::string::npos || number.empty() || number.size() > 3 ||
        number.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(number) < 512 || std::stoul(number) > 540)
      return "template \"" + text + "\": expected NUMBER:NAME with a number from 512 to 540, e.g. 512:GLB";
    r.number = static_cast<unsigned short>(std::stoul(number));
    r.name = text.substr(colon + 1);
  } else if (source == "group") {
    r.source = ScannerRequest::kGroup;
  } else if (source != "dictionary") {
    return "unknown scanner source \"" + source + "\"";
  }
  std::string const bad = nameProblem(r.name);
  if (!bad.empty()) return source + " \"" + text + "\": " + bad;
  out = r;
  return std::string();
}

std::string sourceName(ScannerRequest const& request) {
  switch (request.source) {
    case ScannerRequest::kDictionary: return "dictionary";
    case ScannerRequest::kGroup: return "group";
    case ScannerRequest::kTemplate: return "template " + std::to_string(request.number);
  }
  return "";
}

std::string describe(ScannerRequest const& request) {
  if (request.source == ScannerRequest::kTemplate)
    return "template " + std::to_string(request.number) + ":" + request.name;
  return sourceName(request) + " " + request.name;
}

}  // namespace vmund
