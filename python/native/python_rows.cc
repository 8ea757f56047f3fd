// Reading rows and areas given in Python; see python_rows.h.
#include "python/native/python_rows.h"

#include "admin/pattern_types.h"
#include "host/message_area.h"

namespace py = pybind11;

namespace vmund {
namespace python {

uint16_t parseArea(py::handle value, std::string const& where) {
  if (py::isinstance<py::int_>(value)) {
    long v = value.cast<long>();
    if (v < 0 || v > 255) throw py::value_error(where + ": area must be a mask from 0 to 255");
    return static_cast<uint16_t>(v);
  }
  uint16_t mask = 0;
  std::string text = value.cast<std::string>();
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t comma = text.find(',', pos);
    std::string name = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    if (name == "body") mask |= kBody;
    else if (name == "attachment") mask |= kAttachment;
    else if (name == "header") mask |= kHeader;
    else if (name == "html-alternative" || name == "html") mask |= kHtmlAlternative;
    else throw py::value_error(where + ": unknown area \"" + name +
                               "\" (body, attachment, header, html-alternative, or a number)");
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return mask;
}

admin::ItemRow rowFromPython(py::handle row, std::string const& where) {
  if (!py::isinstance<py::dict>(row))
    throw py::type_error(where + ": a row is a dict such as {\"pattern\": \"secret\", \"weight\": 5}");
  admin::ItemRow r;
  for (auto kv : row.cast<py::dict>()) {
    std::string const key = kv.first.cast<std::string>();
    py::handle v = kv.second;
    if (key == "pattern") {
      r.pattern = v.cast<std::string>();
    } else if (key == "type") {
      std::string const text = py::str(v).cast<std::string>();
      if (!admin::parsePatternType(text, r.type))
        throw py::value_error(where + ": unknown pattern type \"" + text + "\"");
    } else if (key == "weight") {
      r.weight = v.cast<uint16_t>();
    } else if (key == "area") {
      r.scan_area = static_cast<uint8_t>(parseArea(v, where));
    } else if (key == "max_weight") {
      r.max_weight = v.cast<uint16_t>();
      r.max_limit = r.max_weight > 0;
    } else if (key == "enabled") {
      r.status = v.cast<bool>() ? 1 : 0;
    } else {
      throw py::value_error(where + ": unknown key \"" + key +
                            "\" (pattern, type, weight, area, max_weight, enabled)");
    }
  }
  return r;
}

}  // namespace python
}  // namespace vmund
