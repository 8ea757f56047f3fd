// Dictionary rows and area names as Python code gives them, read into the
// administration tools' rows and the host's part kinds.
#ifndef VMUND_PYTHON_NATIVE_PYTHON_ROWS_H_
#define VMUND_PYTHON_NATIVE_PYTHON_ROWS_H_

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

#include "admin/item_row.h"

namespace vmund {
namespace python {

// An area mask from a number (0..255) or names joined by "," (body,
// attachment, header, html-alternative). Throws ValueError naming `where`.
uint16_t parseArea(pybind11::handle value, std::string const& where);

// A row from a dict with the keys pattern, type (a name or code), weight,
// area, max_weight (a cap, which also turns the cap on) and enabled; the
// schema's defaults for the rest. Throws TypeError or ValueError naming
// `where` and the key.
admin::ItemRow rowFromPython(pybind11::handle row, std::string const& where);

}  // namespace python
}  // namespace vmund

#endif  // VMUND_PYTHON_NATIVE_PYTHON_ROWS_H_
