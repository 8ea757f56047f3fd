// The text a reader sees in an HTML body: tags dropped, entities decoded.
#ifndef VMUND_CLI_HOST_HTML_TEXT_H_
#define VMUND_CLI_HOST_HTML_TEXT_H_

#include <string>

namespace vmund {

// Returns the visible text of `html` (UTF-8 in, UTF-8 out). Tags, comments and
// the contents of <script>, <style> and <head> are dropped; block elements
// (p, div, br, li, tr, headings, ...) end a line; runs of white space inside
// text collapse to one blank, as a browser renders them. Character references
// (&amp;, &eacute;, &#233;, &#xE9;) are decoded; &nbsp; becomes a plain blank
// so that numbers spaced with it still read as spaced. An unknown or
// unterminated reference is kept as written. Linear in the input; never
// recurses, so pathological nesting cannot exhaust the stack.
std::string htmlToText(std::string const& html);

}  // namespace vmund

#endif  // VMUND_CLI_HOST_HTML_TEXT_H_
