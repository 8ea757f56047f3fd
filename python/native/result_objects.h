// Scan results as Python objects: the classes Part, Finding, ScannerResult
// and MessageResult of vessamund._native, and the conversion into them.
#ifndef VMUND_PYTHON_NATIVE_RESULT_OBJECTS_H_
#define VMUND_PYTHON_NATIVE_RESULT_OBJECTS_H_

#include <pybind11/pybind11.h>

#include "python/native/loaded_policy.h"

namespace vmund {
namespace python {

// Adds the result classes to module `m`.
void bindResultObjects(pybind11::module_& m);

// A MessageResult for `outcome`, whose scanners are those of `definition`.
// Needs the GIL.
pybind11::object toPython(MessageOutcome outcome, PolicyDefinition const& definition);

// The findings of one scanner as a list of Finding objects. Needs the GIL.
pybind11::object findingsToPython(ScannerOutcome const& outcome);

}  // namespace python
}  // namespace vmund

#endif  // VMUND_PYTHON_NATIVE_RESULT_OBJECTS_H_
