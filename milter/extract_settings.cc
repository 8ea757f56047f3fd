#include "milter/extract_settings.h"

#include <string>

#include "milter/config.h"

namespace vmund {
namespace milter {
namespace {

bool count(std::string const& v, uint64_t max, uint64_t& out) {
  if (v.empty() || v.size() > 9 || v.find_first_not_of("0123456789") != std::string::npos)
    return false;
  out = std::stoull(v);
  return out >= 1 && out <= max;
}

// Digits with an optional K, M or G (powers of 1024), as max-size.
bool size(std::string v, uint64_t& out) {
  uint64_t unit = 1;
  if (!v.empty()) {
    char u = v.back();
    unit = u == 'k' || u == 'K' ? 1ull << 10 : u == 'm' || u == 'M' ? 1ull << 20
           : u == 'g' || u == 'G' ? 1ull << 30 : 1;
    if (unit != 1) v.pop_back();
  }
  uint64_t n = 0;
  if (!count(v, 999999999, n)) return false;
  out = n * unit;
  return true;
}

}  // namespace

bool extractSetting(std::string const& key, std::string const& value, Config& config,
                    std::string& problem) {
  ExtractLimits& l = config.extract;
  uint64_t n = 0;
  if (key == "max-depth") {
    if (!count(value, 100, n)) problem = "max-depth \"" + value + "\": expected 1 to 100";
    else l.maxDepth = static_cast<unsigned>(n);
  } else if (key == "max-entries") {
    if (!count(value, 1000000, n)) problem = "max-entries \"" + value + "\": expected 1 to 1000000";
    else l.maxEntries = n;
  } else if (key == "max-extracted") {
    if (!size(value, l.maxTotalBytes))
      problem = "max-extracted \"" + value + "\": expected a size such as 400M";
  } else if (key == "max-entry-size") {
    if (!size(value, l.maxEntryBytes))
      problem = "max-entry-size \"" + value + "\": expected a size such as 100M";
  } else if (key == "max-ratio") {
    if (!count(value, 1000000, n)) problem = "max-ratio \"" + value + "\": expected 1 to 1000000";
    else l.maxRatio = static_cast<unsigned>(n);
  } else if (key == "extractor") {
    config.extractor = value;
  } else if (key == "unscannable") {
    bool known = false;
    for (Action a : {Action::kAccept, Action::kQuarantine, Action::kTempfail, Action::kReject}) {
      if (value == actionName(a)) config.unscannable = a, known = true;
    }
    if (!known)
      problem = "unscannable \"" + value + "\": expected accept, quarantine, tempfail or reject";
  } else {
    return false;
  }
  return true;
}

}  // namespace milter
}  // namespace vmund
