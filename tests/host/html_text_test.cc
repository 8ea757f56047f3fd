// What a reader sees of an HTML body.
#include "host/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HtmlText, RendersWhatAReaderSees) {
  struct Row {
    std::string html;
    char const* text;
    char const* note;
  };
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<div><span>";
  Row const rows[] = {
      {"<p>Hello <b>World</b></p>", "Hello World", "inline tags vanish"},
      {"a<br>b<div>c</div>d", "a\nb\nc\nd", "block elements end lines"},
      {"<td>1</td><td>2</td>", "1 2", "table cells are separated"},
      {"x  \r\n\t y", "x y", "white space collapses"},
      {"<pre>a  b\n c</pre>", "a  b\n c", "pre keeps white space"},
      {"4111&nbsp;1111", "4111 1111", "nbsp is a plain blank"},
      {"&lt;tag&gt; &amp; &quot;q&quot;", "<tag> & \"q\"", "markup escapes"},
      {"caf&eacute; &#233; &#xE9; &#XE9", "caf\xC3\xA9 \xC3\xA9 \xC3\xA9 \xC3\xA9",
       "named and numeric"},
      // The ends and the middle of the Latin-1 names: a shifted table fails here.
      {"&iexcl;&times;&szlig;&yuml;", "\xC2\xA1\xC3\x97\xC3\x9F\xC3\xBF", "Latin-1 names"},
      {"&euro;5 &hellip;",
       "\xE2\x82\xAC"
       "5 \xE2\x80\xA6",
       "typographic names"},
      {"AT&T &bogus; & x &#;", "AT&T &bogus; & x &#;", "unknown references stay"},
      {"a&#13;&#10;b", "a\n\nb", "a CR reference becomes a line end"},
      {"&#0; &#xD800; &#99999999", "\xEF\xBF\xBD \xEF\xBF\xBD \xEF\xBF\xBD", "invalid code points"},
      {"<head><title>T</title></head>x<script>if (a<b) y()</script>z", "xz", "hidden content"},
      {"<STYLE>p{}</STYLE>ok", "ok", "hidden tags in upper case"},
      {"a<!-- <p>hidden</p> -->b", "ab", "comments"},
      {"<!DOCTYPE html><?xml x?>t", "t", "declarations"},
      {"<a title=\"x>y\">link</a>", "link", "quoted '>' inside a tag"},
      {"1 < 2 and 3 <4", "1 < 2 and 3 <4", "a lone '<' is text"},
      {"ok<script>never closed", "ok", "unterminated hidden element"},
      {"ok<b", "ok", "unterminated tag"},
      {"ok<!-- open", "ok", "unterminated comment"},
      {"", "", "empty"},
      {deep + "deep", "deep", "deep nesting does not recurse"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.note);
    EXPECT_EQ(vmund::htmlToText(r.html), r.text);
  }
}

}  // namespace
