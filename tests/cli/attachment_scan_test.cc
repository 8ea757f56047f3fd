// `vmund scan` on messages with archives and documents attached: each text
// read from them is a part labelled with its container path, the score
// counts what they hold, and parts not read are listed with why.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/attachment_support.h"
#include "run_vmund.h"
#include "support/scoped_env.h"

namespace {

using vmund_test::Outcome;

class AttachmentScan : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run({"db", "init", "--db-dir", dir_}).status, 0);
    ASSERT_EQ(run({"dict", "import", "--db-dir", dir_, "PII",
                   VMUND_SOURCE_DIR "/data/policies/identifiers.csv"}).status, 0);
  }
  static Outcome run(std::vector<std::string> args) { return vmund_test::runVmund(args); }
  // Scans a message holding `file` from data/attachments as `name`.
  Outcome scan(std::string const& name, std::string const& bytes, std::vector<std::string> extra) {
    std::string const path = dir_ + "/" + name + ".eml";
    vmund_test::writeFile(path, vmund_test::messageWith(name, "application/octet-stream", bytes));
    std::vector<std::string> args{"scan", "--db-dir", dir_, "-d", "PII", "--threshold", "1000"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(path);
    return run(args);
  }
  vmund_test::TempDir tmp_;
  std::string const dir_ = tmp_.dir();
};

unsigned long scoreOf(std::string const& out) {
  size_t at = out.find("score ");
  return at == std::string::npos ? 0 : std::stoul(out.substr(at + 6));
}

TEST_F(AttachmentScan, ReportZipListsItsPartsAndScoresTheSpreadsheet) {
  Outcome zip = scan("report.zip", vmund_test::fixture("report.zip"), {"-v"});
  EXPECT_EQ(zip.status, 0) << zip.err;
  EXPECT_NE(zip.out.find("    part  attachment       150 bytes  report.zip/2024/customers.xlsx\n"),
            std::string::npos) << zip.out;
  EXPECT_NE(zip.out.find("    part  attachment       18 bytes  report.zip/2024/readme.txt\n"),
            std::string::npos) << zip.out;
  // The same cells sent as a plain text attachment score the same.
  Outcome plain = scan("cells.tsv", vmund_test::fixture("planted.tsv"), {});
  EXPECT_GT(scoreOf(zip.out), 0u);
  EXPECT_EQ(scoreOf(zip.out), scoreOf(plain.out)) << zip.out << plain.out;
}

TEST_F(AttachmentScan, JsonNamesEveryPartAndWhyOneWasNotRead) {
  Outcome r = scan("secret.zip", vmund_test::fixture("encrypted.zip"), {"--json"});
  nlohmann::json j = nlohmann::json::parse(r.out.substr(0, r.out.find('\n')));
  ASSERT_EQ(j["skipped"].size(), 1u);
  EXPECT_EQ(j["skipped"][0]["label"], "secret.zip/planted.txt");
  EXPECT_EQ(j["skipped"][0]["reason"], "encrypted");
  EXPECT_EQ(j["skipped"][0]["unscannable"], true);
  EXPECT_EQ(r.status, 3) << "not scanned in full: never 0 alone";
  EXPECT_NE(r.out.find("\"unscannable\":1"), std::string::npos) << "in the summary line";
}

TEST_F(AttachmentScan, LimitsAreOptions) {
  Outcome r = scan("report.zip", vmund_test::fixture("report.zip"), {"-v", "--max-entries", "1"});
  EXPECT_NE(r.out.find("\n    skipped (unscannable)  report.zip: 1 member not read: past the "
                       "message's limit of archive members\n"),
            std::string::npos) << r.out;
  EXPECT_NE(run({"scan", "--help"}).out.find("--max-ratio"), std::string::npos);
}

}  // namespace
