// Shared by the attachment tests: reading a message with the in-process
// extractor, counting what the eighteen detectors accept in a text, and
// building messages and zips around test content.
#ifndef VMUND_TESTS_HOST_ATTACHMENT_SUPPORT_H_
#define VMUND_TESTS_HOST_ATTACHMENT_SUPPORT_H_

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "host/extract/file_extractor.h"
#include "host/mime_reader.h"
#include "support/files.h"
#include "support/test_area.h"
#include "vessamund/scanner.h"

namespace vmund_test {

inline std::string fixture(std::string const& name) {
  return slurpFile(std::string(VMUND_SOURCE_DIR "/data/attachments/") + name);
}

// The detector kinds of pattern types 256, 257, ... in the names the corpus
// generator uses.
inline std::vector<std::string> const kDetectorKinds = {
    "CANSIN", "USSSN", "CC",    "ABA",    "CUSIP", "ISIN", "UKNI",   "UKNHS",  "USEIN",
    "USDEA",  "FRCNI", "INSEE", "DEPSPT", "IBAN",  "ITIN", "USPSPT", "FRPSPT", "UKPSPT"};

// How many identifiers of each kind the library accepts in `text` scanned as
// one part of kind `kind`; kinds without any are left out.
class KindCounter {
 public:
  KindCounter() {
    for (size_t i = 0; i < kDetectorKinds.size(); ++i) {
      auto* s = new Vessamund::ProfileDictionaryScanner(kDetectorKinds[i]);
      auto record = makeRecord(static_cast<uint16_t>(256 + i), "", 1, 15);
      s->add_pattern(&record);
      scanners_.emplace_back(kDetectorKinds[i],
                             Vessamund::Ref<Vessamund::DictionaryScannerImpl>(s));
    }
  }
  std::map<std::string, unsigned long> count(std::string const& text, uint16_t kind = 2) {
    TestArea area;
    area.add(text, kind);
    std::map<std::string, unsigned long> out;
    for (auto& [name, scanner] : scanners_) {
      std::string matchLog, scoreList;
      unsigned long n = scanner->scan(&area, ULONG_MAX, nullptr, matchLog, scoreList);
      if (n) out[name] = n;
    }
    return out;
  }

 private:
  std::vector<std::pair<std::string, Vessamund::Ref<Vessamund::DictionaryScannerImpl>>> scanners_;
};

// A message with one base64 attachment.
inline std::string messageWith(std::string const& name, std::string const& type,
                               std::string const& bytes, std::string const& body = "See attached.") {
  static char const* const kB64 =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string b64;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    size_t const n = std::min<size_t>(3, bytes.size() - i);  // bytes in this quantum
    uint32_t v = 0;
    for (size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? static_cast<uint8_t>(bytes[i + k]) : 0);
    for (size_t k = 0; k < 4; ++k) b64 += k <= n ? kB64[(v >> (18 - 6 * k)) & 63] : '=';
    if ((i / 3 + 1) % 19 == 0) b64 += "\n";
  }
  return "From: a@example.com\nTo: b@example.com\nSubject: files\nMIME-Version: 1.0\n"
         "Content-Type: multipart/mixed; boundary=\"XYZ\"\n\n--XYZ\n"
         "Content-Type: text/plain\n\n" + body + "\n--XYZ\nContent-Type: " + type +
         "\nContent-Disposition: attachment; filename=\"" + name +
         "\"\nContent-Transfer-Encoding: base64\n\n" + b64 + "\n--XYZ--\n";
}

// Reads `message` with the in-process extractor (or `extractor`).
inline vmund::Message readWithExtractor(std::string const& message,
                                        vmund::AttachmentExtractor const* extractor = nullptr) {
  static vmund::InProcessExtractor const inProcess;
  vmund::ReadResult r =
      vmund::readMessages(message, "test", vmund::ReadOptions{extractor ? extractor : &inProcess});
  return r.messages.empty() ? vmund::Message{} : std::move(r.messages[0]);
}

// Collects what an extractor reports.
struct CollectingSink : vmund::ExtractSink {
  std::vector<std::pair<std::string, std::string>> texts;  // label, text
  std::vector<std::string> skips;                          // "label: reason" ("!" ends unscannable ones)
  void text(std::string const& label, std::string text) override {
    texts.emplace_back(label, std::move(text));
  }
  void skipped(std::string const& label, std::string const& reason, bool unscannable) override {
    skips.push_back(label + ": " + reason + (unscannable ? " !" : ""));
  }
};

// What `extractor` gives for `bytes`, drawing on `budget` when the test
// looks at what is left of it, else on a budget of the extractor's limits.
inline CollectingSink extract(
    std::string const& bytes, std::string const& label,
    vmund::AttachmentExtractor const& extractor = vmund::InProcessExtractor(),
    vmund::ExtractBudget* budget = nullptr) {
  CollectingSink sink;
  vmund::ExtractBudget own(extractor.limits(), std::chrono::steady_clock::time_point::max());
  extractor.extract(bytes, label, budget ? *budget : own, sink);
  return sink;
}

}  // namespace vmund_test

#endif  // VMUND_TESTS_HOST_ATTACHMENT_SUPPORT_H_
