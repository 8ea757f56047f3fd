// Reading the milter's configuration file: a line-oriented list of settings
// and rules, checked in full so that every mistake is reported at once.
#include "milter/config.h"

#include "host/scanner_load.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "milter/extract_settings.h"

namespace vmund {
namespace milter {
namespace {

// Splits a line into words: blanks separate, double quotes group (with \"
// and \\ inside), "#" outside quotes ends the line. Returns "" or what is
// wrong.
std::string splitWords(std::string const& line, std::vector<std::string>& words) {
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    std::string word;
    if (c == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char q = line[i++];
        if (q == '"') {
          closed = true;
          break;
        }
        if (q == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) q = line[i++];
        word += q;
      }
      if (!closed) return "unterminated quoted text";
      if (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        return "quoted text must be followed by a blank";
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
             line[i] != '#')
        word += line[i++];
    }
    words.push_back(word);
  }
  return std::string();
}

bool allDigits(std::string const& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// A size in bytes: digits with an optional K, M or G (powers of 1024).
bool parseSize(std::string const& text, uint64_t& out) {
  std::string digits = text;
  uint64_t unit = 1;
  if (!digits.empty()) {
    switch (digits.back()) {
      case 'k': case 'K': unit = 1ull << 10; break;
      case 'm': case 'M': unit = 1ull << 20; break;
      case 'g': case 'G': unit = 1ull << 30; break;
      default: break;
    }
    if (unit != 1) digits.pop_back();
  }
  if (!allDigits(digits) || digits.size() > 12) return false;
  out = std::stoull(digits) * unit;
  return out > 0;
}

// Seconds, with decimals, or milliseconds with "ms"; an "s" may follow.
bool parseDuration(std::string const& text, std::chrono::milliseconds& out) {
  std::string number = text;
  double scale = 1000;
  if (number.size() > 2 && number.compare(number.size() - 2, 2, "ms") == 0) {
    number.resize(number.size() - 2);
    scale = 1;
  } else if (number.size() > 1 && number.back() == 's') {
    number.pop_back();
  }
  if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos) return false;
  errno = 0;
  char* end = nullptr;
  double value = std::strtod(number.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value) || value * scale > 86400e3) return false;
  out = std::chrono::milliseconds(static_cast<long long>(std::llround(value * scale)));
  return true;
}

class Parser {
 public:
  Parser(Config& config, std::vector<ConfigProblem>& problems)
      : config_(config), problems_(problems) {}

  void line(int number, std::string const& text) {
    line_ = number;
    std::vector<std::string> words;
    std::string bad = splitWords(text, words);
    if (!bad.empty()) return problem(bad);
    if (words.empty()) return;
    std::string const& key = words[0];
    if (key == "dictionary" || key == "group" || key == "template") return rule(words);
    if (words.size() != 2) return problem("\"" + key + "\" takes one value (quote it if it has blanks)");
    setting(key, words[1]);
  }

  void finish() {
    line_ = 0;
    if (config_.rules.empty())
      problem("no rule: add at least one dictionary, group or template line");
    for (Rule& r : config_.rules) {
      if (r.reply.empty() && r.action == Action::kReject) r.reply = config_.rejectReply;
      if (r.reply.empty() && r.action == Action::kTempfail) r.reply = config_.tempfailReply;
    }
  }

 private:
  void problem(std::string message) { problems_.push_back({line_, std::move(message)}); }

  void setting(std::string const& key, std::string const& value) {
    std::string bad;
    if (key == "socket") {
      config_.socket = value;
    } else if (key == "db-dir") {
      config_.dbDir = value;
    } else if (key == "templates") {
      config_.templates = value;
    } else if (key == "max-size") {
      if (!parseSize(value, config_.maxSize))
        problem("max-size \"" + value + "\": expected a size such as 25M, 512K or 1048576");
    } else if (key == "time-budget") {
      if (!parseDuration(value, config_.timeBudget))
        problem("time-budget \"" + value + "\": expected seconds such as 10, 2.5 or 500ms (0: none)");
    } else if (key == "log") {
      if (value != "syslog" && value != "stderr")
        problem("log \"" + value + "\": expected syslog or stderr");
      config_.syslog = value == "syslog";
    } else if (key == "findings-header") {
      if (value != "yes" && value != "no")
        problem("findings-header \"" + value + "\": expected yes or no");
      config_.findingsHeader = value == "yes";
    } else if (key == "reject-reply") {
      reply(value, '5', config_.rejectReply);
    } else if (key == "tempfail-reply") {
      reply(value, '4', config_.tempfailReply);
    } else if (config_.notScanned.setting(key, value, bad)) {
      if (!bad.empty()) problem(bad);
    } else if (config_.headers.setting(key, value, bad)) {
      if (!bad.empty()) problem(bad);
    } else if (extractSetting(key, value, config_, bad)) {
      if (!bad.empty()) problem(bad);
    } else {
      problem("unknown setting \"" + key + "\"");
    }
  }

  void reply(std::string const& value, char kind, SmtpReply& out) {
    std::string bad = parseReply(value, kind, out);
    if (!bad.empty()) problem(bad);
  }

  void rule(std::vector<std::string> const& words) {
    Rule r;
    r.line = line_;
    std::string const& kind = words[0];
    if (words.size() < 2) return problem("\"" + kind + "\" needs a name");
    std::string bad = parseScannerRequest(kind, words[1], r.scanner);
    if (!bad.empty()) return problem(bad);

    std::string replyText;
    for (size_t i = 2; i < words.size(); i += 2) {
      std::string const& option = words[i];
      if (i + 1 >= words.size()) return problem("\"" + option + "\" needs a value");
      std::string const& value = words[i + 1];
      if (option == "threshold") {
        if (!allDigits(value) || value.size() > 9 || std::stoul(value) == 0)
          return problem("threshold \"" + value + "\": expected a whole number from 1 to 999999999");
        r.threshold = std::stoul(value);
      } else if (option == "action") {
        if (!parseAction(value, r.action))
          return problem("action \"" + value + "\": expected accept, quarantine, tempfail or reject");
      } else if (option == "reply") {
        replyText = value;
      } else {
        return problem("unknown rule option \"" + option + "\" (threshold, action, reply)");
      }
    }
    if (!replyText.empty()) {
      if (r.action != Action::kReject && r.action != Action::kTempfail)
        return problem("reply is only for the actions reject and tempfail");
      bad = parseReply(replyText, r.action == Action::kReject ? '5' : '4', r.reply);
      if (!bad.empty()) return problem(bad);
    }
    bad = requestClash(requests_, r.scanner);
    if (!bad.empty()) return problem(bad);
    requests_.push_back(r.scanner);
    config_.rules.push_back(r);
  }

  Config& config_;
  std::vector<ConfigProblem>& problems_;
  std::vector<ScannerRequest> requests_;
  int line_ = 0;
};

}  // namespace

std::string parseReply(std::string const& text, char kind, SmtpReply& reply) {
  std::string const what = kind == '5' ? "a reject reply" : "a tempfail reply";
  std::string const example = kind == '5' ? "550 5.7.1 Refused" : "451 4.7.1 Try later";
  size_t sp1 = text.find(' ');
  std::string code = text.substr(0, sp1);
  if (code.size() != 3 || !allDigits(code) || code[0] != kind)
    return what + " starts with a " + kind + "xx code, e.g. \"" + example + "\"";
  std::string status, rest;
  if (sp1 != std::string::npos) {
    size_t sp2 = text.find(' ', sp1 + 1);
    status = text.substr(sp1 + 1, sp2 == std::string::npos ? std::string::npos : sp2 - sp1 - 1);
    if (sp2 != std::string::npos) rest = text.substr(sp2 + 1);
  }
  // Enhanced status code class.subject.detail; the class repeats the code's
  // first digit (the MTA refuses the reply otherwise).
  size_t d1 = status.find('.');
  size_t d2 = d1 == std::string::npos ? d1 : status.find('.', d1 + 1);
  if (d2 == std::string::npos || status[0] != kind || d1 != 1 ||
      !allDigits(status.substr(d1 + 1, d2 - d1 - 1)) || d2 - d1 - 1 > 3 ||
      !allDigits(status.substr(d2 + 1)) || status.size() - d2 - 1 > 3)
    return what + " needs an enhanced status code " + kind + ".x.x after the code, e.g. \"" +
           example + "\"";
  for (unsigned char c : rest)
    if (c < 0x20 || c > 0x7e) return what + " text must be printable ASCII";
  if (rest.size() > 400) return what + " text is longer than 400 characters";
  reply = {code, status, rest};
  return std::string();
}

void parseConfig(std::string const& text, Config& config, std::vector<ConfigProblem>& problems) {
  Parser parser(config, problems);
  size_t start = 0;
  int number = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    parser.line(++number, text.substr(start, end - start));
    start = end + 1;
  }
  parser.finish();
}

}  // namespace milter
}  // namespace vmund
