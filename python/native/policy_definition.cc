// The definition's JSON form; see policy_definition.h.
#include "python/native/policy_definition.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

namespace vmund {
namespace python {

using nlohmann::json;

std::string PolicyDefinition::toJson() const {
  json j;
  j["db_dir"] = dbDir;
  j["template_dir"] = templateDir;
  j["threshold"] = threshold;
  j["timeout"] = timeoutSeconds;
  j["scanners"] = json::array();
  for (ScannerRequest const& s : scanners)
    j["scanners"].push_back({static_cast<int>(s.source), s.name, s.number});
  j["from_rows"] = fromRows;
  j["dictionaries"] = json::array();
  for (auto const& d : dictionaries) {
    json rows = json::array();
    for (admin::ItemRow const& r : d.second)
      rows.push_back({r.item_no, r.pattern, r.type, r.weight, r.scan_area, r.max_weight,
                      r.max_limit, r.status});
    j["dictionaries"].push_back({d.first, rows});
  }
  j["groups"] = json::array();
  for (auto const& g : groups) j["groups"].push_back({g.first, g.second});
  return j.dump();
}

PolicyDefinition PolicyDefinition::fromJson(std::string const& text) {
  PolicyDefinition d;
  try {
    json const j = json::parse(text);
    d.dbDir = j.at("db_dir").get<std::string>();
    d.templateDir = j.at("template_dir").get<std::string>();
    d.threshold = j.at("threshold").get<unsigned long>();
    d.timeoutSeconds = j.at("timeout").get<double>();
    for (json const& s : j.at("scanners")) {
      ScannerRequest request;
      int const source = s.at(0).get<int>();
      if (source < ScannerRequest::kDictionary || source > ScannerRequest::kTemplate)
        throw std::invalid_argument("unknown scanner source");
      request.source = static_cast<ScannerRequest::Source>(source);
      request.name = s.at(1).get<std::string>();
      request.number = s.at(2).get<unsigned short>();
      d.scanners.push_back(request);
    }
    d.fromRows = j.at("from_rows").get<bool>();
    for (json const& dict : j.at("dictionaries")) {
      std::vector<admin::ItemRow> rows;
      for (json const& r : dict.at(1)) {
        admin::ItemRow row;
        row.item_no = r.at(0).get<int64_t>();
        row.pattern = r.at(1).get<std::string>();
        row.type = r.at(2).get<uint16_t>();
        row.weight = r.at(3).get<uint16_t>();
        row.scan_area = r.at(4).get<uint8_t>();
        row.max_weight = r.at(5).get<uint16_t>();
        row.max_limit = r.at(6).get<uint8_t>();
        row.status = r.at(7).get<uint8_t>();
        rows.push_back(row);
      }
      d.dictionaries.emplace_back(dict.at(0).get<std::string>(), std::move(rows));
    }
    for (json const& g : j.at("groups"))
      d.groups.emplace_back(g.at(0).get<std::string>(), g.at(1).get<std::vector<std::string>>());
  } catch (json::exception const& e) {
    throw std::invalid_argument(std::string("not a policy definition: ") + e.what());
  }
  return d;
}

}  // namespace python
}  // namespace vmund
