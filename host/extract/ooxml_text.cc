// Text of Word, Excel and PowerPoint files (Office Open XML).
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "host/extract/office_text.h"
#include "host/extract/xml_text.h"

namespace vmund {
namespace {

bool startsWith(std::string const& s, char const* p) { return s.rfind(p, 0) == 0; }
bool endsWith(std::string const& s, char const* p) {
  std::string_view e(p);
  return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
}

// Appends with the cap of OfficeText::truncated.
class CappedText {
 public:
  CappedText(OfficeText& out, uint64_t max) : out_(out), max_(max) {}
  void add(std::string_view s) { out_.append(s, max_); }
  void add(char c) { add(std::string_view(&c, 1)); }
  OfficeText& out() { return out_; }

 private:
  OfficeText& out_;
  uint64_t max_;
};

// Paragraph text of WordprocessingML and DrawingML (and spreadsheet
// comments): text elements <t> (and <delText>: tracked deletions still
// travel with the file), tabs, breaks; a paragraph ends with LF. Text in
// an mc:Fallback repeats its mc:Choice (text boxes) and is left out.
class ParagraphHandler : public XmlHandler {
 public:
  explicit ParagraphHandler(CappedText& out) : out_(out) {}
  void start(std::string_view n, char const**) override {
    if (n == "Fallback") ++fallback_;
    if (fallback_) return;
    // <p:text> holds a slide comment's text.
    if (n == "t" || n == "delText" || n == "text") ++inText_;
    else if (n == "tabs") ++inTabs_;
    else if (n == "tab" && !inTabs_) out_.add('\t');
    else if (n == "br" || n == "cr") out_.add('\n');
  }
  void end(std::string_view n) override {
    if (n == "Fallback") {
      --fallback_;
      return;
    }
    if (fallback_) return;
    if (n == "t" || n == "delText" || n == "text") --inText_;
    else if (n == "tabs") --inTabs_;
    else if (n == "p" || n == "comment" || n == "cm") out_.add('\n');
  }
  void chars(std::string_view s) override {
    if (inText_ > 0 && !fallback_) out_.add(s);
  }

 private:
  CappedText& out_;
  int inText_ = 0, inTabs_ = 0, fallback_ = 0;
};

// Shared strings: each <si> is the text of its <t> elements, phonetic
// guides (<rPh>) left out.
class SharedStringsHandler : public XmlHandler {
 public:
  std::vector<std::string> strings;
  void start(std::string_view n, char const**) override {
    if (n == "si") strings.emplace_back(), inSi_ = true;
    else if (n == "rPh") ++inPhonetic_;
    else if (n == "t") ++inText_;
  }
  void end(std::string_view n) override {
    if (n == "si") inSi_ = false;
    else if (n == "rPh") --inPhonetic_;
    else if (n == "t") --inText_;
  }
  void chars(std::string_view s) override {
    // Bounded by the part's own size, which the archive limits bound.
    if (inSi_ && inText_ > 0 && inPhonetic_ == 0) strings.back().append(s);
  }

 private:
  bool inSi_ = false;
  int inPhonetic_ = 0, inText_ = 0;
};

// A worksheet: rows of cells; a cell is its shared string (t="s"), its
// inline string (t="inlineStr") or its value as written in <v>.
class SheetHandler : public XmlHandler {
 public:
  SheetHandler(std::vector<std::string> const& sst, CappedText& out) : sst_(sst), out_(out) {}
  void start(std::string_view n, char const** attrs) override {
    if (n == "row") {
      cells_ = 0;
    } else if (n == "c") {
      type_ = std::string(xmlAttr(attrs, "t"));
      value_.clear();
      inCell_ = true;
    } else if (inCell_ && (n == "v" || (n == "t" && type_ == "inlineStr"))) {
      inValue_ = true;
    } else if (n == "rPh") {
      ++inPhonetic_;
    }
  }
  void end(std::string_view n) override {
    if (n == "v" || n == "t") {
      inValue_ = false;
    } else if (n == "rPh") {
      --inPhonetic_;
    } else if (n == "c" && inCell_) {
      inCell_ = false;
      if (cells_++ > 0) out_.add('\t');
      if (type_ == "s") {
        char* end = nullptr;
        unsigned long i = std::strtoul(value_.c_str(), &end, 10);
        if (end != value_.c_str() && i < sst_.size()) out_.add(sst_[i]);
      } else {
        out_.add(value_);
      }
    } else if (n == "row") {
      out_.add('\n');
    }
  }
  void chars(std::string_view s) override {
    if (inValue_ && inPhonetic_ == 0 && value_.size() < (1u << 20)) value_.append(s);
  }

 private:
  std::vector<std::string> const& sst_;
  CappedText& out_;
  std::string type_, value_;
  bool inCell_ = false, inValue_ = false;
  int inPhonetic_ = 0;
  size_t cells_ = 0;
};

// Relationship id -> target, and the r:id of each <sheet> in order.
class RelsHandler : public XmlHandler {
 public:
  std::map<std::string, std::string> targets;
  void start(std::string_view n, char const** attrs) override {
    if (n == "Relationship")
      targets[std::string(xmlAttr(attrs, "Id"))] = std::string(xmlAttr(attrs, "Target"));
  }
  void end(std::string_view) override {}
  void chars(std::string_view) override {}
};
class WorkbookHandler : public XmlHandler {
 public:
  std::vector<std::string> sheetIds;
  void start(std::string_view n, char const** attrs) override {
    if (n == "sheet") sheetIds.emplace_back(xmlAttr(attrs, "id", "relationships"));
  }
  void end(std::string_view) override {}
  void chars(std::string_view) override {}
};

void parseInto(ZipMembers const& m, std::string const& name, XmlHandler& h, OfficeText& out) {
  auto it = m.find(name);
  if (it == m.end()) return;
  std::string error = parseXml(it->second, h);
  if (!error.empty() && out.error.empty()) out.error = name + ": " + error;
}

// Members under `dir` whose names are `stem` N `.xml`, by N.
std::vector<std::string> numbered(ZipMembers const& m, std::string const& prefix) {
  std::vector<std::pair<unsigned long, std::string>> found;
  for (auto const& [name, data] : m) {
    if (!startsWith(name, prefix.c_str()) || !endsWith(name, ".xml")) continue;
    std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (middle.empty() || middle.find_first_not_of("0123456789") != std::string::npos) continue;
    found.emplace_back(std::strtoul(middle.c_str(), nullptr, 10), name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (auto& f : found) names.push_back(f.second);
  return names;
}

// "worksheets/sheet1.xml" relative to xl/, or "/xl/worksheets/sheet1.xml".
std::string resolve(std::string const& base, std::string const& target) {
  if (startsWith(target, "/")) return target.substr(1);
  std::string t = target, b = base;
  while (startsWith(t, "../")) {
    t = t.substr(3);
    size_t slash = b.find_last_of('/', b.size() >= 2 ? b.size() - 2 : 0);
    b = slash == std::string::npos ? "" : b.substr(0, slash + 1);
  }
  return b + t;
}

}  // namespace

OfficeKind officeKind(ZipMembers const& m) {
  if (m.count("word/document.xml")) return OfficeKind::kWord;
  if (m.count("xl/workbook.xml")) return OfficeKind::kSpreadsheet;
  if (m.count("ppt/presentation.xml")) return OfficeKind::kPresentation;
  if (m.count("content.xml") && (m.count("mimetype") || m.count("META-INF/manifest.xml")))
    return OfficeKind::kOpenDocument;
  return OfficeKind::kNone;
}

bool isTextMember(OfficeKind kind, std::string const& n) {
  switch (kind) {
    case OfficeKind::kWord:
      return startsWith(n, "word/") && endsWith(n, ".xml") && n.find('/', 5) == std::string::npos;
    case OfficeKind::kSpreadsheet:
      return n == "xl/workbook.xml" || n == "xl/_rels/workbook.xml.rels" ||
             n == "xl/sharedStrings.xml" || (startsWith(n, "xl/worksheets/") && endsWith(n, ".xml")) ||
             (startsWith(n, "xl/comments") && endsWith(n, ".xml"));
    case OfficeKind::kPresentation:
      return (startsWith(n, "ppt/slides/") || startsWith(n, "ppt/notesSlides/") ||
              startsWith(n, "ppt/comments/")) && endsWith(n, ".xml");
    case OfficeKind::kOpenDocument:
      return n == "content.xml" || n == "styles.xml" || n == "mimetype" || n == "META-INF/manifest.xml";
    case OfficeKind::kNone:
      return false;
  }
  return false;
}

OfficeText paragraphXmlText(std::string const& xml, uint64_t maxBytes) {
  OfficeText out;
  CappedText capped(out, maxBytes);
  ParagraphHandler h(capped);
  out.error = parseXml(xml, h);
  return out;
}

OfficeText worksheetXmlText(std::string const& sharedStrings, std::string const& sheet,
                            uint64_t maxBytes) {
  OfficeText out;
  SharedStringsHandler sst;
  if (!sharedStrings.empty()) out.error = parseXml(sharedStrings, sst);
  CappedText capped(out, maxBytes);
  SheetHandler h(sst.strings, capped);
  std::string error = parseXml(sheet, h);
  if (out.error.empty()) out.error = error;
  return out;
}

OfficeText wordText(ZipMembers const& m, uint64_t maxBytes) {
  OfficeText out;
  CappedText capped(out, maxBytes);
  // The body first, then headers, footers, notes and comments by name.
  std::vector<std::string> parts = {"word/document.xml"};
  for (char const* kind : {"word/header", "word/footer", "word/footnotes", "word/endnotes",
                           "word/comments"})
    for (auto const& [name, data] : m)
      if (startsWith(name, kind) && endsWith(name, ".xml")) parts.push_back(name);
  for (std::string const& name : parts) {
    ParagraphHandler h(capped);
    parseInto(m, name, h, out);
  }
  return out;
}

OfficeText spreadsheetText(ZipMembers const& m, uint64_t maxBytes) {
  OfficeText out;
  SharedStringsHandler sst;
  parseInto(m, "xl/sharedStrings.xml", sst, out);
  // Sheets in workbook order through their relationships; should either be
  // missing or damaged, the worksheets by number.
  WorkbookHandler book;
  RelsHandler rels;
  parseInto(m, "xl/workbook.xml", book, out);
  parseInto(m, "xl/_rels/workbook.xml.rels", rels, out);
  std::vector<std::string> sheets;
  for (std::string const& id : book.sheetIds) {
    auto t = rels.targets.find(id);
    if (t == rels.targets.end()) continue;
    std::string name = resolve("xl/", t->second);
    if (m.count(name) && std::find(sheets.begin(), sheets.end(), name) == sheets.end())
      sheets.push_back(name);
  }
  for (std::string const& name : numbered(m, "xl/worksheets/sheet"))
    if (std::find(sheets.begin(), sheets.end(), name) == sheets.end()) sheets.push_back(name);
  CappedText capped(out, maxBytes);
  for (std::string const& name : sheets) {
    SheetHandler h(sst.strings, capped);
    parseInto(m, name, h, out);
  }
  for (std::string const& name : numbered(m, "xl/comments")) {
    ParagraphHandler h(capped);
    parseInto(m, name, h, out);
  }
  return out;
}

OfficeText presentationText(ZipMembers const& m, uint64_t maxBytes) {
  OfficeText out;
  CappedText capped(out, maxBytes);
  std::vector<std::string> parts = numbered(m, "ppt/slides/slide");
  for (std::string const& n : numbered(m, "ppt/notesSlides/notesSlide")) parts.push_back(n);
  for (std::string const& n : numbered(m, "ppt/comments/comment")) parts.push_back(n);
  for (std::string const& name : parts) {
    ParagraphHandler h(capped);
    parseInto(m, name, h, out);
  }
  return out;
}

}  // namespace vmund
