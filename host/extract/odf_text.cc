// Text of OpenDocument files (.odt, .ods, .odp): content.xml, and the page
// headers and footers of styles.xml.
#include <cstdlib>
#include <string>
#include <vector>

#include "host/extract/office_text.h"
#include "host/extract/xml_text.h"

namespace vmund {
namespace {

// Paragraphs (<text:p>, <text:h>) end with LF; <text:s text:c="n"/> is n
// blanks (ODF collapses raw ones), <text:tab/> a TAB, <text:line-break/> a
// LF. In a table a cell's paragraphs are joined by a blank, cells by TAB,
// and a row ends with LF; repeated rows and cells are written out (to a
// bound), trailing empty cells dropped. With `onlyHeaders`, only text inside
// page headers and footers counts (styles.xml).
class OdfHandler : public XmlHandler {
 public:
  OdfHandler(OfficeText& out, uint64_t max, bool onlyHeaders)
      : out_(out), max_(max), onlyHeaders_(onlyHeaders) {}

  void start(std::string_view n, char const** attrs) override {
    if (n == "header" || n == "footer" || n == "header-left" || n == "footer-left") ++inHeader_;
    if (onlyHeaders_ && !inHeader_) return;
    if (n == "table-row") {
      rowRepeat_ = repeat(attrs, "number-rows-repeated");
      cells_.clear();
      ++inRow_;
    } else if ((n == "table-cell" || n == "covered-table-cell") && inRow_) {
      cellRepeat_ = repeat(attrs, "number-columns-repeated");
      cell_.clear();
      ++inCell_;
    } else if (n == "p" || n == "h") {
      if (inCell_ && !cell_.empty()) cell_ += ' ';
      ++inPara_;
      atStart_ = true;
      lastBlank_ = false;
    } else if (inPara_ && n == "s") {
      size_t c = repeat(attrs, "c");
      target().append(c, ' ');
      lastBlank_ = true;
      atStart_ = false;
    } else if (inPara_ && n == "tab") {
      target() += '\t';
      lastBlank_ = true;
      atStart_ = false;
    } else if (inPara_ && n == "line-break") {
      target() += '\n';
      lastBlank_ = true;
      atStart_ = false;
    } else if (n == "note-citation") {
      ++skip_;  // the footnote's mark; its body is text like any other
    }
  }

  void end(std::string_view n) override {
    bool header = n == "header" || n == "footer" || n == "header-left" || n == "footer-left";
    if (onlyHeaders_ && !inHeader_) return;
    if (header) --inHeader_;
    if (n == "note-citation") {
      --skip_;
    } else if ((n == "p" || n == "h") && inPara_) {
      --inPara_;
      if (!inCell_) add("\n");
    } else if ((n == "table-cell" || n == "covered-table-cell") && inCell_) {
      --inCell_;
      for (size_t i = 0; i < cellRepeat_ && (i == 0 || !cell_.empty()); ++i) cells_.push_back(cell_);
    } else if (n == "table-row" && inRow_) {
      --inRow_;
      while (!cells_.empty() && cells_.back().empty()) cells_.pop_back();
      if (cells_.empty()) return;
      std::string row;
      for (size_t i = 0; i < cells_.size(); ++i) {
        if (i) row += '\t';
        row += cells_[i];
      }
      row += '\n';
      for (size_t i = 0; i < rowRepeat_; ++i) add(row);
    }
  }

  // Raw white space in a paragraph collapses to one blank and is dropped at
  // its start, as ODF readers show it (explicit blanks are <text:s/>).
  void chars(std::string_view s) override {
    if (!inPara_ || skip_ || (onlyHeaders_ && !inHeader_)) return;
    std::string& t = target();
    for (char c : s) {
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        if (!atStart_ && !lastBlank_) t += ' ';
        lastBlank_ = true;
      } else {
        t += c;
        lastBlank_ = atStart_ = false;
      }
    }
  }

 private:
  static constexpr size_t kMaxRepeat = 100;

  static size_t repeat(char const** attrs, std::string_view name) {
    std::string_view v = xmlAttr(attrs, name);
    if (v.empty()) return 1;
    unsigned long n = std::strtoul(std::string(v).c_str(), nullptr, 10);
    return n < 1 ? 1 : n > kMaxRepeat ? kMaxRepeat : n;
  }

  // Paragraph text goes straight out, or into the current cell.
  std::string& target() { return inCell_ ? cell_ : pending_; }

  void add(std::string_view s) {
    if (!pending_.empty()) {
      std::string p;
      p.swap(pending_);
      add(p);
    }
    out_.append(s, max_);
  }

 public:
  // Text of a paragraph not yet ended (a damaged file) still counts.
  void flush() {
    if (!pending_.empty()) add("");
  }

 private:
  OfficeText& out_;
  uint64_t max_;
  bool onlyHeaders_;
  int inHeader_ = 0, inRow_ = 0, inCell_ = 0, inPara_ = 0, skip_ = 0;
  bool atStart_ = true, lastBlank_ = false;
  size_t rowRepeat_ = 1, cellRepeat_ = 1;
  std::vector<std::string> cells_;
  std::string cell_, pending_;
};

}  // namespace

OfficeText odfXmlText(std::string const& xml, uint64_t maxBytes) {
  OfficeText out;
  OdfHandler h(out, maxBytes, false);
  out.error = parseXml(xml, h);
  h.flush();
  return out;
}

OfficeText openDocumentText(ZipMembers const& m, uint64_t maxBytes) {
  OfficeText out;
  for (char const* name : {"content.xml", "styles.xml"}) {
    auto it = m.find(name);
    if (it == m.end()) continue;
    OdfHandler h(out, maxBytes, std::string(name) == "styles.xml");
    std::string error = parseXml(it->second, h);
    h.flush();
    if (!error.empty() && out.error.empty()) out.error = std::string(name) + ": " + error;
  }
  return out;
}

}  // namespace vmund
