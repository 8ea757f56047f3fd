// The vmund command run in process: administration round trips, exit
// statuses, text and JSON reports, bad inputs, threads and the demo.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "admin/config_db.h"
#include "support/files.h"
#include "support/scoped_env.h"
#include "run_vmund.h"
#include "vmund/scan_session.h"
#include "vmund/scan_summary.h"

namespace {

std::string const kSamples = VMUND_SOURCE_DIR "/data/samples";

using vmund_test::Outcome;
using vmund_test::writeFile;
Outcome vmund(std::vector<std::string> args) { return vmund_test::runVmund(std::move(args)); }
bool has(std::string const& hay, std::string const& needle) { return vmund_test::contains(hay, needle); }

class VmundCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(admin({"db", "init"}).status, 0);
    writeFile(dir_ + "/conf.csv",
              "pattern,pattern_type,pattern_weight,pattern_scan_area\n"
              "confidential,word,10,5\n"
              "salary,word,5,1\n");
    ASSERT_EQ(admin({"dict", "import", "Conf", dir_ + "/conf.csv"}).status, 0);
  }
  // `args` from the command and its subcommand on, on the test's database.
  Outcome admin(std::vector<std::string> args) {
    args.insert(args.begin() + 2, {"--db-dir", dir_});
    return vmund(args);
  }
  Outcome scan(std::vector<std::string> extra) {
    std::vector<std::string> args{"scan", "--db-dir", dir_};
    args.insert(args.end(), extra.begin(), extra.end());
    return vmund(args);
  }
  vmund_test::TempDir tmp_;
  std::string const dir_ = tmp_.dir();
};

// Admin commands refuse, whole, what would lose a dictionary or store an item
// that can never act as written; the CSV takes what `dict add` takes, and
// what export writes, import reads back unchanged.
TEST_F(VmundCommand, AdminRefusesBadInputWholeAndExportsInOrder) {
  std::string const csv = dir_ + "/in.csv";
  struct Row {
    std::vector<std::string> args;
    std::string file;  // written to in.csv first when not empty
    int status;
    std::string says;
  } const rows[] = {
      // Every bad row is named (not only the first); the good one is not stored.
      {{"dict", "import", "Conf", csv},
       "pattern,pattern_type,item_no\nok,word,1\nx,card,2\ny(,regex,3\n",
       2,
       csv + ":4: regular expression does not compile: missing closing parenthesis at offset 2\n"},
      {{"dict", "import", "Conf", csv}, "pattern\n", 2, "no rows; nothing imported"},
      {{"dict", "import", "Empty", csv, "--allow-empty"}, "pattern\n", 0, "Empty: 0 items"},
      {{"dict", "import", "Conf", csv},
       "\xEF\xBB\xBFpattern,pattern_type,pattern_scan_area,pattern_weight\n"
       "a,9999,0,x\n",
       2,
       csv + ":2: pattern_weight \"x\" is not a number from 0 to 65535; unknown pattern type "
             "code 9999; area 0 selects no part"},
      {{"dict", "add", "Conf", "x", "--type", "9999"}, "", 2, "unknown pattern type code 9999"},
      {{"dict", "add", "", "x"}, "", 2, "empty name"},
      {{"group", "add", "G:1", "Conf"}, "", 2, "holds \":\""},
      {{"group", "add", "G", "Conf", "Conf"}, "", 2, "has \"Conf\" already"},
      // Area names and empty cells as `dict add` takes them; a cap without
      // pattern_max_limit applies.
      {{"dict", "import", "Capped", csv},
       "pattern,pattern_scan_area,pattern_weight,pattern_max_weight\nsalary,\"body,header\",,7\n", 0,
       "1 items imported"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.says);
    if (!r.file.empty()) writeFile(csv, r.file);
    Outcome o = admin(r.args);
    EXPECT_EQ(o.status, r.status) << o.err;
    EXPECT_TRUE(has(o.err + o.out, r.says)) << o.err << o.out;
  }
  EXPECT_TRUE(has(admin({"dict", "export", "Capped"}).out, "\n1,salary,word,1,5,7,1,1\n"));
  // The refused imports left Conf as it was.
  Outcome exported = admin({"dict", "export", "Conf"});
  EXPECT_EQ(exported.out,
            "item_no,pattern,pattern_type,pattern_weight,pattern_scan_area,pattern_max_weight,"
            "pattern_max_limit,pattern_status\n"
            "1,confidential,word,10,5,0,0,1\n"
            "2,salary,word,5,1,0,0,1\n");
  writeFile(dir_ + "/round.csv", exported.out);
  EXPECT_EQ(admin({"dict", "import", "Copy", dir_ + "/round.csv"}).status, 0);
  EXPECT_EQ(admin({"dict", "export", "Copy"}).out, exported.out);

  EXPECT_EQ(admin({"group", "add", "G", "Conf", "Copy"}).status, 0);
  EXPECT_EQ(admin({"group", "list"}).out, "G: Conf Copy\n");
  Outcome member = admin({"dict", "remove", "Copy"});
  EXPECT_EQ(member.status, 2) << "a group member goes only with --force";
  EXPECT_TRUE(has(member.err, "member of the groups G")) << member.err;
  Outcome forced = admin({"dict", "remove", "Copy", "--force"});
  EXPECT_EQ(forced.status, 0);
  EXPECT_TRUE(has(forced.out, "Copy: removed from the groups G")) << forced.out;
  EXPECT_EQ(admin({"group", "list"}).out, "G: Conf\n");
  EXPECT_EQ(admin({"dict", "remove", "Copy"}).status, 2);
}

// Each row's message on standard error (for the first rows, the summary's).
TEST_F(VmundCommand, ExitStatusFollowsThresholdsAndErrors) {
  // Message 2 scores 20: "confidential" in its header and its body.
  std::string const mbox = kSamples + "/06-thread.mbox";
  struct Row {
    std::vector<std::string> args;
    int status;
    char const* says;
  } const rows[] = {
      {{"-d", "Conf", "--threshold", "21", mbox}, 0, "Reached: 0"},
      {{"-d", "Conf", "--threshold", "20", mbox}, 1, "Reached: 1"},
      {{"-d", "Conf", "--threshold", "1", mbox, dir_ + "/missing.eml"}, 2, "Errors: 1"},
      {{"-d", "Nope", mbox}, 2, "no dictionary named \"Nope\""},
      {{"-g", "Conf", mbox}, 2, "no group named \"Conf\""},
      {{"-t", "512:Conf", "-d", "Conf", mbox}, 2, "\"Conf\" is already used by template 512:Conf"},
      {{"-d", "Conf", "--threshold", "0", mbox}, 2, "--threshold: Value 0 not in range"},
      {{"-d", "A;B", mbox}, 2, "dictionary \"A;B\": name holds \";\""},
      {{"-t", "600:x", mbox}, 2, "template \"600:x\": expected NUMBER:NAME"},
      {{"-t", "512", mbox}, 2, "template \"512\": expected NUMBER:NAME"},
      {{mbox}, 2, "no scanner"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.says);
    Outcome o = scan(r.args);
    EXPECT_EQ(o.status, r.status);
    EXPECT_TRUE(has(o.err, r.says)) << o.err;
  }
  // Not a configuration database: none, garbage, a truncated file, another schema.
  std::string const db = dir_ + "/fe_content.db";
  for (char const* damage : {"rm DB", "echo garbage > DB", "truncate -s 3000 DB",
                             "rm DB && sqlite3 DB 'create table t (x)'"}) {
    SCOPED_TRACE(damage);
    std::string command = damage;
    for (size_t at; (at = command.find("DB")) != std::string::npos;) command.replace(at, 2, db);
    ASSERT_EQ(system(command.c_str()), 0);
    Outcome o = scan({"-d", "Conf", mbox});
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(has(o.err, "dictionary Conf: " + db)) << o.err;
  }
}

// A timed-out message alone leaves the run incomplete (3); one that reached
// outweighs it.
TEST(VmundSummary, ATimeoutIsIncompleteUnlessAMessageReached) {
  vmund::MessageReport timedOut, reached;
  timedOut.timedOut = true;
  reached.results.emplace_back();
  reached.results.back().reached = true;
  vmund::ScanSummary summary;
  summary.add({"a", "", {timedOut}});
  std::ostringstream text;
  summary.printText(text);
  EXPECT_TRUE(has(text.str(), "Timed out: 1\n")) << text.str();
  EXPECT_EQ(summary.exitStatus(), 3);
  summary.add({"b", "", {reached}});
  EXPECT_EQ(summary.exitStatus(), 1);
}

TEST_F(VmundCommand, ReportsScoresAndRecordsPerMessageAndScanner) {
  // Written past vmund's own check, as another tool could: it never matches,
  // and the scan says so.
  vmund::admin::ItemRow broken;
  broken.pattern = "sal(ary";
  broken.type = 1;
  vmund::admin::ConfigDb(dir_).storeItems("Conf", {broken}, true);
  std::string const log = dir_ + "/scan.log";
  Outcome r = scan({"-d", "Conf", "--threshold", "20", "--log", log, kSamples + "/06-thread.mbox"});
  EXPECT_EQ(r.status, 1);
  std::string const second = kSamples +
                             "/06-thread.mbox#2\n"
                             "  Message-ID <badge-2@example.com>  From Lena Brandt "
                             "<l.brandt@example.com>  Subject Confidential: salary review\n"
                             "  dictionary Conf  score    20 / 20  REACHED\n"
                             "      score record  Conf:20\n"
                             "      matched       confidential=2\n";
  EXPECT_EQ(r.out, kSamples +
                       "/06-thread.mbox#1\n"
                       "  Message-ID <badge-1@example.org>  From Mira Halvorsen "
                       "<mira.halvorsen@example.org>  Subject Re: access badge\n"
                       "  dictionary Conf  score     0 / 20\n" + second);
  EXPECT_TRUE(has(r.err, "----------- SCAN SUMMARY -----------\nInputs: 1\nMessages: 2\nReached: 1\n"))
      << r.err;
  std::string const logText = vmund_test::slurpFile(log);
  EXPECT_TRUE(has(logText, r.out) && has(logText, "Reached: 1")) << logText;
  EXPECT_EQ(scan({"-d", "Conf", "--threshold", "20", "-q", kSamples + "/06-thread.mbox"}).out,
            second)
      << "--quiet: only what reached, no summary";
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
  ASSERT_EQ(objects.size(), 5u);
  EXPECT_EQ(objects[4]["summary"]["messages"], 3);
  EXPECT_EQ(objects[4]["summary"]["errors"], 1);
  EXPECT_EQ(objects[3]["message_id"], "badge-2@example.com");
  EXPECT_EQ(objects[3]["subject"], "Confidential: salary review");
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

// The findings view: listed with -v and --json, masked unless asked, and
// whole values only with a warning.
TEST_F(VmundCommand, FindingsAreListedWhereDetailIsAskedForAndMasked) {
  ASSERT_EQ(admin({"dict", "add", "Conf", "", "--type", "creditcard"}).status, 0);
  std::string const mail = dir_ + "/card.eml";
  writeFile(mail, "From: a@example.org\nSubject: order\n\nconfidential\ncard: 4111 1111 1111 1111\n");
  Outcome plain = scan({"-d", "Conf", mail});
  EXPECT_TRUE(has(plain.out, "matched       confidential=1, creditcard=1\n")) << plain.out;
  EXPECT_FALSE(has(plain.out, "line 2")) << "no list in the plain summary";
  EXPECT_FALSE(has(plain.out, "match record")) << "kinds, not raw expressions";

  Outcome verbose = scan({"-v", "-d", "Conf", mail});
  EXPECT_TRUE(has(verbose.out, "        creditcard  body text/plain  line 2, column 7  "
                               "**** **** **** 1111\n")) << verbose.out;
  EXPECT_TRUE(has(verbose.out, "        confidential  body text/plain  line 1, column 1  "
                               "confidential\n")) << verbose.out;
  EXPECT_EQ(scan({"-v", "--no-findings", "-d", "Conf", mail}).out.find("column"),
            std::string::npos);
  EXPECT_FALSE(has(verbose.err, "warning")) << verbose.err;

  Outcome json = scan({"--json", "-d", "Conf", mail});
  nlohmann::json const f =
      nlohmann::json::parse(json.out.substr(0, json.out.find('\n')))["results"][0]["findings"][1];
  EXPECT_EQ(f, nlohmann::json::parse(R"({"dictionary": "Conf", "item": 2, "kind": "creditcard",
      "pattern_type": 258, "part": 1, "area": "body", "label": "text/plain", "line": 2, "column": 7,
      "offset": 19, "length": 19, "code_point_offset": 19, "code_point_length": 19,
      "value": "**** **** **** 1111", "masked": true})"));

  Outcome shown = scan({"--json", "--show-values", "-d", "Conf", mail});
  EXPECT_TRUE(has(shown.out, "\"4111 1111 1111 1111\"")) << shown.out;
  EXPECT_TRUE(has(shown.err, "sensitive data")) << shown.err;
}

// vmund redact: the copy, its summary, and inputs it refuses.
TEST_F(VmundCommand, RedactMasksAndRefusesWhatIsNotOneMessage) {
  std::string const mail = dir_ + "/card.eml";
  writeFile(mail, "From: a@example.org\nSubject: ssn 123-45-6789\n\ncard: 4111 1111 1111 1111\n");
  Outcome r = vmund({"redact", mail, dir_ + "/out.eml"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "masked: ussn=1 in header; creditcard=1 in body\n");
  std::string const copy = vmund_test::slurpFile(dir_ + "/out.eml");
  EXPECT_TRUE(has(copy, "Subject: ssn ***-**-6789\n")) << copy;
  EXPECT_TRUE(has(copy, "card: **** **** **** 1111\n")) << copy;

  Outcome toStdout = vmund({"redact", mail, "-"});
  EXPECT_TRUE(has(toStdout.out, "card: **** **** **** 1111")) << toStdout.out;
  EXPECT_TRUE(has(toStdout.err, "masked: ")) << "the summary keeps out of the message";

  EXPECT_EQ(vmund({"redact", kSamples + "/06-thread.mbox", dir_ + "/x.eml"}).status, 2);
  Outcome missing = vmund({"redact", dir_ + "/missing.eml", dir_ + "/x.eml"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(has(missing.err, "cannot open")) << missing.err;
}

TEST_F(VmundCommand, BadInputsAreReportedAndTheRestIsScanned) {
  std::string bad = dir_ + "/bad";
  ASSERT_EQ(system(("mkdir -p " + bad + "/empty " + bad + "/nomail").c_str()), 0);
  writeFile(bad + "/nomail/notes.txt", "shopping list\n");
  writeFile(bad + "/zero.eml", "");
  // A 1 GB input is refused from its size alone: the file is sparse, and
  // reading it would need the memory the limit protects.
  writeFile(bad + "/huge.eml", "From: a@example.org\n\n");
  ASSERT_EQ(truncate((bad + "/huge.eml").c_str(), (1 << 30) + 1), 0);
  Outcome r = scan({"-d", "Conf", "--max-size", "1024", bad + "/missing.eml", bad + "/empty",
                    bad + "/zero.eml", bad + "/nomail", bad + "/huge.eml",
                    kSamples + "/06-thread.mbox"});
  EXPECT_EQ(r.status, 2);
  for (char const* expected :
       {"/missing.eml: cannot open: No such file or directory", "/empty: no files found",
        "/zero.eml: empty file",
        "/huge.eml: file is 1024.0 MB, larger than the --max-size limit of 1024.0 MB"}) {
    EXPECT_TRUE(has(r.err, expected)) << expected << "\n" << r.err;
  }
  EXPECT_TRUE(has(r.out, "06-thread.mbox#2\n")) << r.out;
  EXPECT_TRUE(has(r.out, "/nomail/notes.txt  (not mail: scanned whole as text)\n")) << r.out;

  // A Maildir: Dovecot's own files are skipped by name; a broken symbolic
  // link is reported, a good one followed, a loop named.
  std::string const md = dir_ + "/Maildir";
  ASSERT_EQ(system(("mkdir -p " + md + "/cur && cp " + kSamples + "/01-plain-note.eml " + md +
                    "/cur/1.eml && echo x > " + md + "/dovecot-uidlist && echo x > " + md +
                    "/dovecot.index.log && ln -s 1.eml " + md + "/cur/link && ln -s gone " + md +
                    "/cur/broken && ln -s .. " + md + "/cur/loop")
                       .c_str()),
            0);
  Outcome maildir = scan({"-d", "Conf", md});
  EXPECT_FALSE(has(maildir.out + maildir.err, "dovecot")) << maildir.out << maildir.err;
  EXPECT_TRUE(has(maildir.out, "/cur/link\n")) << maildir.out;
  EXPECT_TRUE(has(maildir.err, "/cur/broken: cannot open: No such file or directory (broken symbolic link)"))
      << maildir.err;
  EXPECT_TRUE(has(maildir.err, "/cur/loop: symbolic link loop")) << maildir.err;
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
  for (std::string const id :
       {"01-plain-note.eml", "02-alternative-html.eml", "03-base64-attachment.eml",
        "04-encoded-subject.eml", "05-planted-identifiers.eml", "06-thread.mbox#1",
        "06-thread.mbox#2"}) {
    SCOPED_TRACE(id);
    size_t at = r.out.find("\n" + id + " ");
    ASSERT_NE(at, std::string::npos) << r.out;
    std::istringstream line(r.out.substr(at + 1, r.out.find('\n', at + 1) - at - 1));
    std::string shown;
    unsigned long pii = 0;
    line >> shown >> pii;
    EXPECT_EQ(pii > 0, id != "01-plain-note.eml" && id != "06-thread.mbox#1") << line.str();
  }
}

}  // namespace
