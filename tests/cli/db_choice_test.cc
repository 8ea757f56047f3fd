// `vmund scan` on the configuration database of the client it was built
// with: --db of that kind, refused --db values, and an unreachable database.
#include "support/backend_test_db.h"
#ifdef VMUND_TEST_DB

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "run_vmund.h"

namespace {

using vmund_test::TestDb;

std::string const kMail = VMUND_SOURCE_DIR "/data/samples/01-plain-note.eml";

// --db for the test's own database, and one of the kind not built in.
#if defined(VMUND_DB_CLIENT_SQLITE)
std::string ownDb(TestDb const& dbs) { return "sqlite:" + dbs.dir(); }
char const* const kOtherKind = "mariadb:/run/mysqld/mysqld.sock";
#else
std::string ownDb(TestDb const&) { return std::string("mariadb:") + getenv("VMUND_DB_SOCKET"); }
char const* const kOtherKind = "sqlite:/var/lib/vessamund";
#endif

using vmund_test::Outcome;

// Scans the sample note with dictionary Lunch (threshold 10) and `args`.
Outcome scan(std::vector<std::string> args) {
  args.insert(args.begin(), "scan");
  args.insert(args.end(), {"-d", "Lunch", "--threshold", "10", kMail});
  return vmund_test::runVmund(args);
}

class VmundDatabase : public ::testing::Test {
 protected:
  void SetUp() override { dbs.addItem("Lunch", 1, "vegetarian", 10, 3, 255); }
  TestDb dbs;
};

TEST_F(VmundDatabase, RefusesDbValuesItCannotUse) {
  struct Row {
    std::vector<std::string> args;
    char const* says;
  } const rows[] = {
      {{"--db", kOtherKind}, "client"},
      {{"--db", "oracle:/x"}, "sqlite:DIR or mariadb:SOCKET"},
      {{"--db", "mariadb:"}, "sqlite:DIR or mariadb:SOCKET"},
      {{"--db", ownDb(dbs), "--db-dir", "/tmp"}, "excludes"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.args[1]);
    Outcome o = scan(r.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find(r.says), std::string::npos) << o.err;
  }
}

// The built-in client's database, named by --db or by the environment; an
// unreachable one is an error before scanning.
TEST_F(VmundDatabase, ScansWithTheBuiltInClientAndRefusesAnUnreachableDatabase) {
  EXPECT_EQ(scan({"--db", ownDb(dbs)}).status, 1) << "the word reaches the threshold";
  dbs.suspend();
  Outcome o = scan({});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("vmund scan: "), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("cannot be loaded"), std::string::npos) << "checked before loading";
  dbs.resume();
  EXPECT_EQ(scan({}).status, 1) << "without --db, the environment's database";
}

}  // namespace

#endif  // VMUND_TEST_DB
