// Every format the extractor reads, on fixtures made by real producers
// (pandoc, ps2pdf, 7z) and by scripts/make-attachment-fixtures: the text has
// the one shape the detectors rely on, and holds the identifiers of the same
// text in a plain body, kind by kind. Then the corner cases of each reader.
#include <gtest/gtest.h>

#include <string>

#include "attachment_support.h"
#include "host/extract/office_text.h"
#include "host/extract/rtf_text.h"
#include "host/format_sniff.h"

namespace {

using vmund_test::fixture;

struct FixtureRow {
  char const* file;
  char const* source;  // the plain text it carries
  bool exact;          // the extracted text is the source byte for byte
};

FixtureRow const kFixtures[] = {
    {"split-runs.docx", "planted.txt", true},  // the card number and the IBAN span two runs
    {"pandoc.docx", "planted.txt", false},
    {"pandoc.odt", "planted.txt", false},
    {"slides.pptx", "planted.txt", true},      // slides by number, not by name
    {"tj-lines.pdf", "planted.txt", false},
    {"ps2pdf.pdf", "planted.txt", false},
    {"pandoc.rtf", "planted.txt", true},
    {"cells.xlsx", "planted.tsv", true},       // workbook order, not file order
    {"cells.ods", "planted.tsv", true},        // 1020 repeated empty cells dropped
    {"planted.txt.gz", "planted.txt", true},
    {"planted.txt.bz2", "planted.txt", true},
    {"planted.txt.xz", "planted.txt", true},
    {"planted.tar.gz", "planted.txt", true},
    {"planted.7z", "planted.txt", true},
    {"legacy.xls", "planted.tsv", false},      // BIFF8 by python3-xlwt, read by xls2csv
};

TEST(AttachmentFormats, FixturesGiveTheTextAndCountsOfAPlainBody) {
  vmund_test::KindCounter counter;
  for (FixtureRow const& r : kFixtures) {
    SCOPED_TRACE(r.file);
    std::string const plain = fixture(r.source);
    auto const want = counter.count(plain, vmund::kBody);
    ASSERT_GE(want.size(), 3u);  // card, IBAN, SSN, routing number and their look-alikes
    // Declared as bytes under a name that says nothing: the content decides.
    vmund::Message m = vmund_test::readWithExtractor(
        vmund_test::messageWith("upload.bin", "application/octet-stream", fixture(r.file)));
    std::vector<size_t> texts;
    for (size_t i = 0; i < m.area.partCount(); ++i)
      if (m.area.kind(i) == vmund::kAttachment) texts.push_back(i);
    ASSERT_EQ(texts.size(), 1u);
    std::string const& text = m.area.text(texts[0]);
    EXPECT_EQ(m.area.label(texts[0]).rfind("upload.bin", 0), 0u);
    EXPECT_EQ(counter.count(text), want) << text;
    if (r.exact) {
      EXPECT_EQ(text, plain);
    }
    EXPECT_TRUE(m.area.skipped().empty());
  }
}

TEST(AttachmentFormats, ReportZipListsEachTextUnderItsContainerPath) {
  vmund_test::CollectingSink got = vmund_test::extract(fixture("report.zip"), "report.zip");
  ASSERT_EQ(got.texts.size(), 2u);
  EXPECT_EQ(got.texts[0].first, "report.zip/2024/customers.xlsx");
  EXPECT_EQ(got.texts[0].second, fixture("planted.tsv"));
  EXPECT_EQ(got.texts[1].first, "report.zip/2024/readme.txt");
  EXPECT_TRUE(got.skips.empty());
}

TEST(AttachmentFormats, PdfFormValuesAreReadThoughOnNoPage) {
  vmund_test::CollectingSink got = vmund_test::extract(fixture("form-fields.pdf"), "form.pdf");
  ASSERT_EQ(got.texts.size(), 1u);
  vmund_test::KindCounter counter;
  auto const counts = counter.count(got.texts[0].second);
  EXPECT_EQ(counts.count("CC") ? counts.at("CC") : 0, 1u) << got.texts[0].second;
  EXPECT_EQ(counts.count("IBAN") ? counts.at("IBAN") : 0, 1u) << got.texts[0].second;
}

TEST(AttachmentFormats, EncryptedFilesAreUnscannableWithTheirReason) {
  // An encrypted zip member: AttachmentScan.JsonNamesEveryPartAndWhyOneWasNotRead.
  EXPECT_EQ(vmund_test::extract(fixture("encrypted.pdf"), "e.pdf").skips,
            std::vector<std::string>{"e.pdf: encrypted PDF (needs a password) !"});
  // A password-protected .xlsx: a compound file whose directory names the
  // encrypted package (the directory entry alone, as it is stored).
  std::string ole = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0');
  for (char c : std::string("EncryptedPackage")) ole += c, ole += '\0';
  EXPECT_EQ(vmund_test::extract(ole, "e.xlsx").skips,
            std::vector<std::string>{"e.xlsx: encrypted Office document !"});
}

TEST(AttachmentFormats, SniffingGoesByContent) {
  struct Row {
    std::string bytes;
    vmund::Format format;
  };
  std::string tar(512, '\0');
  tar.replace(257, 5, "ustar");
  Row const rows[] = {
      {fixture("cells.xlsx"), vmund::Format::kZip},
      {fixture("planted.7z"), vmund::Format::k7z},
      {fixture("planted.txt.xz"), vmund::Format::kXz},
      {fixture("planted.txt.bz2"), vmund::Format::kBzip2},
      {fixture("planted.txt.gz"), vmund::Format::kGzip},
      {"junk before the header %PDF-1.4\n", vmund::Format::kPdf},
      {fixture("by-hand.rtf"), vmund::Format::kRtf},
      {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "rest", vmund::Format::kOle},
      {tar, vmund::Format::kTar},
      {"\x89PNG\r\n\x1a\n", vmund::Format::kImage},
      {"\xEF\xBB\xBF <!DOCTYPE html><p>x", vmund::Format::kHtml},
      {"name,card\nAna,4111\n", vmund::Format::kText},
      {std::string("\x01\x02\x03\x04\x05 binary", 12), vmund::Format::kUnknown},
      {"", vmund::Format::kEmpty},
  };
  for (Row const& r : rows)
    EXPECT_EQ(vmund::sniffFormat(r.bytes), r.format) << vmund::formatName(r.format);
}

// The readers' own rules, each on the smallest input that shows it.
TEST(AttachmentFormats, ReadersKeepTheOneShape) {
  struct Row {
    char const* what;
    std::string got;
    std::string want;
  };
  std::string const w = "<w:document xmlns:w=\"W\"><w:body>";
  std::string const t = "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\"";
  Row const rows[] = {
      {"runs join, paragraphs end",
       vmund::paragraphXmlText(w + "<w:p><w:r><w:t>41</w:t></w:r><w:r><w:t>11</w:t></w:r></w:p>"
                                   "<w:p><w:r><w:t>x</w:t></w:r></w:p></w:body></w:document>", 1000).text,
       "4111\nx\n"},
      {"a tab stop is no tab, a tab is",
       vmund::paragraphXmlText(w + "<w:p><w:pPr><w:tabs><w:tab w:pos=\"1\"/></w:tabs></w:pPr>"
                                   "<w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:delText>c</w:delText>"
                                   "</w:r></w:p></w:body></w:document>", 1000).text,
       "a\tb\nc\n"},
      {"a text box's fallback copy is left out",
       vmund::paragraphXmlText(w + "<w:p><mc:AlternateContent xmlns:mc=\"M\"><mc:Choice><w:t>box</w:t>"
                                   "</mc:Choice><mc:Fallback><w:t>box</w:t></mc:Fallback>"
                                   "</mc:AlternateContent></w:p></w:body></w:document>", 1000).text,
       "box\n"},
      {"shared, inline, number; a bad index is empty",
       vmund::worksheetXmlText("<sst><si><t>a</t><rPh><t>PH</t></rPh></si><si><r><t>b</t></r><r><t>c</t></r></si></sst>",
                               "<worksheet><sheetData><row><c t=\"s\"><v>1</v></c><c t=\"inlineStr\"><is><t>4111</t></is></c>"
                               "<c><v>42</v></c><c t=\"s\"><v>9</v></c><c t=\"s\"><v>0</v></c></row></sheetData></worksheet>",
                               1000).text,
       "bc\t4111\t42\t\ta\n"},
      {"ODF blanks, spans, tabs and line breaks",
       vmund::odfXmlText("<d " + t + "><text:p>a <text:s text:c=\"3\"/>b<text:span>c</text:span><text:tab/>d"
                                     "<text:line-break/>e</text:p><text:h>f</text:h></d>", 1000).text,
       "a    bc\td\ne\nf\n"},
      {"ODF raw white space collapses, and goes at a paragraph's start",
       vmund::odfXmlText("<d " + t + "><text:p>\n   4111 \n\t 1111<text:span>  1111</text:span></text:p></d>",
                         1000).text,
       "4111 1111 1111\n"},
      {"ODF rows: repeated cells written out, trailing empties dropped",
       vmund::odfXmlText("<d " + t + "><table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
                                     "table:number-columns-repeated=\"2\"><text:p>7</text:p></table:table-cell>"
                                     "<table:table-cell><text:p>a</text:p><text:p>b</text:p></table:table-cell>"
                                     "<table:table-cell table:number-columns-repeated=\"9999\"/></table:table-row></d>",
                         1000).text,
       "7\t7\ta b\n7\t7\ta b\n"},
      {"the cap holds",
       vmund::paragraphXmlText(w + "<w:p><w:t>0123456789</w:t></w:p></w:body></w:document>", 4).text, "0123"},
      {"RTF: hidden groups, 8-bit and Unicode characters, cells",
       vmund::rtfText("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\x hidden}Caf\\'e9 \\uc1\\u8364?5\\par "
                      "41\\cell 42\\cell\\row\\{\\}a\\'0db}", 1000),
       "Caf\xC3\xA9 \xE2\x82\xAC" "5\n41\t42\t\n{}a\nb"},
  };
  for (Row const& r : rows) EXPECT_EQ(r.got, r.want) << r.what;
}

}  // namespace
