// The Python module vessamund._native: policies, mail and text scans, and
// their results as Python objects. The pure-Python package around it adds
// the per-process policy cache that unpickling goes through.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <string>
#include <vector>

#include "python/native/loaded_policy.h"
#include "python/native/python_rows.h"
#include "python/native/result_objects.h"
#include "vessamund/exception.h"

namespace py = pybind11;

namespace vmund {
namespace python {
namespace {

// A scanner request as the host reads it from a command line or a rule;
// a bad name or template is a ValueError with the host's words.
ScannerRequest request(char const* source, std::string const& text) {
  ScannerRequest r;
  std::string const problem = parseScannerRequest(source, text, r);
  if (!problem.empty()) throw py::value_error(problem);
  return r;
}

std::vector<ScannerRequest> requestsFrom(std::vector<std::string> const& dictionaries,
                                         std::vector<std::string> const& groups,
                                         std::vector<std::string> const& templates) {
  std::vector<ScannerRequest> out;
  for (std::string const& d : dictionaries) out.push_back(request("dictionary", d));
  for (std::string const& g : groups) out.push_back(request("group", g));
  for (std::string const& t : templates) out.push_back(request("template", t));
  return out;
}

py::handle policyWarning() {
  static py::handle type(PyErr_NewExceptionWithDoc(
      "vessamund._native.PolicyWarning",
      "A policy loads but part of it cannot match: a dictionary without items, an expression "
      "that does not compile.",
      PyExc_UserWarning, nullptr));
  return type;
}

// A loaded policy and what loading it warned about.
struct Policy {
  std::shared_ptr<LoadedPolicy const> loaded;
  std::vector<std::string> warnings;

  explicit Policy(PolicyDefinition d) {
    std::vector<std::string> w;
    {
      py::gil_scoped_release release;  // loading reads the database
      loaded = std::make_shared<LoadedPolicy const>(std::move(d), w);
    }
    warnings = std::move(w);
    py::object warn = py::module_::import("warnings").attr("warn");
    for (std::string const& text : warnings) warn(text, policyWarning(), 2);
  }
};

PolicyDefinition definitionFrom(unsigned long threshold, double timeout) {
  PolicyDefinition d;
  d.threshold = threshold;
  d.timeoutSeconds = timeout;
  return d;
}

}  // namespace
}  // namespace python
}  // namespace vmund

using namespace vmund::python;
using vmund::ScannerRequest;

PYBIND11_MODULE(_native, m) {
  m.doc() = "Scan mail and text with Vessamund DLP policies (the native part of `vessamund`).";

  static auto policyError = py::register_exception<PolicyError>(m, "PolicyError", PyExc_RuntimeError);
  static auto messageError = py::register_exception<MessageError>(m, "MessageError", PyExc_ValueError);
  policyError.doc() = "A policy cannot be loaded: no database, a missing dictionary or template, a bad row.";
  messageError.doc() = "The input is empty: there is nothing to scan.";
  m.attr("PolicyWarning") = policyWarning();
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (Vessamund::Exception const& e) {
      PyErr_SetString(policyError.ptr(), e.what());
    }
  });

  bindResultObjects(m);

  py::class_<Policy, std::shared_ptr<Policy>>(m, "Policy", R"doc(
A set of scanners (dictionaries, groups, templates) loaded once and shared by
every scan. Immutable; any number of threads may scan with one policy at once,
and scans release the GIL. Pickles as its definition.)doc")
      .def(py::init([](std::optional<std::string> dbDir, std::vector<std::string> dictionaries,
                       std::vector<std::string> groups, std::vector<std::string> templates,
                       std::optional<std::string> templateDir, unsigned long threshold,
                       double timeout) {
             PolicyDefinition d = definitionFrom(threshold, timeout);
             d.dbDir = dbDir.value_or("");
             d.templateDir = templateDir.value_or("");
             d.scanners = requestsFrom(dictionaries, groups, templates);
             return std::make_shared<Policy>(std::move(d));
           }),
           py::arg("db_dir") = py::none(), py::arg("dictionaries") = std::vector<std::string>(),
           py::arg("groups") = std::vector<std::string>(),
           py::arg("templates") = std::vector<std::string>(), py::kw_only(),
           py::arg("template_dir") = py::none(), py::arg("threshold") = 100,
           py::arg("timeout") = 10.0, R"doc(
Loads the named dictionaries and groups from the configuration database in
`db_dir` (default: $VMUND_DB_DIR or /var/lib/vessamund) and the templates
given as "NUMBER:NAME" from `template_dir`. Results come in that order:
dictionaries, then groups, then templates. `threshold` is the score at which a
result counts as reached; `timeout` the seconds each message may take (0: no
limit). Raises PolicyError with the reason when something cannot be loaded.)doc")
      .def_static(
          "from_rows",
          [](py::dict dictionaries, std::optional<py::dict> groups, unsigned long threshold,
             double timeout) {
            PolicyDefinition d = definitionFrom(threshold, timeout);
            d.fromRows = true;
            for (auto kv : dictionaries) {
              std::string const name = kv.first.cast<std::string>();
              std::vector<vmund::admin::ItemRow> rows;
              size_t i = 0;
              for (py::handle row : kv.second.cast<py::sequence>())
                rows.push_back(rowFromPython(row, "dictionary " + name + " row " + std::to_string(i++)));
              d.dictionaries.emplace_back(name, std::move(rows));
              d.scanners.push_back(request("dictionary", name));
            }
            if (groups) {
              for (auto kv : *groups) {
                std::string const name = kv.first.cast<std::string>();
                d.groups.emplace_back(name, kv.second.cast<std::vector<std::string>>());
                d.scanners.push_back(request("group", name));
              }
            }
            return std::make_shared<Policy>(std::move(d));
          },
          py::arg("dictionaries"), py::arg("groups") = py::none(), py::kw_only(),
          py::arg("threshold") = 100, py::arg("timeout") = 10.0, R"doc(
A policy from rows given in Python: {"PII": [{"type": "creditcard", "weight":
10, "max_weight": 30}, {"pattern": "social security", "weight": 5, "area":
"body,header"}]}, and groups {"Compliance": ["PII"]}. Row keys: pattern, type
(word, wildcard, regex, a detector name or a code), weight, area (names or a
mask), max_weight (a cap on the item's score), enabled. Every dictionary, then
every group, becomes a scanner, in the order given.)doc")
      .def(
          "scan_message",
          [](Policy const& self, py::bytes data, std::string const& name) {
            std::string bytes = data;
            std::vector<MessageOutcome> out;
            {
              py::gil_scoped_release release;
              out = self.loaded->scanMail(bytes, name);
            }
            if (out.size() != 1)
              throw py::value_error(name + ": holds " + std::to_string(out.size()) +
                                    " messages; scan_messages() scans an mbox");
            return toPython(std::move(out.front()), self.loaded->definition());
          },
          py::arg("data"), py::arg("name") = "<message>", R"doc(
Reads `data` as one mail message with the same message host as `vmund scan`
(input that is not mail is scanned whole as one body part, `not_mail` set) and
scans it with every scanner. Raises MessageError when `data` is empty,
ValueError when it is an mbox of several messages. Releases the GIL.)doc")
      .def(
          "scan_messages",
          [](Policy const& self, py::bytes data, std::string const& name) {
            std::string bytes = data;
            std::vector<MessageOutcome> out;
            {
              py::gil_scoped_release release;
              out = self.loaded->scanMail(bytes, name);
            }
            py::list results;
            for (MessageOutcome& o : out) results.append(toPython(std::move(o), self.loaded->definition()));
            return results;
          },
          py::arg("data"), py::arg("name") = "<message>", R"doc(
Reads `data` as `vmund scan` reads a file (one message, every message of an
mbox with ids NAME#1, NAME#2, ..., or input that is not mail whole as text)
and scans each. Raises MessageError when it is empty. Releases the GIL.)doc")
      .def(
          "scan_text",
          [](Policy const& self, std::string text, py::object area) {
            uint16_t const kind = parseArea(area, "scan_text");
            MessageOutcome out;
            {
              py::gil_scoped_release release;
              out = self.loaded->scanText(std::move(text), kind);
            }
            out.id = "<text>";
            return toPython(std::move(out), self.loaded->definition());
          },
          py::arg("text"), py::arg("area") = "body", R"doc(
Scans `text` as one part of the given area (body, attachment, header,
html-alternative, or a kind number): items whose areas include it apply.
Releases the GIL.)doc")
      .def_property_readonly(
          "scanners",
          [](Policy const& self) {
            py::list out;
            for (ScannerRequest const& s : self.loaded->definition().scanners)
              out.append(py::make_tuple(sourceName(s), s.name));
            return out;
          },
          "(source, name) of each scanner, in result order.")
      .def_property_readonly(
          "threshold", [](Policy const& self) { return self.loaded->definition().threshold; })
      .def_property_readonly(
          "timeout", [](Policy const& self) { return self.loaded->definition().timeoutSeconds; })
      .def_readonly("warnings", &Policy::warnings, "What loading warned about.")
      .def_property_readonly(
          "definition", [](Policy const& self) { return self.loaded->definition().toJson(); },
          "The policy's whole state as canonical JSON text (what a pickle holds).")
      .def_static(
          "_from_definition",
          [](std::string const& json) {
            PolicyDefinition d;
            try {
              d = PolicyDefinition::fromJson(json);
            } catch (std::invalid_argument const& e) {
              throw py::value_error(e.what());
            }
            return std::make_shared<Policy>(std::move(d));
          },
          py::arg("definition"))
      .def("__repr__", [](Policy const& self) {
        std::string s = "<vessamund.Policy";
        for (ScannerRequest const& r : self.loaded->definition().scanners) s += " " + describe(r) + ";";
        return s + " threshold " + std::to_string(self.loaded->definition().threshold) + ">";
      });
}
