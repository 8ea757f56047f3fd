// The message host: which parts a message becomes, in which order, and what
// their decoded text reads like.
#include "host/mime_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/files.h"

namespace {

using vmund::MessageArea;
using vmund::readMessages;
using vmund_test::contains;
using vmund_test::slurpFile;

std::string sample(char const* name) {
  return slurpFile(std::string(VMUND_SOURCE_DIR "/data/samples/") + name);
}

// "kind:label" of every part, then "skip:label" of every skipped attachment.
std::vector<std::string> shape(MessageArea const& a) {
  std::vector<std::string> out;
  for (size_t i = 0; i < a.partCount(); ++i)
    out.push_back(std::to_string(a.kind(i)) + ":" + a.label(i));
  for (auto const& s : a.skipped()) out.push_back("skip:" + s.label);
  return out;
}

TEST(MimeReader, DecodedTextReadsAsTheReaderSeesIt) {
  auto text = [](char const* file, size_t part) {
    return readMessages(sample(file), file).messages.at(0).area.text(part);
  };
  // RFC 2047 words in UTF-8 and Latin-1, quoted-printable ISO-8859-15 body.
  EXPECT_TRUE(contains(text("04-encoded-subject.eml", 0),
                       "Subject: \xC3\x9C"
                       "berweisung f\xC3\xBCr M\xC3\xA4rz: Rechnung 2025-0311\n"));
  EXPECT_TRUE(contains(text("04-encoded-subject.eml", 0),
                       "To: Sabine Sch\xC3\xA4"
                       "fer <"));
  std::string body = text("04-encoded-subject.eml", 1);
  EXPECT_TRUE(contains(body, "1.240,00 \xE2\x82\xAC f\xC3\xBCr die Wartung im M\xC3\xA4rz\n"));
  EXPECT_TRUE(contains(body, "IBAN: DE44 5001 0517 5407 3249 31\n"));
  // The HTML twin: tags and styles gone, &nbsp; read as blanks.
  std::string html = text("02-alternative-html.eml", 2);
  EXPECT_TRUE(contains(html, "card you gave us, 4917 6123 0045 8813, valid"));
  EXPECT_FALSE(contains(html, "<") || contains(html, "margin") ||
               contains(html, "Payment problem"));
  // Base64 attachment decoded byte for byte.
  EXPECT_EQ(text("03-base64-attachment.eml", 2),
            "employee_id,name,ssn,start_date\n"
            "1041,Priya Raman,512-44-8213,2021-02-01\n"
            "1042,Tomasz Wielgus,231-58-9047,2022-07-18\n"
            "1043,Hanna Lindqvist,478-20-6135,2023-11-06\n");
  // Header names and lead bytes that are not UTF-8: mime_fuzz's kept inputs.
  // An encoded word that decodes to CRLF ("a\r\nb") keeps the header one line.
  EXPECT_EQ(readMessages("Subject: =?utf-8?B?YQ0KYg==?=\r\n\r\nx\r\n", "m").messages.at(0).area.text(0),
            "Subject: a b\n");
}

TEST(MimeReader, MboxGivesEveryMessage) {
  vmund::ReadResult got = readMessages(sample("06-thread.mbox"), "t.mbox");
  ASSERT_EQ(got.error, "");
  ASSERT_EQ(got.messages.size(), 2u);
  EXPECT_EQ(got.messages[0].id, "t.mbox#1");
  EXPECT_EQ(got.messages[1].id, "t.mbox#2");
  EXPECT_TRUE(contains(got.messages[1].area.text(0), "Subject: Confidential: salary review\n"));
  EXPECT_FALSE(contains(got.messages[0].area.text(1), "salary"));
}

std::string mixed(std::string const& parts) {
  return "From: a@example.org\nSubject: t\nMIME-Version: 1.0\n"
         "Content-Type: multipart/mixed; boundary=\"B\"\n\n" +
         parts + "--B--\n";
}

TEST(MimeReader, SamplesAndTreeShapesMapToKinds) {
  struct Row {
    char const* note;  // and the message's name
    std::string message;
    std::vector<std::string> shape;
  };
  std::string plain = "--B\nContent-Type: text/plain\n\np\n";
  std::string html = "--B\nContent-Type: text/html\n\n<p>h</p>\n";
  Row const rows[] = {
      {"01-plain-note.eml", sample("01-plain-note.eml"), {"4:header", "1:text/plain"}},
      // The preamble ("This is a multi-part message ...") is scanned too.
      {"02-alternative-html.eml", sample("02-alternative-html.eml"),
       {"4:header", "1:text/plain", "8:text/html", "1:multipart/alternative text"}},
      {"03-base64-attachment.eml", sample("03-base64-attachment.eml"),
       {"4:header", "1:text/plain", "2:new-starters.csv", "skip:logo.png"}},
      {"html alone is the body",
       "From: a@example.org\nContent-Type: text/html\n\n<b>x</b>\n",
       {"4:header", "1:text/html"}},
      {"html after plain outside an alternative stays a body",
       mixed(plain + html), {"4:header", "1:text/plain", "1:text/html"}},
      {"related html root is the twin",
       "From: a@example.org\nContent-Type: multipart/alternative; boundary=\"B\"\n\n" + plain +
           "--B\nContent-Type: multipart/related; boundary=\"R\"\n\n"
           "--R\nContent-Type: text/html\n\n<p>h</p>\n"
           "--R\nContent-Type: image/gif\nContent-ID: <i>\n\nGIF89a\n--R--\n--B--\n",
       {"4:header", "1:text/plain", "8:text/html", "skip:image/gif"}},
      {"named text part is an attachment",
       mixed(plain + "--B\nContent-Type: text/plain; name=\"n.txt\"\n\nnotes\n"),
       {"4:header", "1:text/plain", "2:n.txt"}},
      {"html attachment is rendered as an attachment",
       mixed("--B\nContent-Type: text/html\nContent-Disposition: attachment\n\n<i>x</i>\n"),
       {"4:header", "2:text/html"}},
      {"octet stream that reads as text",
       mixed("--B\nContent-Type: application/octet-stream; name=a.log\n\nline\n"),
       {"4:header", "2:a.log"}},
      {"octet stream with binary bytes",
       mixed(std::string(
           "--B\nContent-Type: application/octet-stream; name=b.bin\n\n\x01\x00\x02\n", 60)),
       {"4:header", "skip:b.bin"}},
      {"attached message: its header and text are attachments",
       mixed("--B\nContent-Type: message/rfc822\n\nFrom: b@example.org\nSubject: inner\n\nhi\n"),
       {"4:header", "2:attached message header", "2:text/plain"}},
      {"multipart without a boundary is read as text",
       "From: a@example.org\nContent-Type: multipart/mixed\n\nsecret\n",
       {"4:header", "1:multipart/mixed text"}},
      {"multipart whose boundary never occurs is read as text",
       "From: a@example.org\nContent-Type: multipart/mixed; boundary=\"Z\"\n\n--B\nsecret\n",
       {"4:header", "1:multipart/mixed text"}},
      {"text before the first boundary and after the last comes after the parts",
       "From: a@example.org\nContent-Type: multipart/mixed; boundary=\"B\"\n\nsecret\n" + plain +
           "--B--\nmore\n",
       {"4:header", "1:text/plain", "1:multipart/mixed text"}},
      {"an attached multipart without parts stays an attachment",
       mixed("--B\nContent-Type: message/rfc822\n\nFrom: b@example.org\n"
             "Content-Type: multipart/mixed\n\nsecret\n"),
       {"4:header", "2:attached message header", "2:multipart/mixed text"}},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.note);
    vmund::ReadResult got = readMessages(r.message, r.note);
    ASSERT_EQ(got.error, "");
    ASSERT_EQ(got.messages.size(), 1u);
    EXPECT_EQ(got.messages[0].id, r.note);
    MessageArea const& a = got.messages[0].area;
    EXPECT_EQ(shape(a), r.shape);
    if (r.shape.back().find("multipart/mixed text") != std::string::npos) {
      EXPECT_TRUE(contains(a.text(a.partCount() - 1), "secret"));
    }
  }
}

TEST(MimeReader, BadInputGivesAnErrorOrWhatCanBeRead) {
  EXPECT_EQ(readMessages("", "e").error, "empty file");
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 251);
  EXPECT_EQ(readMessages(garbage, "g").error, "no mail headers found");
  EXPECT_EQ(readMessages("just a line of text\n", "t").error, "no mail headers found");

  // A base64 attachment cut in the middle of a quantum: what was sent is kept.
  // The message ends there, with no closing boundary.
  std::string whole = mixed(
      "--B\nContent-Type: text/plain; name=c.txt\nContent-Transfer-Encoding: base64\n\n"
      "c2VjcmV0IGRhdGEgaGVyZQ==\n");  // "secret data here"
  vmund::ReadResult cut = readMessages(whole.substr(0, whole.find("==")), "c");
  ASSERT_EQ(cut.error, "");
  ASSERT_EQ(cut.messages.at(0).area.partCount(), 2u);
  EXPECT_EQ(cut.messages[0].area.text(1).substr(0, 11), "secret data");

  // Bytes declared as bytes, read as text from a valid start: what is not
  // UTF-8 further on becomes U+FFFD, the text around it stays.
  vmund::ReadResult octets = readMessages(
      mixed("--B\nContent-Type: application/octet-stream; name=l.log\n\n" +
            std::string(9000, 'a') + "\xa1\xdc" + "b\n"),
      "o");
  ASSERT_EQ(octets.messages.at(0).area.partCount(), 2u);
  EXPECT_EQ(octets.messages[0].area.text(1).substr(9000), "\xEF\xBF\xBD\xEF\xBF\xBD" "b");

  // Leading blanks before the first header are not fatal.
  vmund::ReadResult blank = readMessages(" From: a@example.org\nSubject: s\n\nbody\n", "b");
  ASSERT_EQ(blank.error, "");
  EXPECT_EQ(blank.messages.at(0).area.text(1), "body\n");
}

// Nesting deeper than the parser follows: reading ends, and the innermost
// text is still in some part (as raw text when the parser gave up on it).
TEST(MimeReader, DeepNestingEndsWithEveryTextRead) {
  for (int depth : {100, 5000}) {
    std::string multipart = "From: a@example.org\nMIME-Version: 1.0\n";
    std::string attached = multipart;
    for (int d = 0; d < depth; ++d) {
      std::string const b = "b" + std::to_string(d);
      multipart += "Content-Type: multipart/mixed; boundary=\"" + b + "\"\n\n--" + b + "\n";
      attached += "Content-Type: message/rfc822\n\nFrom: b@example.org\n";
    }
    for (std::string* m : {&multipart, &attached}) {
      SCOPED_TRACE(std::to_string(depth) + (m == &multipart ? " multiparts" : " messages"));
      *m += "Content-Type: text/plain\n\ndeep secret\n";
      vmund::ReadResult got = readMessages(*m, "deep");
      ASSERT_EQ(got.error, "");
      MessageArea const& a = got.messages.at(0).area;
      bool found = false;
      for (size_t i = 0; i < a.partCount(); ++i) found = found || contains(a.text(i), "deep secret");
      EXPECT_TRUE(found);
    }
  }
}

// 100,000 parts: each one is read, in order.
TEST(MimeReader, HundredThousandParts) {
  std::string parts;
  for (int i = 0; i < 100000; ++i)
    parts += "--B\nContent-Type: text/plain\n\nw" + std::to_string(i) + "\n";
  vmund::ReadResult got = readMessages(mixed(parts), "many");
  ASSERT_EQ(got.error, "");
  MessageArea const& a = got.messages.at(0).area;
  ASSERT_EQ(a.partCount(), 100001u);
  EXPECT_EQ(a.text(100000), "w99999");  // the line end before a boundary is the boundary's
}

}  // namespace
