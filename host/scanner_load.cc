// Load-and-diagnose of one scanner; see scanner_load.h.
#include "host/scanner_load.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/config_database.h"
#include "host/dead_expressions.h"
#include "vessamund/factory.h"

namespace vmund {

size_t scannerContents(Vessamund::DictionaryScannerImpl const* scanner) {
  if (auto* p = dynamic_cast<Vessamund::ProfileDictionaryScanner const*>(scanner))
    return p->itemList().size();
  size_t items = 0;
  if (auto* g = dynamic_cast<Vessamund::GroupDictionaryScanner const*>(scanner))
    for (auto const& member : g->memberList()) items += scannerContents(member.get());
  return items;
}

std::string loadScanner(ScannerRequest const& request, ScannerRef& out,
                        std::vector<std::string>& warnings) {
  out = ScannerRef();
  Vessamund::DictionaryFactory* factory = Vessamund::DictionaryFactory::instance();
  std::string const what = describe(request);
  if (request.source == ScannerRequest::kTemplate) {
    std::string const& path =
        Vessamund::predefined_dictionary_file_paths.at(request.number - 512);
    if (path.empty()) return what + ": no template file has this number";
    if (access(path.c_str(), R_OK) != 0)
      return what + ": " + path + ": " + std::strerror(errno) + " (--templates names the folder)";
    out = factory->createDictScanner(request.number, request.name);
  } else {
    std::string problem = databaseProblem();
    if (problem.empty()) problem = sourceProblem(request);
    if (!problem.empty()) return what + ": " + problem;
    out = request.source == ScannerRequest::kGroup ? factory->createGroupScanner(request.name)
                                                   : factory->createProfileScanner(request.name);
  }
  if (out.empty()) return what + ": cannot be loaded";
  if (auto* g = dynamic_cast<Vessamund::GroupDictionaryScanner const*>(out.get())) {
    if (g->memberList().empty()) warnings.push_back(what + " has no dictionaries");
    for (auto const& member : g->memberList()) {
      auto* p = dynamic_cast<Vessamund::ProfileDictionaryScanner const*>(member.get());
      if (p && p->itemList().empty())
        warnings.push_back(what + ": member dictionary " + p->dictionaryName() +
                           " has no enabled items");
    }
  } else if (scannerContents(out.get()) == 0) {
    warnings.push_back(what + " has no enabled items");
  }
  for (std::string& dead : deadExpressions(out.get())) warnings.push_back(std::move(dead));
  return std::string();
}

std::string requestClash(std::vector<ScannerRequest> const& earlier, ScannerRequest const& next) {
  bool const group = next.source == ScannerRequest::kGroup;
  for (ScannerRequest const& e : earlier)
    if ((e.source == ScannerRequest::kGroup) == group && e.name == next.name)
      return "\"" + next.name + "\" is already used by " + describe(e) +
             (group ? "" : " (dictionaries and templates share one name space)");
  return std::string();
}

}  // namespace vmund
