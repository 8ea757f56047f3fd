// Findings and redaction on generated mail with planted identifiers: every
// finding points at exactly the planted text, as the host decoded it, in
// the part the manifest names; every planted identifier the detectors accept
// is found; asking for findings leaves scores and records as they were; and
// redaction masks every identifier and changes nothing else.
#include <climits>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/message_findings.h"
#include "host/message_redaction.h"
#include "host/mime_reader.h"

#include "attachment_support.h"
#include "support/corpus_generator.h"
#include "support/scoped_env.h"

namespace {

using nlohmann::json;

// Where the manifest says a part's text was planted.
std::string locationOf(vmund::MessageArea const& area, size_t part) {
  int const kind = area.kind(part) & 15;
  if (kind == vmund::kHeader) return "subject";
  if (kind == vmund::kHtmlAlternative) return "html";
  if (kind == vmund::kBody) return area.label(part) == "text/html" ? "html" : "text";
  return "attachment:" + area.label(part);
}

// The generated corpus, made once for the binary in a private folder.
class GeneratedCorpus : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!vmund_test::haveCorpusGenerator()) return;
    tmp_ = new vmund_test::TempDir;
    for (int seed : {1, 5, 23}) {
      std::string const out = tmp_->dir() + "/seed" + std::to_string(seed);
      if (!vmund_test::generateCorpus("--seed " + std::to_string(seed) + " --count 60", out)) continue;
      std::ifstream manifest(out + "/manifest.jsonl");
      for (std::string line; std::getline(manifest, line);) {
        json record = json::parse(line);
        messages_.push_back({out + "/" + record["file"].get<std::string>(), record});
      }
    }
  }
  static void TearDownTestSuite() { delete tmp_; }
  void SetUp() override {
    if (messages_.empty()) SKIP_OR_FAIL_IN_CI(std::string("no corpus generator at ") + VMUND_CORPUS_DIR);
  }

  struct Generated {
    std::string path;
    json manifest;
  };
  static vmund_test::TempDir* tmp_;
  static std::vector<Generated> messages_;
};

vmund_test::TempDir* GeneratedCorpus::tmp_ = nullptr;
std::vector<GeneratedCorpus::Generated> GeneratedCorpus::messages_;

TEST_F(GeneratedCorpus, FindingsPointAtThePlantedText) {
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> scanner = vmund::identifierScanner();
  size_t checked = 0;
  for (Generated const& g : messages_) {
    SCOPED_TRACE(g.path);
    vmund::ReadResult read = vmund::readMessages(vmund_test::slurpFile(g.path), g.path);
    ASSERT_EQ(read.messages.size(), 1u);
    vmund::MessageArea& area = read.messages[0].area;
    std::string plainLog, plainScores, log, scores;
    unsigned long const plain = scanner->scan(&area, ULONG_MAX, nullptr, plainLog, plainScores);
    std::vector<vmund::MessageFinding> found;
    unsigned long const score =
        vmund::scanMessage(*scanner.get(), area, ULONG_MAX, nullptr, log, scores, &found);
    ASSERT_EQ(score, plain);
    ASSERT_EQ(log, plainLog);
    ASSERT_EQ(scores, plainScores);
    ASSERT_EQ(found.size(), score) << "one finding per counted match";

    // Each planted entry can account for one finding of its own kind (when
    // the detector accepts it) and one of each kind in `also`.
    json planted = g.manifest["planted"];
    std::vector<bool> used(planted.size(), false);
    std::vector<std::vector<std::string>> alsoLeft(planted.size());
    for (size_t i = 0; i < planted.size(); ++i) {
      for (auto const& k : planted[i]["also"]) alsoLeft[i].push_back(k.get<std::string>());
    }
    std::vector<std::string> foundKinds;  // "LOCATION KIND" of every finding
    for (vmund::MessageFinding const& f : found) {
      std::string const kind = vmund_test::kDetectorKinds.at(f.patternType - 256);
      std::string const where = locationOf(area, f.part);
      std::string const text = area.text(f.part);
      ASSERT_EQ(text.substr(f.offset, f.length), f.value);
      foundKinds.push_back(where + " " + kind);
      bool matched = false;
      for (size_t i = 0; i < planted.size() && !matched; ++i) {
        json const& p = planted[i];
        if (p["where"] != where) continue;
        std::string ptext = p["text"];
        // Such a text starts with the digit and separator before the
        // identifier.
        if (p["reason"] == "digit_context") ptext.erase(0, 2);
        if (!used[i] && p["kind"] == kind && p["valid"].get<bool>() && ptext == f.value) {
          used[i] = matched = true;
          continue;
        }
        for (std::string& k : alsoLeft[i]) {
          if (k == kind && ptext.find(f.value) != std::string::npos) {
            k.clear();
            matched = true;
            break;
          }
        }
      }
      EXPECT_TRUE(matched) << kind << " '" << f.value << "' in " << where << " at " << f.offset
                           << " matches nothing planted there";
      ++checked;
    }
    // Every accepted planted identifier is found, except in an HTML twin
    // after a hit of the same detector in the text before it.
    for (size_t i = 0; i < planted.size(); ++i) {
      json const& p = planted[i];
      if (!p["valid"].get<bool>() || used[i]) continue;
      bool const twinAfterHit =
          p["where"] == "html" &&
          std::find(foundKinds.begin(), foundKinds.end(),
                    "text " + p["kind"].get<std::string>()) != foundKinds.end();
      EXPECT_TRUE(twinAfterHit) << p["kind"] << " '" << p["text"] << "' in " << p["where"]
                                << " was not found";
    }
  }
  EXPECT_GT(checked, 200u);
}

// Redaction: the output is mail, no detector finds anything in it any more,
// and each part differs from the input's only where a masked value stood.
TEST_F(GeneratedCorpus, RedactionMasksIdentifiersAndNothingElse) {
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> scanner = vmund::identifierScanner();
  size_t masked = 0;
  for (Generated const& g : messages_) {
    SCOPED_TRACE(g.path);
    std::string const input = vmund_test::slurpFile(g.path);
    vmund::Redaction r = vmund::redactMessage(input, *scanner.get());
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.remaining.empty()) << r.remaining.size() << " identifiers left";
    vmund::ReadResult before = vmund::readMessages(input, "in");
    vmund::ReadResult after = vmund::readMessages(r.output, "out");
    ASSERT_EQ(after.error, "");
    ASSERT_EQ(after.messages.size(), 1u);
    vmund::MessageArea& a = before.messages[0].area;
    vmund::MessageArea& b = after.messages[0].area;
    std::string log, scores;
    EXPECT_EQ(scanner->scan(&b, ULONG_MAX, nullptr, log, scores), 0u) << scores;
    ASSERT_EQ(a.partCount(), b.partCount());
    for (size_t p = 0; p < a.partCount(); ++p) {
      EXPECT_EQ(a.kind(p), b.kind(p));
      EXPECT_EQ(a.label(p), b.label(p));
      std::string const& x = a.text(p);
      std::string const& y = b.text(p);
      ASSERT_EQ(x.size(), y.size()) << "part " << p;
      // Where the texts differ, the input held a masked value and the
      // output a '*'.
      std::vector<bool> inValue(x.size(), false);
      for (vmund::MessageFinding const& f : r.masked) {
        for (size_t at = x.find(f.value); at != std::string::npos && !f.value.empty();
             at = x.find(f.value, at + 1)) {
          for (size_t k = at; k < at + f.value.size(); ++k) inValue[k] = true;
        }
      }
      for (size_t k = 0; k < x.size(); ++k) {
        if (x[k] == y[k]) continue;
        ASSERT_TRUE(inValue[k] && y[k] == '*')
            << "part " << p << " byte " << k << ": '" << x[k] << "' became '" << y[k] << "'";
      }
    }
    masked += r.masked.size();
  }
  EXPECT_GT(masked, 200u);
}

}  // namespace
