// Template dictionaries: the score-file and term-file
// readers on files the tests write, and the template entries in the
// dictionary cache.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/backend_test_db.h"
#include "support/scanner_view.h"
#include "support/scoped_env.h"
#include "vessamund/factory.h"

namespace {

using Vessamund::DictionaryFactory;
using Vessamund::DictionaryScannerImpl;
using Vessamund::predefined_dictionary_file_paths;
using Vessamund::Ref;
using vmund_test::ItemView;
using vmund_test::itemsOf;

// Points template numbers at files of its own temporary directory and puts
// the table and the caches back afterwards.
class TemplateTest : public ::testing::Test {
 protected:
  void SetUp() override { factory->clean(); }
  void TearDown() override {
    predefined_dictionary_file_paths = saved_;
    factory->clean();
  }
  // Writes `content` to the number's file (the same path each time) and
  // points `number` at it.
  void install(unsigned short number, std::string const& content) {
    std::string path = tmp_.dir() + "/t" + std::to_string(number);
    std::ofstream(path, std::ios::binary) << content;
    predefined_dictionary_file_paths.at(number - 512) = path;
  }

  DictionaryFactory* factory = DictionaryFactory::instance();

 private:
  std::vector<std::string> saved_ = predefined_dictionary_file_paths;
  vmund_test::TempDir tmp_;
};

// Template items read areas 1, 2 and 8 (a regex item adds the headers, 4,
// to any area that holds 1).
ItemView word(std::string const& p, unsigned w, unsigned max) {
  return ItemView{"contain", p, w, 11, max, true};
}

// Numbers 512 to 519 name score files, later ones term files.
TEST_F(TemplateTest, ScoreAndTermLines) {
  std::string const longTerm(298, 'a');
  struct Row {
    unsigned short number;
    char const* note;
    std::string content;
    std::vector<ItemView> expected;
  } const rows[] = {
      {521, "plain word", "5=invoice\n", {word("invoice", 5, 5)}},
      {521, "regex with a count", "5/3~ab+c\n", {{"regex", "ab+c", 5, 15, 15, true}}},
      {521, "weight keeps its low 16 bits", "70000=x\n", {word("x", 4464, 4464)}},
      {521, "weight times count too", "20000/5=x\n", {word("x", 20000, 34464)}},
      {521, "count 0: an item that can never score", "5/0=x\n", {word("x", 5, 0)}},
      {521, "a carriage return stays in the term", "5=x\r\n", {word("x\r", 5, 5)}},
      {521, "a last line without newline keeps its last character", "5=x", {word("x", 5, 5)}},
      {521, "nothing after the separator at the end of the file", "5=", {}},
      {521, "leading blank", " 5=x\n", {}},
      {521, "slash without digits", "5/=x\n", {}},
      {521, "blank before the separator", "5 =x\n", {}},
      {521, "a line of 300 is read in pieces; the second is not a term",
       "5=" + longTerm + "\n", {word(std::string(253, 'a'), 5, 5)}},
      {521, "one record reused: the type goes back to plain word", "1~r\n#\n2=w\n0~z\n3=v\n",
       {{"regex", "r", 1, 15, 1, true}, word("w", 2, 2), word("v", 3, 3)}},
      {512, "plain word", "3|confidential|10|0|30|1|\n", {word("confidential", 10, 30)}},
      {512, "blanks kept, fourth field unused", "3| a b |10|999|30|1|rest\n",
       {word(" a b ", 10, 30)}},
      {512, "any type code, widths truncated", "abc|x|70000|0|70000|257|\n",
       {{"wildcard", "x", 4464, 11, 4464, true}}},
      {512, "five bars", "3|x|10|0|30|1\n", {}},
      {512, "term syntax is not a score line", "5=x\n", {}},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(std::to_string(r.number) + ": " + r.note);
    install(r.number, r.content);
    EXPECT_EQ(itemsOf(factory->createDictScanner(r.number, "T")), r.expected);
  }
}

TEST_F(TemplateTest, EveryCallReadsTheFileAndReplacesTheEntry) {
  install(523, "1=a\n");
  Ref<DictionaryScannerImpl> first = factory->createDictScanner(523, "T");
  install(523, "1=b\n");
  Ref<DictionaryScannerImpl> second = factory->createDictScanner(523, "T");
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(itemsOf(first)[0].pattern, "a");
  // The cache answers for the name without a database.
  EXPECT_EQ(factory->createProfileScanner("T").get(), second.get());
}

#ifdef VMUND_TEST_DB
TEST_F(TemplateTest, TemplateAndDatabaseDictionariesShareOneName) {
  vmund_test::TestDb dbs;
  dbs.addItem("D", 1, "db");
  dbs.addItem("E", 1, "db");
  install(521, "1=tpl\n");
  Ref<DictionaryScannerImpl> shadow = factory->createDictScanner(521, "D");
  EXPECT_EQ(factory->createProfileScanner("D").get(), shadow.get()) << "no database read";

  Ref<DictionaryScannerImpl> fromDb = factory->createProfileScanner("E");
  EXPECT_EQ(itemsOf(fromDb)[0].pattern, "db");
  Ref<DictionaryScannerImpl> replaced = factory->createDictScanner(521, "E");
  EXPECT_EQ(factory->createProfileScanner("E").get(), replaced.get());
}
#endif

}  // namespace
