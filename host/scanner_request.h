// Which scanner a tool asks the factory for: a dictionary or a group of the
// configuration database, or a template file under a name. The command line
// of `vmund scan`, the milter's rules and the benchmarks all name scanners
// this way.
#ifndef VMUND_HOST_SCANNER_REQUEST_H_
#define VMUND_HOST_SCANNER_REQUEST_H_

#include <string>

namespace vmund {

struct ScannerRequest {
  enum Source { kDictionary, kGroup, kTemplate };
  Source source = kDictionary;
  std::string name;         // dictionary, group, or the name given to a template
  unsigned short number = 0;  // template number (512..540), kTemplate only
};

// Reads one request: `source` is "dictionary", "group" or "template"; `text`
// the name, or NUMBER:NAME for a template (512..540, at most three digits).
// Names are as the database stores them: 1 to 255 bytes, no control
// character, and no ';' or ':', which separate the NAME:SCORE entries of
// score records and headers. Returns "" or what is wrong.
std::string parseScannerRequest(std::string const& source, std::string const& text,
                                ScannerRequest& out);

// "dictionary", "group" or "template 512".
std::string sourceName(ScannerRequest const& request);

// "dictionary PII", "group Compliance", "template 512:GLB".
std::string describe(ScannerRequest const& request);

// The problem with `name` as a dictionary or group name, or "".
std::string nameProblem(std::string const& name);

}  // namespace vmund

#endif  // VMUND_HOST_SCANNER_REQUEST_H_
