// Lists the expressions a scanner cannot run; see dead_expressions.h.
#include "host/dead_expressions.h"

#include "vessamund/regex_item.h"

namespace vmund {

namespace {

void collect(Vessamund::ProfileDictionaryScanner const& profile, std::vector<std::string>& out) {
  for (auto const& item : profile.itemList()) {
    auto const* regex = dynamic_cast<Vessamund::DictionaryRegex const*>(item.get());
    if (regex == nullptr || regex->expression.compiled()) continue;
    out.push_back("dictionary " + profile.dictionaryName() + ": regular expression \"" +
                  regex->expression.pattern() + "\" does not compile (" +
                  regex->expression.error() + "); it never matches");
  }
}

}  // namespace

std::vector<std::string> deadExpressions(Vessamund::DictionaryScannerImpl const* scanner) {
  std::vector<std::string> out;
  if (auto const* p = dynamic_cast<Vessamund::ProfileDictionaryScanner const*>(scanner)) {
    collect(*p, out);
  } else if (auto const* g = dynamic_cast<Vessamund::GroupDictionaryScanner const*>(scanner)) {
    for (auto const& member : g->memberList())
      if (auto const* m = dynamic_cast<Vessamund::ProfileDictionaryScanner const*>(member.get()))
        collect(*m, out);
  }
  return out;
}

}  // namespace vmund
