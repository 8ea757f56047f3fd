// Checks on dictionary items that need the library itself.
#ifndef VMUND_ADMIN_ITEM_CHECK_H_
#define VMUND_ADMIN_ITEM_CHECK_H_

#include <cstdint>
#include <string>

#include "admin/item_row.h"

namespace vmund {

// Builds the item the row describes, as the loader would, and returns "" or
// why the library rejects it (a regular expression that does not compile).
// The loader would drop such a row silently; vmund refuses to store it.
std::string itemCheck(admin::ItemRow const& row);

// Reads an area mask: a number 0..255, or part-kind names joined by commas
// (body 1, attachment 2, header 4, html 8). Returns "" or what is wrong.
std::string parseArea(std::string const& text, uint8_t& mask);

}  // namespace vmund

#endif  // VMUND_ADMIN_ITEM_CHECK_H_
