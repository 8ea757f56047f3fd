// The headers setting; see header_scope.h.
#include "milter/header_scope.h"

#include <algorithm>
#include <cctype>

namespace vmund {
namespace milter {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The domain of "<user@Example.ORG>", lower case, without a final dot.
std::string domainOf(std::string const& recipient) {
  size_t at = recipient.rfind('@');
  if (at == std::string::npos) return std::string();
  std::string d = recipient.substr(at + 1);
  while (!d.empty() && (d.back() == '>' || d.back() == '.' || d.back() == ' ')) d.pop_back();
  return lower(d);
}

}  // namespace

bool HeaderScope::setting(std::string const& key, std::string const& value, std::string& problem) {
  if (key == "headers") {
    if (value == "all") mode = kAll;
    else if (value == "none") mode = kNone;
    else if (value == "internal") mode = kInternal;
    else problem = "headers \"" + value + "\": expected all, none or internal";
    return true;
  }
  if (key != "local-domains") return false;
  localDomains.clear();
  std::string word;
  for (size_t i = 0; i <= value.size(); ++i) {
    char c = i < value.size() ? value[i] : ' ';
    if (c != ' ' && c != ',' && c != '\t') {
      word += c;
      continue;
    }
    if (word.empty()) continue;
    if (word.find('@') != std::string::npos || word.front() == '.' || word.back() == '.')
      problem = "local-domains: \"" + word + "\" is not a domain such as example.org";
    localDomains.push_back(lower(word));
    word.clear();
  }
  if (localDomains.empty()) problem = "local-domains needs at least one domain";
  return true;
}

bool HeaderScope::covers(std::vector<std::string> const& recipients) const {
  if (mode != kInternal) return mode == kAll;
  if (recipients.empty()) return false;
  for (std::string const& r : recipients) {
    std::string const d = domainOf(r);
    bool local = false;
    for (std::string const& l : localDomains)
      local |= d == l || (d.size() > l.size() && d.compare(d.size() - l.size(), l.size(), l) == 0 &&
                          d[d.size() - l.size() - 1] == '.');
    if (!local) return false;
  }
  return true;
}

}  // namespace milter
}  // namespace vmund
