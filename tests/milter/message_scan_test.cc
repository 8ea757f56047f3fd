// Scanners from a real configuration database: loading, scanning a collected
// message, and reloading while older sets stay in use.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "host/deadline.h"
#include "milter/message_scan.h"
#include "milter/scanner_source.h"
#include "admin/config_db.h"
#include "support/schema_sql.h"
#include "support/scoped_env.h"
#include "vessamund/factory.h"
#include "vessamund/host_block.h"

namespace {

using namespace vmund::milter;
using vmund::admin::ConfigDb;
using vmund::ScannerRequest;
using vmund::admin::ItemRow;

ItemRow item(std::string pattern, uint16_t type, uint16_t weight) {
  return ItemRow{0, std::move(pattern), type, weight, 15};
}

Rule rule(std::string name, unsigned long threshold,
          ScannerRequest::Source kind = ScannerRequest::kDictionary) {
  Rule r;
  r.scanner.source = kind;
  r.scanner.name = std::move(name);
  r.threshold = threshold;
  return r;
}

// A fresh database in a private folder, named by $VMUND_DB_DIR.
class MilterScan : public ::testing::Test {
 protected:
  void SetUp() override { ConfigDb::create(dir_, vmund_test::readSchema()); }
  // A source over `rules` after a first load that found nothing missing and
  // gave `warnings` warnings.
  static auto loaded(std::vector<Rule> const& rules, size_t warnings = 0) {
    auto source = std::make_unique<ScannerSource>(rules);
    std::vector<std::string> problems, found;
    source->load(problems, found);
    EXPECT_TRUE(problems.empty()) << problems[0];
    EXPECT_EQ(found.size(), warnings);
    return source;
  }

  vmund_test::TempDir tmp_;
  std::string const dir_ = tmp_.dir();
  vmund_test::ScopedEnv env_{"VMUND_DB_DIR", dir_.c_str()};
};

std::string const kCards =
    "From: a@example.test\r\nSubject: cards\r\n\r\n"
    "Visa 4111 1111 1111 1111 and Mastercard 5555 5555 5555 4444, confidential.\r\n";

ScanOutcome scan(std::vector<Rule> const& rules, ScannerSet const& set, std::string const& text) {
  vmund::DeadlineProgress deadline(std::chrono::milliseconds(0));
  deadline.arm();
  return scanMessage(rules, set, text, deadline);
}

TEST_F(MilterScan, ScoresEveryRuleUpToItsThreshold) {
  {
    ConfigDb db(dir_);
    db.appendItem("MsPII", item("", 258, 10));
    db.appendItem("MsWords", item("confidential", 3, 5));
    db.appendItem("MsHR", item("salary", 3, 5));
    db.addGroupMembers("MsGroup", {"MsHR", "MsWords"});
    ItemRow off = item("unused", 3, 5);
    off.status = 0;
    db.appendItem("MsPII2", off);
  }
  std::vector<Rule> rules = {rule("MsPII", 100), rule("MsHR", 5),
                             rule("MsGroup", 5, ScannerRequest::kGroup), rule("MsPII2", 15)};
  // MsPII2 has no enabled rows: a warning, not a problem.
  auto source = loaded(rules, 1);
  std::vector<std::string> notes;
  auto set = source->acquire(notes);
  ScanOutcome o = scan(rules, *set, kCards);
  EXPECT_EQ(o.skip, Skip::kNone);
  ASSERT_EQ(o.results.size(), 4u);
  EXPECT_EQ(o.results[0].score, 20u);
  EXPECT_EQ(o.results[0].scoreRecord, "MsPII:20");
  EXPECT_EQ(o.results[1].score, 0u);
  EXPECT_EQ(o.results[2].scoreRecord, "MsWords:5") << "a group reports its best member";
  EXPECT_EQ(o.results[3].score, 0u);
  // Every rule's findings, by kind and place, never a value: the card rule's
  // two numbers and the group winner's word.
  EXPECT_EQ(o.findings, "creditcard=2 in body; confidential=1 in body");
}

TEST_F(MilterScan, LoadNamesWhatIsMissing) {
  std::vector<Rule> rules = {rule("MsAny", 1), rule("MsTemplate", 1, ScannerRequest::kTemplate)};
  rules[1].scanner.number = 512;
  std::string const savedPath = Vessamund::predefined_dictionary_file_paths[0];
  Vessamund::predefined_dictionary_file_paths[0] = dir_ + "/no-such-template.txt";
  std::remove(ConfigDb::pathIn(dir_).c_str());
  ScannerSource source(rules);
  std::vector<std::string> problems, warnings;
  source.load(problems, warnings);
  Vessamund::predefined_dictionary_file_paths[0] = savedPath;
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("dictionary MsAny: " + ConfigDb::pathIn(dir_)), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("template 512:MsTemplate: " + dir_ + "/no-such-template.txt"), std::string::npos)
      << problems[1];
}

TEST_F(MilterScan, ReloadPicksUpChangesAndOldSetsKeepTheirScanners) {
  ConfigDb(dir_).appendItem("MsLive", item("invoice", 3, 5));
  std::vector<Rule> rules = {rule("MsLive", 100)};
  auto source = loaded(rules);
  std::vector<std::string> notes;
  auto before = source->acquire(notes);
  EXPECT_EQ(before->generation, 1u);
  std::string const text = "Subject: x\r\n\r\ninvoice with card 4111 1111 1111 1111\r\n";

  ConfigDb(dir_).appendItem("MsLive", item("", 258, 10));
  ConfigDb(dir_).appendItem("MsLive", item("in(voice", 1, 50));  // never matches, and is named
  EXPECT_EQ(source->acquire(notes), before) << "no reload without a request";
  EXPECT_TRUE(notes.empty());

  source->requestReload();
  auto after = source->acquire(notes);
  EXPECT_EQ(after->generation, 2u);
  ASSERT_FALSE(notes.empty());
  EXPECT_NE(notes.back().find("reload 1 done"), std::string::npos) << notes.back();
  EXPECT_EQ(notes.front(), "reload 1: warning: dictionary MsLive: regular expression \"in(voice\" "
                           "does not compile (missing closing parenthesis at offset 8); it never "
                           "matches");
  EXPECT_EQ(scan(rules, *after, text).results[0].score, 15u);
  EXPECT_EQ(scan(rules, *before, text).results[0].score, 5u) << "a set in use keeps its scanner";
  uint32_t word;
  std::memcpy(&word, static_cast<unsigned char*>(nCfg_debug_zone) + VMUND_RELOAD_WORD_OFFSET, 4);
  EXPECT_EQ(word & VMUND_RELOAD_FLAG, 0u) << "the factory took the reload bit";
  EXPECT_EQ(source->acquire(notes), after);
}

// A reload is all or nothing: one rule that fails, or a rule that held
// items and holds none, keeps every old scanner.
TEST_F(MilterScan, ReloadThatLooksBrokenKeepsEveryScanner) {
  {
    ConfigDb db(dir_);
    db.appendItem("MsA", item("invoice", 3, 5));
    db.appendItem("MsB", item("salary", 3, 5));
  }
  std::vector<Rule> rules = {rule("MsA", 100), rule("MsB", 100)};
  auto source = loaded(rules);
  std::vector<std::string> notes;
  auto before = source->acquire(notes);
  std::string const text = "Subject: x\r\n\r\ninvoice salary salary\r\n";
  std::string const copy = dir_ + "/copy.db", db = ConfigDb::pathIn(dir_);
  struct Row {
    std::string change;  // shell command on the database
    std::string says;
  } const rows[] = {
      {"sqlite3 " + db + " \"update fe_dict_item set pattern_status = 0 where dict_name = 'MsB'\"",
       "dictionary MsB is empty now, but was not"},
      {"sqlite3 " + db + " \"delete from fe_dict_item where dict_name = 'MsB'\"", "no dictionary named"},
      {"sqlite3 " + db + " \"drop table fe_dict_group_dictionaries\"", "not a configuration database"},
      {"rm " + db, db + ": No such file or directory"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.change);
    ASSERT_EQ(system(("cp " + db + " " + copy).c_str()), 0);
    ConfigDb(dir_).appendItem("MsA", item("", 258, 10));  // a change that must not go live alone
    ASSERT_EQ(system(r.change.c_str()), 0);
    notes.clear();
    source->requestReload();
    auto set = source->acquire(notes);
    ASSERT_EQ(std::rename(copy.c_str(), db.c_str()), 0);
    EXPECT_EQ(set, before);
    ASSERT_FALSE(notes.empty());
    EXPECT_NE(notes[0].find(r.says), std::string::npos) << notes[0];
    EXPECT_NE(notes.back().find("keeping every scanner loaded before"), std::string::npos);
    ScanOutcome o = scan(rules, *set, text);
    EXPECT_EQ(o.results[1].score, 10u) << "the old MsB";
  }
}

}  // namespace
