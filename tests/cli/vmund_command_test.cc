// The vmund command run in process: administration round trips, exit
// statuses, text and JSON reports, bad inputs, threads and the demo.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "admin/config_db.h"
#include "support/scoped_env.h"
#include "vmund/app.h"
#include "vmund/scan_session.h"

namespace {

std::string const kSamples = VMUND_SOURCE_DIR "/data/samples";

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome vmund(std::vector<std::string> args) {
  args.insert(args.begin(), "vmund");
  std::ostringstream out, err;
  int status = vmund::runVmund(args, out, err);
  return Outcome{status, out.str(), err.str()};
}

bool has(std::string const& hay, std::string const& needle) {
  return hay.find(needle) != std::string::npos;
}

void writeFile(std::string const& path, std::string const& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class VmundCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vmund({"db", "init", "--db-dir", dir_}).status, 0);
    writeFile(dir_ + "/conf.csv",
              "pattern,pattern_type,pattern_weight,pattern_scan_area\n"
              "confidential,word,10,5\n"
              "salary,word,5,1\n");
    ASSERT_EQ(vmund({"dict", "import", "--db-dir", dir_, "Conf", dir_ + "/conf.csv"}).status, 0);
  }
  Outcome scan(std::vector<std::string> extra) {
    std::vector<std::string> args{"scan", "--db-dir", dir_};
    args.insert(args.end(), extra.begin(), extra.end());
    return vmund(args);
  }
  vmund_test::TempDir tmp_;
  std::string const dir_ = tmp_.dir();
};

TEST_F(VmundCommand, ImportRejectsBadFilesWholeAndExportsInOrder) {
  writeFile(dir_ + "/bad.csv", "pattern,pattern_type,item_no\nok,word,1\nx,card,2\ny(,regex,3\n");
  Outcome bad = vmund({"dict", "import", "--db-dir", dir_, "Conf", dir_ + "/bad.csv"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(has(bad.err, dir_ + "/bad.csv:3: unknown pattern_type \"card\"")) << bad.err;
  EXPECT_TRUE(has(bad.err, dir_ + "/bad.csv:4: regular expression does not compile: missing "
                                  "closing parenthesis at offset 2\n")) << bad.err;
  // Nothing of the bad file reached the database.
  Outcome exported = vmund({"dict", "export", "--db-dir", dir_, "Conf"});
  EXPECT_EQ(exported.out,
            "item_no,pattern,pattern_type,pattern_weight,pattern_scan_area,pattern_max_weight,"
            "pattern_max_limit,pattern_status\n"
            "1,confidential,word,10,5,0,0,1\n"
            "2,salary,word,5,1,0,0,1\n");
  // What export writes, import reads back unchanged.
  writeFile(dir_ + "/round.csv", exported.out);
  EXPECT_EQ(vmund({"dict", "import", "--db-dir", dir_, "Copy", dir_ + "/round.csv"}).status, 0);
  EXPECT_EQ(vmund({"dict", "export", "--db-dir", dir_, "Copy"}).out, exported.out);

  EXPECT_EQ(vmund({"group", "add", "--db-dir", dir_, "G", "Conf", "Copy"}).status, 0);
  EXPECT_EQ(vmund({"group", "list", "--db-dir", dir_}).out, "G: Conf Copy\n");
  EXPECT_EQ(vmund({"dict", "remove", "--db-dir", dir_, "Copy"}).status, 0);
  EXPECT_EQ(vmund({"group", "list", "--db-dir", dir_}).out, "G: Conf\n");
  EXPECT_EQ(vmund({"dict", "remove", "--db-dir", dir_, "Copy"}).status, 2);
}

TEST_F(VmundCommand, ExitStatusFollowsThresholdsAndErrors) {
  std::string mbox =
      kSamples +
      "/06-thread.mbox";  // message 2 scores 20: "confidential" in its header and its body
  struct Row {
    std::vector<std::string> args;
    int status;
    char const* note;
  };
  Row const rows[] = {
      {{"-d", "Conf", "--threshold", "21", mbox}, 0, "below the threshold"},
      {{"-d", "Conf", "--threshold", "20", mbox}, 1, "reached exactly"},
      {{"-d", "Conf", "--threshold", "1", mbox, dir_ + "/missing.eml"}, 2, "an error wins"},
      {{"-d", "Nope", mbox}, 0, "a dictionary without items scores 0"},
      {{"-t", "600:x", mbox}, 2, "template number out of range"},
      {{"-t", "512", mbox}, 2, "template without a name"},
      {{mbox}, 2, "no scanner"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.note);
    EXPECT_EQ(scan(r.args).status, r.status);
  }
  EXPECT_EQ(vmund({"scan", "--db-dir", dir_ + "/none", "-d", "Conf", mbox}).status, 2);
}

TEST_F(VmundCommand, ReportsScoresAndRecordsPerMessageAndScanner) {
  // Written past vmund's own check, as another tool could: it never matches,
  // and the scan says so.
  vmund::admin::ItemRow broken;
  broken.pattern = "sal(ary";
  broken.type = 1;
  vmund::admin::ConfigDb(dir_).storeItems("Conf", {broken}, true);
  Outcome r =
      scan({"-g", "NoSuchGroup", "-d", "Conf", "--threshold", "20", kSamples + "/06-thread.mbox"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kSamples +
                       "/06-thread.mbox#1\n"
                       "  group NoSuchGroup  score     0 / 20\n"
                       "  dictionary Conf    score     0 / 20\n" +
                       kSamples +
                       "/06-thread.mbox#2\n"
                       "  group NoSuchGroup  score     0 / 20\n"
                       "  dictionary Conf    score    20 / 20  REACHED\n"
                       "      score record  Conf:20\n");
  EXPECT_TRUE(has(r.err, "group NoSuchGroup has no dictionaries")) << r.err;
  EXPECT_TRUE(has(r.err, "warning: dictionary Conf: regular expression \"sal(ary\" does not "
                         "compile (missing closing parenthesis at offset 7); it never matches\n"))
      << r.err;
}

TEST_F(VmundCommand, JsonHasOneObjectPerMessageAndPerBadInput) {
  Outcome r = scan({"--json", "-d", "Conf", kSamples + "/03-base64-attachment.eml",
                    dir_ + "/missing.eml", kSamples + "/06-thread.mbox"});
  EXPECT_EQ(r.status, 2);
  std::istringstream lines(r.out);
  std::vector<nlohmann::json> objects;
  for (std::string line; std::getline(lines, line);) objects.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(objects[0]["parts"].size(), 3u);
  EXPECT_EQ(objects[0]["parts"][2]["kind"], 2);
  EXPECT_EQ(objects[0]["skipped"][0]["label"], "logo.png");
  EXPECT_EQ(objects[1]["error"], "cannot open: No such file or directory");
  EXPECT_EQ(objects[3]["message"], kSamples + "/06-thread.mbox#2");
  nlohmann::json const& result = objects[3]["results"][0];
  EXPECT_EQ(result["scanner"], "Conf");
  EXPECT_EQ(result["score"], 20);
  EXPECT_EQ(result["reached"], false);
  EXPECT_EQ(result["score_record"], "Conf:20");
}

TEST_F(VmundCommand, BadInputsAreReportedAndTheRestIsScanned) {
  std::string bad = dir_ + "/bad";
  ASSERT_EQ(system(("mkdir -p " + bad + "/empty " + bad + "/nomail").c_str()), 0);
  writeFile(bad + "/nomail/notes.txt", "shopping list\n");
  writeFile(bad + "/zero.eml", "");
  writeFile(bad + "/big.eml", "From: a@example.org\n\n" + std::string(2 << 20, 'x'));
  Outcome r = scan({"-d", "Conf", "--max-size", "1", bad + "/missing.eml", bad + "/empty",
                    bad + "/zero.eml", bad + "/nomail", bad + "/big.eml",
                    kSamples + "/06-thread.mbox"});
  EXPECT_EQ(r.status, 2);
  for (char const* expected :
       {"/missing.eml: cannot open: No such file or directory", "/empty: no files found",
        "/zero.eml: empty file", "/nomail/notes.txt: no mail headers found",
        "/big.eml: file is 2.0 MB, larger than the --max-size limit of 1.0 MB"}) {
    EXPECT_TRUE(has(r.err, expected)) << expected << "\n" << r.err;
  }
  EXPECT_TRUE(has(r.out, "06-thread.mbox#2\n")) << r.out;

  // A 1 GB input is refused from its size alone: the file is sparse, and
  // reading it would need the memory the limit protects.
  std::string const huge = bad + "/huge.eml";
  writeFile(huge, "From: a@example.org\n\n");
  ASSERT_EQ(truncate(huge.c_str(), (1 << 30) + 1), 0);
  Outcome big = scan({"-d", "Conf", "--max-size", "1024", huge});
  EXPECT_EQ(big.status, 2);
  EXPECT_TRUE(has(big.err, "/huge.eml: file is 1024.0 MB, larger than the --max-size limit of "
                           "1024.0 MB")) << big.err;
}

// A worker whose input throws reports "scan failed" for that input; the
// other inputs, on the same and other threads, are still scanned.
TEST_F(VmundCommand, ExceptionInAWorkerFailsOnlyItsInput) {
  class Throwing : public vmund::ScanSession {
   public:
    using ScanSession::ScanSession;

   protected:
    vmund::FileReport scanFile(
        std::string const& path,
        std::vector<Vessamund::Ref<Vessamund::DictionaryScannerImpl>>& scanners,
        vmund::DeadlineProgress& deadline) const override {
      if (has(path, "02-")) throw std::runtime_error("out of parts");
      if (has(path, "03-")) throw 7;
      return ScanSession::scanFile(path, scanners, deadline);
    }
  };
  vmund_test::ScopedEnv env("VMUND_DB_DIR", dir_.c_str());
  for (unsigned jobs : {1u, 3u}) {
    SCOPED_TRACE(std::to_string(jobs) + " threads");
    vmund::ScanSettings settings;
    settings.scanners = {{vmund::ScannerRequest::kDictionary, "Conf", 0}};
    settings.jobs = jobs;
    std::ostringstream err;
    Throwing session(settings, err);
    ASSERT_TRUE(session.ok()) << err.str();
    std::vector<std::string> seen;
    session.run({kSamples}, [&](vmund::FileReport const& f) {
      seen.push_back(f.path.substr(f.path.rfind('/') + 1) + ": " +
                     (f.error.empty() ? std::to_string(f.messages.size()) : f.error));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "01-plain-note.eml: 1", "02-alternative-html.eml: scan failed: out of parts",
                        "03-base64-attachment.eml: scan failed: unknown exception",
                        "04-encoded-subject.eml: 1", "05-planted-identifiers.eml: 1",
                        "06-thread.mbox: 2"}));
  }
}

TEST(VmundCli, DemoScoresEverySample) {
  Outcome r = vmund({"demo"});
  EXPECT_EQ(r.status, 0) << r.err;
  // PII column of the summary: the plain note and the badge reply have no
  // identifier, every other sample plants at least one.
  struct Row {
    char const* id;
    bool pii;
  };
  Row const rows[] = {{"01-plain-note.eml", false},
                      {"02-alternative-html.eml", true},
                      {"03-base64-attachment.eml", true},
                      {"04-encoded-subject.eml", true},
                      {"05-planted-identifiers.eml", true},
                      {"06-thread.mbox#1", false},
                      {"06-thread.mbox#2", true}};
  for (Row const& row : rows) {
    SCOPED_TRACE(row.id);
    size_t at = r.out.find(std::string("\n") + row.id + " ");
    ASSERT_NE(at, std::string::npos) << r.out;
    std::istringstream line(r.out.substr(at + 1, r.out.find('\n', at + 1) - at - 1));
    std::string id;
    unsigned long pii = 0;
    line >> id >> pii;
    EXPECT_EQ(pii > 0, row.pii) << line.str();
  }
}

}  // namespace
