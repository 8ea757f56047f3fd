// The milter's configuration file: what it reads, and every mistake it
// reports with its line; the socket's form and who may take it.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "milter/config.h"
#include "milter/socket_guard.h"
#include "support/files.h"
#include "support/scoped_env.h"

namespace {

using namespace vmund::milter;

std::vector<ConfigProblem> parse(std::string const& text, Config& config) {
  std::vector<ConfigProblem> problems;
  parseConfig(text, config, problems);
  return problems;
}

TEST(MilterConfig, ReadsSettingsAndRulesInOrder) {
  Config c;
  auto problems = parse(
      "# a comment line\n"
      "socket      inet:8894@127.0.0.1\n"
      "db-dir      \"/var/lib/vessa mund\"   # trailing comment\n"
      "templates   /srv/templates\n"
      "max-size    512K\n"
      "time-budget 2.5\n"
      "log         syslog\n"
      "findings-header yes\n"
      "\n"
      "dictionary PII threshold 20 action reject reply \"554 5.7.0 No cards, \\\"please\\\"\"\n"
      "group      Finance threshold 50 action quarantine\n"
      "template   512:GLB action tempfail\n"
      "dictionary \"Two words\"\r\n"
      "reject-reply \"550 5.7.1 Refused here\"\n"
      "max-depth 3\nmax-entries 50\nmax-extracted 64M\nmax-entry-size 8M\nmax-ratio 250\n"
      "unscannable tempfail\nextractor /opt/vmund-extract\n",
      c);
  ASSERT_TRUE(problems.empty()) << problems[0].line << ": " << problems[0].message;
  EXPECT_EQ(c.socket, "inet:8894@127.0.0.1");
  EXPECT_EQ(c.dbDir, "/var/lib/vessa mund");
  EXPECT_EQ(c.templates, "/srv/templates");
  EXPECT_EQ(c.maxSize, 512u * 1024);
  EXPECT_EQ(c.timeBudget.count(), 2500);
  EXPECT_TRUE(c.syslog);
  EXPECT_TRUE(c.findingsHeader);
  EXPECT_FALSE(Config().findingsHeader) << "off unless asked for";
  EXPECT_EQ(c.extract.maxDepth, 3u);
  EXPECT_EQ(c.extract.maxEntries, 50u);
  EXPECT_EQ(c.extract.maxTotalBytes, 64ull << 20);
  EXPECT_EQ(c.extract.maxEntryBytes, 8ull << 20);
  EXPECT_EQ(c.extract.maxRatio, 250u);
  EXPECT_EQ(c.unscannable, Action::kTempfail);
  EXPECT_EQ(c.extractor, "/opt/vmund-extract");
  EXPECT_EQ(Config().unscannable, Action::kAccept);
  EXPECT_EQ(Config().extract.maxEntries, 1000u);
  ASSERT_EQ(c.rules.size(), 4u);

  Rule const& pii = c.rules[0];
  EXPECT_EQ(pii.scanner.source, vmund::ScannerRequest::kDictionary);
  EXPECT_EQ(pii.threshold, 20u);
  EXPECT_EQ(pii.action, Action::kReject);
  EXPECT_EQ(pii.reply.code, "554");
  EXPECT_EQ(pii.reply.status, "5.7.0");
  EXPECT_EQ(pii.reply.text, "No cards, \"please\"");
  EXPECT_EQ(pii.line, 10);

  EXPECT_EQ(c.rules[1].scanner.source, vmund::ScannerRequest::kGroup);
  EXPECT_EQ(c.rules[1].action, Action::kQuarantine);
  EXPECT_TRUE(c.rules[1].reply.empty());

  Rule const& glb = c.rules[2];
  EXPECT_EQ(glb.scanner.source, vmund::ScannerRequest::kTemplate);
  EXPECT_EQ(glb.scanner.number, 512);
  EXPECT_EQ(glb.scanner.name, "GLB");
  EXPECT_EQ(glb.threshold, 100u) << "vmund's default threshold";
  // No reply of its own: the file's default, whichever line set it.
  EXPECT_EQ(glb.reply.code, "451");
  EXPECT_EQ(glb.reply.status, "4.7.1");

  EXPECT_EQ(c.rules[3].scanner.name, "Two words");
  EXPECT_EQ(c.rules[3].action, Action::kAccept);
}

TEST(MilterConfig, ReportsEachMistakeWithItsLine) {
  struct Row {
    char const* text;  // the mistake stands on line 2
    char const* says;
  };
  Row const rows[] = {
      {"colour blue", "unknown setting \"colour\""},
      {"socket", "takes one value"},
      {"max-size 0", "max-size"},
      {"max-size 25T", "max-size"},
      {"time-budget soon", "time-budget"},
      {"time-budget 1e3", "time-budget"},
      {"log journal", "syslog or stderr"},
      {"findings-header on", "yes or no"},
      {"reject-reply \"451 4.7.1 Later\"", "5xx code"},
      {"tempfail-reply \"550 5.7.1 No\"", "4xx code"},
      {"reject-reply \"550 4.7.1 Mixed\"", "enhanced status code"},
      {"reject-reply \"550 5.7 Short\"", "enhanced status code"},
      {"reject-reply \"550 5.7.1234 Long\"", "enhanced status code"},
      {"reject-reply \"550 5.x.1 Letter\"", "enhanced status code"},
      {"reject-reply \"550 5.7.1 tab\there\"", "printable"},
      {"dictionary", "needs a name"},
      {"dictionary \"\"", "empty name"},
      {"dictionary PII threshold", "needs a value"},
      {"dictionary PII threshold 0", "threshold"},
      {"dictionary PII action bounce", "action \"bounce\""},
      {"dictionary PII colour red", "unknown rule option"},
      {"dictionary PII reply \"550 5.7.1 No\"", "only for the actions"},
      {"dictionary PII action reject reply \"451 4.7.1 Later\"", "5xx code"},
      {"dictionary PII action tempfail reply \"550 5.7.1 No\"", "4xx code"},
      {"template GLB", "NUMBER:NAME"},
      {"template 511:GLB", "512 to 540"},
      {"template 512:", "empty name"},
      {"dictionary A;B", "holds \";\""},
      {"group A:B", "holds \":\""},
      {"oversize bounce", "expected accept"},
      {"max-depth 0", "max-depth \"0\": expected 1 to 100"},
      {"max-entries x", "max-entries \"x\": expected 1 to 1000000"},
      {"max-extracted 5Q", "max-extracted \"5Q\": expected a size such as 400M"},
      {"max-ratio -1", "max-ratio \"-1\": expected 1 to 1000000"},
      {"unscannable drop", "unscannable \"drop\""},
      {"local-domains user@example.org", "not a domain"},
      {"dictionary \"unterminated", "unterminated"},
      {"dictionary \"glued\"text", "followed by a blank"},
      {"dictionary Base", "already used"},
      {"template 513:Base", "already used"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.text);
    Config c;
    auto problems = parse(std::string("dictionary Base\n") + r.text + "\n", c);
    ASSERT_EQ(problems.size(), 1u) << (problems.empty() ? "" : problems[1].message);
    EXPECT_EQ(problems[0].line, 2);
    EXPECT_NE(problems[0].message.find(r.says), std::string::npos) << problems[0].message;
  }
  Config c;
  EXPECT_EQ(parse("dictionary Base\nunscannable drop\n", c).at(0).message,
            "unscannable \"drop\": expected accept, quarantine, tempfail or reject");
}

TEST(MilterSocket, FormAndPortAreChecked) {
  struct Row {
    char const* socket;
    char const* says;  // "" when good
  } const rows[] = {
      {"unix:/run/vessamund/milter.sock", ""}, {"inet:8894@127.0.0.1", ""}, {"inet6:1@[::1]", ""},
      {"", "no socket"}, {"/run/milter.sock", "expected unix:PATH"}, {"unix:milter.sock", "absolute"},
      {"inet:99999", "1 to 65535"}, {"inet:0@localhost", "1 to 65535"}, {"inet:@host", "1 to 65535"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.socket);
    std::string const problem = socketFormProblem(r.socket);
    EXPECT_EQ(problem.empty(), *r.says == '\0') << problem;
    EXPECT_NE(problem.find(r.says), std::string::npos) << problem;
  }
}

// A live listener keeps its socket; a stale socket file and a free path
// are taken; a file that is not a socket is never replaced.
TEST(MilterSocket, OnlyAStaleSocketIsTakenOver) {
  vmund_test::TempDir dir;
  std::string const path = dir.dir() + "/m.sock", socket = "unix:" + path;
  EXPECT_EQ(socketInUse(socket), "") << "free path";
  EXPECT_EQ(socketPlaceProblem(socket), "");
  EXPECT_NE(socketPlaceProblem("unix:/no/such/folder/m.sock").find("does not exist"), std::string::npos);
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(fd, 1), 0);
  EXPECT_NE(socketInUse(socket).find("served by a running process"), std::string::npos);
  close(fd);
  EXPECT_EQ(socketInUse(socket), "") << "stale: nothing answers";
  unlink(path.c_str());
  std::ofstream(path) << "x";
  EXPECT_NE(socketInUse(socket).find("not a socket"), std::string::npos);
}

TEST(MilterConfig, ShippedExampleReads) {
  std::string const text = vmund_test::slurpFile(VMUND_SOURCE_DIR "/milter/vmund-milter.conf.example");
  ASSERT_FALSE(text.empty());
  Config c;
  auto problems = parse(text, c);
  EXPECT_TRUE(problems.empty()) << problems[0].line << ": " << problems[0].message;
  EXPECT_EQ(c.rules.size(), 4u);
}

}  // namespace
