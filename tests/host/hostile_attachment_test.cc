// Hostile attachments through the vmund-extract helper, as vmund and the
// milter run it: each gives its outcome with a reason, and nothing else of
// the message is lost (the body before it, the text attachment after it).
// Then the helper itself failing: crashing, hanging, writing nonsense.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "attachment_support.h"
#include "host/extract_wire.h"
#include "host/isolated_extractor.h"
#include "support/scoped_env.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The message: a body, the hostile file at `path`, then a text attachment.
vmund::Message readHostile(std::string const& path, vmund::AttachmentExtractor const& extractor) {
  std::string const file = path.substr(path.rfind('/') + 1);
  std::string message = vmund_test::messageWith(
      file, "application/zip", vmund_test::slurpFile(path), "Body text 4111 1111 1111 1111.");
  message.insert(message.rfind("--XYZ--"),
                 "--XYZ\nContent-Type: text/plain\nContent-Disposition: attachment; "
                 "filename=\"after.txt\"\n\nAfter 078-05-1120.\n");
  vmund::ReadResult r = vmund::readMessages(
      message, file, vmund::ReadOptions{&extractor, Clock::now() + std::chrono::seconds(60)});
  EXPECT_EQ(r.messages.size(), 1u);
  return r.messages.empty() ? vmund::Message{} : std::move(r.messages[0]);
}

// "texts N, first skip: LABEL: REASON" and whether the rest of the message is there.
std::string outcome(vmund::Message const& m, bool& restKept) {
  size_t texts = 0;
  bool body = false, after = false;
  for (size_t i = 0; i < m.area.partCount(); ++i) {
    body |= m.area.kind(i) == vmund::kBody && m.area.text(i).find("4111 1111") != std::string::npos;
    after |= m.area.label(i) == "after.txt";
    texts += m.area.kind(i) == vmund::kAttachment && m.area.label(i) != "after.txt";
  }
  restKept = body && after;
  auto const* s = m.area.firstUnscannable();
  return "texts " + std::to_string(texts) + (s ? ", " + s->label + ": " + s->reason : "");
}

TEST(HostileAttachment, EachGivesItsOutcomeAndLosesNothingElse) {
  vmund_test::TempDir tmp;
  std::string const command = std::string(VMUND_PYTHON) + " " VMUND_SOURCE_DIR
                              "/scripts/make-attachment-fixtures --hostile " + tmp.dir();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  using Limits = vmund::ExtractLimits;
  struct Row {
    char const* file;
    char const* want;                // outcome()
    void (*set)(Limits&) = nullptr;  // the limits, when not the defaults
    char const* label = nullptr;     // a part labelled so
  };
  Row const rows[] = {
      // 16^4 members of 10 MiB at the bottom: the message's 400 MiB stop it.
      {"bomb-nested.zip", "texts 0, bomb-nested.zip/level3-00.zip/level2-00.zip/level1-00.zip/level0-00.zip/zeros.bin: compression ratio past 100:1"},
      {"bomb-single.zip", "texts 1, bomb-single.zip/zeros.txt: compression ratio past 100:1"},
      // Ten directory entries over one member's data: read once.
      {"overlapping.zip", "texts 1"},
      {"many-members.zip", "texts 1000, many-members.zip: 9000 members not read: past the message's limit of archive members"},
      // A name that climbs out of any folder is only a label.
      {"traversal.zip", "texts 2", nullptr, "traversal.zip/../../etc/cron.d/planted.txt"},
      {"deep.zip", "texts 0, deep.zip/inner.zip/inner.zip/inner.zip/inner.zip/inner.zip/inner.zip/inner.zip/inner.zip/inner.zip/inner.zip: nested deeper than the limit of 10 containers"},
      {"truncated.zip", "texts 0, truncated.zip/2024/customers.xlsx: damaged: Truncated ZIP file data"},
      {"truncated.tar.gz",
       "texts 0, truncated.tar.gz: damaged or truncated archive: truncated gzip input"},
      {"broken-xref.pdf", "texts 1"},
      // The limits are settings.
      {"many-members.zip",
       "texts 10, many-members.zip: 9990 members not read: past the message's limit of archive "
       "members",
       [](Limits& l) { l.maxEntries = 10; }},
      {"deep.zip",
       "texts 0, deep.zip/inner.zip/inner.zip: nested deeper than the limit of 2 containers",
       [](Limits& l) { l.maxDepth = 2; }},
      {"bomb-single.zip",
       "texts 1, bomb-single.zip/zeros.txt: larger than the limit of 2 MiB per member",
       [](Limits& l) {
         l.maxRatio = 1000000;
         l.maxEntryBytes = 2 << 20;
       }},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.file);
    Limits limits;
    if (r.set) r.set(limits);
    vmund::IsolatedExtractor const extractor(limits, VMUND_EXTRACT_HELPER);
    vmund::Message const m = readHostile(tmp.dir() + "/" + r.file, extractor);
    bool restKept = false, labelled = !r.label;
    EXPECT_EQ(outcome(m, restKept), r.want);
    EXPECT_TRUE(restKept);
    for (size_t i = 0; i < m.area.partCount(); ++i)
      labelled |= r.label && m.area.label(i) == r.label;
    EXPECT_TRUE(labelled) << r.label;
  }
  EXPECT_FALSE(fs::exists("/etc/cron.d/planted.txt"));
}

TEST(BrokenHelper, AFailedExtractionIsAnUnscannablePartNeverAFailedRead) {
  // Helpers that misbehave, as shell scripts in the helper's place.
  vmund_test::TempDir tmp;
  int n = 0;
  auto script = [&](std::string const& body) {
    std::string path = tmp.dir() + "/helper" + std::to_string(++n);
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
    return path;
  };
  std::string const partial = vmund::wireText("x.zip/a.txt", "kept 4111 1111 1111 1111");
  struct Row {
    std::string helper;
    std::string want;  // "texts; label: reason" of what the sink received
  };
  Row const rows[] = {
      {script("cat > /dev/null; kill -SEGV $$"), "0; x.zip: extractor crashed (Segmentation fault)"},
      {script("cat > /dev/null; printf '" + partial + "'; kill -ABRT $$"),
       "1; x.zip: extractor crashed (Aborted) (parts before it were read)"},
      {script("cat > /dev/null; exit 3"), "0; x.zip: extractor ran out of memory"},
      {script("cat > /dev/null; echo garbage"), "0; x.zip: extractor output unreadable: unknown record"},
      {script("exec sleep 30"), "0; x.zip: time budget spent while extracting"},
      {script("exit 0"), "0; x.zip: extractor failed"},  // never read the input, wrote nothing
      {tmp.dir() + "/missing", "0; x.zip: cannot start the extractor"},
  };
  std::string const input(1 << 20, 'P');  // more than a socket buffer holds
  for (Row const& r : rows) {
    SCOPED_TRACE(r.helper);
    vmund::ExtractBudget budget({}, Clock::now() + std::chrono::milliseconds(700));
    vmund_test::CollectingSink const sink =
        vmund_test::extract(input, "x.zip", vmund::IsolatedExtractor({}, r.helper), &budget);
    ASSERT_EQ(sink.skips.size(), 1u);
    std::string got = std::to_string(sink.texts.size()) + "; " + sink.skips[0];
    EXPECT_EQ(got.substr(0, r.want.size()), r.want) << got;
    EXPECT_EQ(sink.skips[0].back(), '!');  // unscannable
  }
}

// Sanitizers reserve address space, so the helper sets no limit under them:
// this test exists in the plain builds only (CI's Release tree runs it).
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VMUND_SANITIZED_BUILD 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VMUND_SANITIZED_BUILD 1
#endif
#ifndef VMUND_SANITIZED_BUILD
TEST(IsolatedExtractor, RunsOutOfMemoryAsAPartNotAProcess) {
  vmund::ExtractLimits limits;
  limits.maxRatio = 1000000;
  vmund::IsolatedExtractor const extractor(limits, VMUND_EXTRACT_HELPER, 96ull << 20);
  // 90 MiB of text in a 90 KiB zip: read whole, it does not fit in 96 MiB.
  vmund_test::TempDir tmp;
  std::string const cmd = std::string(VMUND_PYTHON) +
                          " -c \"import zipfile; z=zipfile.ZipFile('" + tmp.dir() +
                          "/big.zip','w',zipfile.ZIP_DEFLATED); z.writestr('big.txt', b'4111 ' * (18<<20)); z.close()\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string const big = vmund_test::slurpFile(tmp.dir() + "/big.zip");
  vmund_test::CollectingSink const sink = vmund_test::extract(big, "big.zip", extractor);
  ASSERT_FALSE(sink.skips.empty());
  EXPECT_NE(sink.skips.back().find("out of memory"), std::string::npos) << sink.skips.back();
  // The same helper with room reads it.
  vmund_test::CollectingSink const ok = vmund_test::extract(
      big, "big.zip", vmund::IsolatedExtractor(limits, VMUND_EXTRACT_HELPER, 2048ull << 20));
  EXPECT_EQ(ok.texts.size(), 1u);
  EXPECT_TRUE(ok.skips.empty()) << ok.skips[0];
}
#endif  // VMUND_SANITIZED_BUILD

TEST(IsolatedExtractor, GivesWhatTheInProcessReaderGives) {
  for (char const* file : {"report.zip", "pandoc.docx", "ps2pdf.pdf", "encrypted.zip", "planted.7z"}) {
    SCOPED_TRACE(file);
    std::string const bytes = vmund_test::fixture(file);
    vmund::ExtractBudget budget({}, Clock::time_point::max());
    vmund::ExtractBudget local({}, Clock::time_point::max());
    vmund_test::CollectingSink const isolated = vmund_test::extract(
        bytes, file, vmund::IsolatedExtractor({}, VMUND_EXTRACT_HELPER), &budget);
    vmund_test::CollectingSink const inProcess =
        vmund_test::extract(bytes, file, vmund::InProcessExtractor(), &local);
    EXPECT_EQ(isolated.texts, inProcess.texts);
    EXPECT_EQ(isolated.skips, inProcess.skips);
    // The helper's use of the message's budget comes back with its results.
    EXPECT_EQ(budget.entriesLeft, local.entriesLeft);
    EXPECT_EQ(budget.bytesLeft, local.bytesLeft);
  }
}

TEST(ExtractWire, KeepsCompleteRecordsOfACutStream) {
  std::string const stream = vmund::wireText("a", "one") + vmund::wireSkip("b", "why", true) +
                             vmund::wireText("c", "bad \xFF byte") + vmund::wireUsed(3, 99) +
                             vmund::wireEnd();
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    vmund_test::CollectingSink sink;
    vmund::WireSummary s = vmund::readWire(stream.substr(0, cut), sink);
    EXPECT_EQ(s.ended, cut == stream.size());
    EXPECT_EQ(s.error.empty(), cut == stream.size() || cut == 0 ||
                                   stream.compare(cut, 4, "used") == 0 ||
                                   stream.compare(cut, 3, "end") == 0 ||
                                   stream.compare(cut, 4, "skip") == 0 ||
                                   (cut > 0 && stream.compare(cut, 4, "text") == 0))
        << cut;
    if (cut == stream.size()) {
      EXPECT_EQ(s.entries, 3u);
      ASSERT_EQ(sink.texts.size(), 2u);
      EXPECT_EQ(sink.texts[1].second, "bad \xEF\xBF\xBD byte");
      EXPECT_EQ(sink.skips, std::vector<std::string>{"b: why !"});
    }
  }
  vmund_test::CollectingSink sink;
  EXPECT_EQ(vmund::readWire("text 1 1\nab" + vmund::wireEnd() + "x", sink).error,
            "data after the end mark");
}

}  // namespace
