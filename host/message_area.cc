// The scan area over a parsed message; filled by the MIME reader.
#include "host/message_area.h"

#include <utility>

namespace vmund {

char const* partKindName(uint16_t kind) {
  switch (kind & 15) {
    case kBody:
      return "body";
    case kAttachment:
      return "attachment";
    case kHeader:
      return "header";
    case kHtmlAlternative:
      return "html-alternative";
    default:
      return "other";
  }
}

void MessageArea::addPart(uint16_t kind, std::string text, std::string label) {
  texts_.push_back(std::move(text));
  std::string& t = texts_.back();
  textBytes_ += t.size();
  // A part longer than 4 GiB cannot be described by its 32-bit length; the
  // reader refuses such messages long before this point.
  parts_.push_back(Vessamund::DScanAreaPart{&t[0], static_cast<uint32_t>(t.size()), kind});
  labels_.push_back(std::move(label));
}

void MessageArea::addSkipped(std::string label, std::string mimeType, std::string reason,
                             bool unscannable) {
  skipped_.push_back(Skipped{std::move(label), std::move(mimeType), std::move(reason), unscannable});
}

MessageArea::Skipped const* MessageArea::firstUnscannable() const {
  for (Skipped const& s : skipped_)
    if (s.unscannable) return &s;
  return nullptr;
}

Vessamund::DScanAreaPart* MessageArea::first() {
  pos_ = 0;
  return parts_.empty() ? nullptr : &parts_[0];
}

Vessamund::DScanAreaPart* MessageArea::next() {
  if (pos_ < parts_.size()) ++pos_;
  return pos_ < parts_.size() ? &parts_[pos_] : nullptr;
}

}  // namespace vmund
