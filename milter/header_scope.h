// Which accepted messages get the X-Vessamund-* headers. Outbound mail must
// not carry them: they would tell recipients outside the organisation the
// names of its policies and how close their mail came to them.
#ifndef VMUND_MILTER_HEADER_SCOPE_H_
#define VMUND_MILTER_HEADER_SCOPE_H_

#include <string>
#include <vector>

namespace vmund {
namespace milter {

struct HeaderScope {
  enum Mode { kAll, kNone, kInternal };
  // kInternal: only mail whose recipients are all in localDomains (or their
  // subdomains). The default: with no local-domains listed, no message gets
  // the headers.
  Mode mode = kInternal;
  std::vector<std::string> localDomains;  // lower case

  // Reads the settings `headers all|none|internal` and `local-domains
  // "a.example b.example"` (blanks or commas between). Returns false when
  // `key` is neither; else true, with `problem` set when the value is bad.
  bool setting(std::string const& key, std::string const& value, std::string& problem);

  // Whether the milter needs the recipients to decide.
  bool needsRecipients() const { return mode == kInternal && !localDomains.empty(); }

  // Whether a message to `recipients` (as the MTA gives them, "<a@b>" or
  // "a@b") gets the headers. No recipient: not internal.
  bool covers(std::vector<std::string> const& recipients) const;
};

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_HEADER_SCOPE_H_
