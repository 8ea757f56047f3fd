// One mail message as the library scans it: an ordered list of text parts,
// each marked with the kind that tells items which area it belongs to.
#ifndef VMUND_CLI_HOST_MESSAGE_AREA_H_
#define VMUND_CLI_HOST_MESSAGE_AREA_H_

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "vessamund/scan_area.h"

namespace vmund {

// The part kinds this host produces (bits 0-3 of DScanAreaPart::flags). An
// item's scan_area mask selects them: 1 body, 2 attachments, 4 the header
// block, 8 the HTML twin of a plain body (the library tests a part of kind 8
// that starts a run with mask 1, so body items see it unless they already
// matched in the plain text just before).
enum PartKind : uint16_t {
  kBody = 1,             // a text body part, or an HTML body with no plain sibling
  kAttachment = 2,       // an attachment whose content is text, decoded
  kHeader = 4,           // the decoded header block, one "Name: value" line each
  kHtmlAlternative = 8,  // the text of an HTML alternative that follows its plain sibling
};

// Short lower-case name of a kind for reports ("body", "attachment", ...).
char const* partKindName(uint16_t kind);

// A scan area over parts it owns. Parts are added while the message is read,
// then the area is only walked. Not safe for concurrent walks (the walk
// position is state), but an area may be scanned by several scanners one
// after the other.
class MessageArea : public Vessamund::DScanAreaImpl {
 public:
  struct Skipped {
    std::string label;     // e.g. "logo.png", "export.zip/2024/secret.xlsx"
    std::string mimeType;  // e.g. "image/png"; "" for a part inside an attachment
    std::string reason;    // why it was not read, e.g. "encrypted"; "" when not extracted at all
    bool unscannable = false;  // it may hold text that was not read
  };

  MessageArea() = default;
  MessageArea(MessageArea const&) = delete;
  MessageArea& operator=(MessageArea const&) = delete;
  MessageArea(MessageArea&&) = default;
  MessageArea& operator=(MessageArea&&) = default;

  // Adopts `text` as a part of `kind`; `label` names it in reports (a file
  // name, a MIME type). The text stays zero-terminated (std::string keeps a
  // terminator) and its pointer stable (a deque never moves its elements).
  void addPart(uint16_t kind, std::string text, std::string label);
  // Records an attachment (or a part of one) that is not scanned, and why.
  void addSkipped(std::string label, std::string mimeType, std::string reason = "",
                  bool unscannable = false);

  Vessamund::DScanAreaPart* first() override;
  Vessamund::DScanAreaPart* next() override;

  size_t partCount() const { return parts_.size(); }
  uint16_t kind(size_t i) const { return parts_[i].flags; }
  std::string const& text(size_t i) const { return texts_[i]; }
  std::string const& label(size_t i) const { return labels_[i]; }
  std::vector<Skipped> const& skipped() const { return skipped_; }
  // The first skipped part that may hold text that was not read; null if none.
  Skipped const* firstUnscannable() const;
  // Total bytes over all parts.
  uint64_t textBytes() const { return textBytes_; }

 private:
  std::deque<std::string> texts_;
  std::deque<Vessamund::DScanAreaPart> parts_;  // parts_[i].text points into texts_[i]
  std::vector<std::string> labels_;
  std::vector<Skipped> skipped_;
  uint64_t textBytes_ = 0;
  size_t pos_ = 0;  // index of the part next() returned last; parts_.size() at the end
};

}  // namespace vmund

#endif  // VMUND_CLI_HOST_MESSAGE_AREA_H_
