// Generated messages with binary attachments (XLSX, DOCX, ODT, PDF, zips of
// them, nested zips, a gzip of a CSV), some sent with a generic or wrong
// type or a misleading name: every attachment text the host extracts holds,
// kind by kind, the identifiers the generator's manifest expects there, and
// no location the manifest expects goes missing. One seed goes through the
// vmund-extract helper, as vmund and the milter read mail; the others in
// process.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "attachment_support.h"
#include "host/isolated_extractor.h"
#include "support/corpus_generator.h"
#include "support/scoped_env.h"

namespace {

using nlohmann::json;

TEST(AttachmentCorpus, ExtractedTextsHoldWhatTheManifestExpects) {
  if (!vmund_test::haveCorpusGenerator()) SKIP_OR_FAIL_IN_CI("no " + vmund_test::kCorpusGenerator);
  vmund_test::TempDir dir;
  vmund_test::KindCounter counter;
  std::map<std::string, int> formats;   // fmt -> locations checked
  std::map<std::string, int> declared;  // how the attachment was declared -> attachments
  int locations = 0;
  vmund::IsolatedExtractor const helper({}, VMUND_EXTRACT_HELPER);
  for (int seed : {1, 2, 3, 17}) {
    std::string const out = dir.dir() + "/seed" + std::to_string(seed);
    ASSERT_TRUE(vmund_test::generateCorpus(
        "--binary-attachments --seed " + std::to_string(seed) + " --count 80", out));
    std::ifstream manifest(out + "/manifest.jsonl");
    std::string line;
    for (int i = 0; std::getline(manifest, line); ++i) {
      json const record = json::parse(line);
      char name[32];
      std::snprintf(name, sizeof name, "pii-%05d.eml", i);
      SCOPED_TRACE("seed " + std::to_string(seed) + " " + name);
      vmund::Message m = vmund_test::readWithExtractor(vmund_test::slurpFile(out + "/" + name),
                                                       seed == 17 ? &helper : nullptr);
      // Expected counts of every attachment location; those with none too,
      // so that a location the host invents or misses shows.
      std::map<std::string, json> expect;
      for (auto const& [where, counts] : record["expect"].items())
        if (where.rfind("attachment:", 0) == 0) expect[where] = counts;
      std::map<std::string, std::string> fmtOf;
      for (json const& p : record["planted"])
        if (p.contains("fmt")) fmtOf[p["where"]] = p["fmt"];
      std::set<std::string> seen;
      for (size_t k = 0; k < m.area.partCount(); ++k) {
        if (m.area.kind(k) != vmund::kAttachment) continue;
        std::string const where = "attachment:" + m.area.label(k);
        auto const got = counter.count(m.area.text(k));
        std::map<std::string, unsigned long> want;
        if (expect.count(where))
          for (auto const& [kind, n] : expect[where].items()) want[kind] = n.get<unsigned long>();
        EXPECT_EQ(got, want) << where << "\n" << m.area.text(k);
        seen.insert(where);
        ++locations;
        if (fmtOf.count(where)) ++formats[fmtOf[where]];
      }
      for (auto const& [where, counts] : expect) EXPECT_TRUE(seen.count(where)) << "missing " << where;
      for (auto const& s : m.area.skipped()) EXPECT_FALSE(s.unscannable) << s.label << ": " << s.reason;
      if (record.contains("attachments"))
        for (json const& a : record["attachments"]) ++declared[a["declared"].get<std::string>()];
    }
  }
  // Every format and every kind of mislabelling took part.
  for (char const* f : {"xlsx", "docx", "odt", "pdf", "csv"}) EXPECT_GE(formats[f], 5) << f;
  for (char const* d : {"ok", "generic_type", "wrong_type", "misleading_name"})
    EXPECT_GE(declared[d], 1) << d;
  EXPECT_GE(locations, 200);
}

}  // namespace
