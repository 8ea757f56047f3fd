// The factory's caches over real databases of the client built in (SQLite
// files, or a MariaDB test server): one load per name, clean() and the reload
// flag, row conversion, groups, hostile names and an unreachable database.
#include "support/backend_test_db.h"
#ifdef VMUND_TEST_DB

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scanner_view.h"
#include "support/test_area.h"
#include "vessamund/factory.h"

namespace {

using namespace Vessamund;
using namespace vmund_test;

class DatabaseLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    factory->clean();
    setReloadWord(0);
  }
  void TearDown() override { factory->clean(); }

  unsigned long scan(Ref<DictionaryScannerImpl> const& scanner, std::string const& text) {
    TestArea area{{text, 1}};
    std::string matchLog, scoreList;
    return scanner->scan(&area, 100, nullptr, matchLog, scoreList);
  }

  TestDb dbs;
  DictionaryFactory* factory = DictionaryFactory::instance();
};

TEST_F(DatabaseLoaderTest, SecondRequestIsACacheHit) {
  dbs.addItem("D", 1, "alpha");
  Ref<DictionaryScannerImpl> first = factory->createProfileScanner("D");
  dbs.addItem("D", 2, "beta");  // not seen until the cache is emptied
  Ref<DictionaryScannerImpl> second = factory->createProfileScanner("D");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(itemsOf(second).size(), 1u);
  // A group and a dictionary of one name are separate entries.
  dbs.addMember("D", 1, "D");
  EXPECT_EQ(membersOf(factory->createGroupScanner("D")).size(), 1u);
  EXPECT_NE(factory->createProfileScanner("D").get(), first.get()) << "the group reloaded D";
}

TEST_F(DatabaseLoaderTest, HandleKeptAcrossCleanScansWithTheOldScanner) {
  dbs.addItem("D", 1, "alpha", 2);
  Ref<DictionaryScannerImpl> old = factory->createProfileScanner("D");
  factory->clean();
  dbs.exec("fe_content", "update fe_dict_item set pattern = 'beta';");
  Ref<DictionaryScannerImpl> fresh = factory->createProfileScanner("D");
  EXPECT_NE(old.get(), fresh.get());
  EXPECT_EQ(old->refCount(), 1) << "clean() dropped the cache's reference";
  EXPECT_EQ(scan(old, "alpha and alpha"), 4u);
  EXPECT_EQ(scan(fresh, "alpha and alpha"), 0u);
  EXPECT_EQ(scan(fresh, "beta"), 2u);
}

TEST_F(DatabaseLoaderTest, ReloadFlagEmptiesBothCachesOnTheNextRequest) {
  dbs.addItem("D", 1, "alpha");
  dbs.addMember("G", 1, "D");
  Ref<DictionaryScannerImpl> d1 = factory->createProfileScanner("D");
  Ref<DictionaryScannerImpl> g1 = factory->createGroupScanner("G");
  // A template number without a file caches "T" empty.
  EXPECT_TRUE(factory->createDictScanner(520, "T").empty());
  EXPECT_TRUE(factory->createProfileScanner("T").empty());

  uint32_t const hostBits = 0x80000001u | 0x10u;
  setReloadWord(hostBits | 4u);
  // Template loads neither test nor clear the flag.
  factory->createDictScanner(520, "U");
  EXPECT_EQ(reloadWord(), hostBits | 4u);

  Ref<DictionaryScannerImpl> d2 = factory->createProfileScanner("D");
  EXPECT_EQ(reloadWord(), hostBits) << "only bit value 4 is cleared";
  EXPECT_NE(d2.get(), d1.get());
  EXPECT_FALSE(factory->createProfileScanner("T").empty()) << "T now comes from the database";
  EXPECT_NE(factory->createGroupScanner("G").get(), g1.get()) << "groups were emptied too";

  setReloadWord(4u);
  Ref<DictionaryScannerImpl> g3 = factory->createGroupScanner("G");
  EXPECT_EQ(reloadWord(), 0u);
  EXPECT_NE(factory->createProfileScanner("D").get(), d2.get());
}

TEST_F(DatabaseLoaderTest, RowsBecomeItemsInItemOrderWithFieldsTruncated) {
  struct Row {
    int itemNo;
    char const* values;  // pattern, type, weight, area, max weight, limit, status
    char const* note;
  } const rows[] = {
      {5, "'e', 3, 65536, 1, 0, 0, 1", "weight 65536 keeps 0: skipped"},
      {1, "'a', 3, 2, 1, 0, 0, 257", "status 257 keeps 1: accepted"},
      {4, "'d', 3, 1, 1, 0, 0, 256", "status 256 keeps 0: skipped"},
      {3, "'c', 'abc', 1, 1, 0, 0, 1", "letters in the type column: wildcard"},
      {2, "'b', 3, -1, 1, 0, 0, 1", "weight -1 keeps 65535"},
      {6, "'f', 3, 0, 1, 0, 0, 1", "weight 0: skipped"},
      {7, "'g', 3, 1, 1, 0, 0, 0", "status 0: skipped"},
      {8, "'h', ' 3', '7x', 267, 70000, 513, 1",
       "blank before a number, trailing letters, area and cap truncated"},
  };
  for (auto const& r : rows) {
    dbs.exec("fe_content", "insert into fe_dict_item (dict_name, item_no, pattern, pattern_type, "
                           "pattern_weight, pattern_scan_area, pattern_max_weight, "
                           "pattern_max_limit, pattern_status) values ('D', " +
                               std::to_string(r.itemNo) + ", " + r.values + ");");
  }
  dbs.addItem("D", 9, std::string(300, 'p'));  // cut to 255
  EXPECT_EQ(itemsOf(factory->createProfileScanner("D")),
            (std::vector<ItemView>{
                {"contain", "a", 2, 1, 0, false},
                {"contain", "b", 65535, 1, 0, false},
                {"wildcard", "c", 1, 1, 0, false},
                {"contain", "h", 7, 11, 4464, true},
                {"contain", std::string(255, 'p'), 1, 1, 0, false},
            }));
}

TEST_F(DatabaseLoaderTest, GroupLoadsEveryMemberAfresh) {
  dbs.addItem("D", 1, "alpha");
  dbs.addMember("G", 1, "D");
  dbs.addMember("G", 2, "Empty");  // no rows
  dbs.addMember("G", 3, "D");
  Ref<DictionaryScannerImpl> cachedBefore = factory->createProfileScanner("D");
  Ref<DictionaryScannerImpl> group = factory->createGroupScanner("G");
  auto members = membersOf(group);
  ASSERT_EQ(members.size(), 3u);
  EXPECT_NE(members[0], members[2]) << "a dictionary named twice is loaded twice";
  EXPECT_NE(members[0], cachedBefore.get()) << "members are loaded, not taken from the cache";
  ASSERT_NE(members[1], nullptr);
  EXPECT_TRUE(itemsOf(factory->createProfileScanner("Empty")).empty());
  EXPECT_EQ(factory->createProfileScanner("D").get(), members[2]) << "the last load is cached";
  EXPECT_EQ(factory->createProfileScanner("Empty").get(), members[1]);
  EXPECT_EQ(scan(cachedBefore, "alpha"), 1u) << "the replaced scanner still works";
}

TEST_F(DatabaseLoaderTest, FailingStatementCachesEmptyScanners) {
  dbs.exec("fe_content", "create table unrelated (a integer);", false);
  Ref<DictionaryScannerImpl> d = factory->createProfileScanner("D");
  ASSERT_FALSE(d.empty());
  EXPECT_TRUE(itemsOf(d).empty());
  dbs.exec("fe_content", readSchema());
  dbs.addItem("D", 1, "alpha");
  EXPECT_EQ(factory->createProfileScanner("D").get(), d.get());
  EXPECT_TRUE(membersOf(factory->createGroupScanner("G")).empty());
}

TEST_F(DatabaseLoaderTest, HostileNamesCannotWidenTheStatement) {
  // Quotes must not end the literal early, nor may a backslash escape the
  // closing quote on a server that reads escapes.
  dbs.addItem("D", 1, "alpha");
  dbs.addMember("G", 1, "D");
  struct Row {
    std::string dict, group;
  } const rows[] = {
      {"x' or '1'='1", "x\" or \"1\"=\"1"},
      {"x\\' or '1'='1", "x\\\" or \"1\"=\"1"},
      {"E\\", "F\\"},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.dict);
    dbs.addItem(r.dict, 1, "literal");
    dbs.addMember(r.group, 1, r.dict);
    auto items = itemsOf(factory->createProfileScanner(r.dict));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].pattern, "literal");
    auto members = membersOf(factory->createGroupScanner(r.group));
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0], factory->createProfileScanner(r.dict).get());
  }
  EXPECT_TRUE(itemsOf(factory->createProfileScanner("y' or '1'='1")).empty());
  EXPECT_TRUE(membersOf(factory->createGroupScanner("y\" or \"1\"=\"1")).empty());
}

TEST_F(DatabaseLoaderTest, DatabaseStoppedAndBack) {
  dbs.addItem("D", 1, "alpha");
  dbs.addMember("G", 1, "D");
  dbs.suspend();
  EXPECT_TRUE(factory->createProfileScanner("D").empty());
  EXPECT_TRUE(factory->createProfileScanner("D").empty()) << "nothing was cached";
  Ref<DictionaryScannerImpl> group = factory->createGroupScanner("G");
  ASSERT_FALSE(group.empty());
  EXPECT_TRUE(membersOf(group).empty());
  EXPECT_EQ(factory->createGroupScanner("G").get(), group.get()) << "the empty group is cached";

  dbs.resume();
  EXPECT_EQ(itemsOf(factory->createProfileScanner("D")).size(), 1u);
  EXPECT_EQ(factory->createGroupScanner("G").get(), group.get());
  factory->clean();
  EXPECT_EQ(membersOf(factory->createGroupScanner("G")).size(), 1u);
}

}  // namespace

#endif  // VMUND_TEST_DB
