#include "host/extract/file_extractor.h"

#include <utility>

#include "host/extract/archive_walk.h"
#include "host/extract/legacy_office.h"
#include "host/extract/office_text.h"
#include "host/extract/pdf_text.h"
#include "host/extract/rtf_text.h"
#include "host/format_sniff.h"
#include "host/html_text.h"
#include "host/utf8_text.h"

namespace vmund {
namespace {

std::string join(std::string const& label, std::string const& name) {
  return name.empty() ? label : label + "/" + name;
}

class FileExtractor {
 public:
  FileExtractor(ExtractLimits const& limits, ExtractBudget& budget, ExtractSink& sink)
      : limits_(limits), budget_(budget), sink_(sink) {}

  // `depth`: containers around this file (0 for an attachment).
  void file(std::string const& bytes, std::string const& label, unsigned depth) {
    if (budget_.expired()) {
      sink_.skipped(label, "time budget spent", true);
      return;
    }
    Format format = sniffFormat(bytes);
    switch (format) {
      case Format::kEmpty:
        return;
      case Format::kText:
        text(label, lfLines(validUtf8(bytes)));
        return;
      case Format::kHtml:
        text(label, htmlToText(lfLines(validUtf8(bytes))));
        return;
      case Format::kImage:
      case Format::kMedia:
      case Format::kUnknown:
        sink_.skipped(label, std::string(formatName(format)) + ": no text to read", false);
        return;
      default:
        break;
    }
    if (depth >= limits_.maxDepth) {
      sink_.skipped(label, "nested deeper than the limit of " + std::to_string(limits_.maxDepth) +
                               " containers", true);
      return;
    }
    switch (format) {
      case Format::kZip:
        zip(bytes, label, depth);
        return;
      case Format::kPdf:
        pdf(bytes, label, depth);
        return;
      case Format::kRtf:
        text(label, rtfText(bytes, limits_.maxEntryBytes));
        return;
      case Format::kOle: {
        LegacyText t = legacyOfficeText(bytes, limits_.maxEntryBytes, budget_.deadline);
        if (!t.text.empty()) text(label, std::move(t.text));
        if (t.error == "encrypted Office document")
          sink_.skipped(label, t.error, true);
        else if (!t.error.empty())
          sink_.skipped(label, "legacy Office file: " + t.error, true);
        return;
      }
      default:
        archive(bytes, label, depth);
        return;
    }
  }

 private:
  void text(std::string const& label, std::string t) {
    if (t.find_first_not_of(" \t\n") == std::string::npos) return;
    sink_.text(label, std::move(t));
  }

  void archive(std::string const& bytes, std::string const& label, unsigned depth) {
    ArchiveWalk walk;
    walk.member = [&](std::string const& name, std::string data) {
      file(data, join(label, name), depth + 1);
    };
    walk.skipped = [&](std::string const& name, std::string const& reason, bool unscannable) {
      sink_.skipped(join(label, name), reason, unscannable);
    };
    if (!walkArchive(bytes, limits_, budget_, walk))
      sink_.skipped(label, "unreadable archive", true);
  }

  // A zip is an Office document when its member names say so; then only the
  // members holding text are read (and embedded files, which are files of
  // their own). Otherwise every member is a file.
  void zip(std::string const& bytes, std::string const& label, unsigned depth) {
    ZipMembers names;
    ArchiveWalk list;
    list.wants = [&](std::string const& name) {
      if (names.size() < 100000) names.emplace(name, std::string());
      return false;
    };
    list.skipped = [](std::string const&, std::string const&, bool) {};
    walkArchive(bytes, limits_, budget_, list);
    OfficeKind kind = officeKind(names);
    if (kind == OfficeKind::kNone) {
      archive(bytes, label, depth);
      return;
    }
    ZipMembers members;
    std::vector<std::pair<std::string, std::string>> embedded;
    bool damaged = false;
    ArchiveWalk read;
    read.wants = [&](std::string const& name) {
      return isTextMember(kind, name) || name.find("/embeddings/") != std::string::npos ||
             (kind == OfficeKind::kOpenDocument && name.rfind("Object ", 0) == 0);
    };
    read.member = [&](std::string const& name, std::string data) {
      if (isTextMember(kind, name))
        members.emplace(name, std::move(data));
      else
        embedded.emplace_back(name, std::move(data));
    };
    read.skipped = [&](std::string const& name, std::string const& reason, bool unscannable) {
      damaged = true;
      sink_.skipped(join(label, name), reason, unscannable);
    };
    walkArchive(bytes, limits_, budget_, read);
    uint64_t const cap = limits_.maxEntryBytes;
    OfficeText t = kind == OfficeKind::kWord          ? wordText(members, cap)
                   : kind == OfficeKind::kSpreadsheet ? spreadsheetText(members, cap)
                   : kind == OfficeKind::kPresentation ? presentationText(members, cap)
                                                       : openDocumentText(members, cap);
    text(label, validUtf8(std::move(t.text)));
    if (t.truncated)
      sink_.skipped(label, "text past the limit of " + std::to_string(cap >> 20) + " MiB", true);
    else if (!t.error.empty() && !damaged)
      sink_.skipped(label, "damaged document: " + t.error + " (text before it was read)", true);
    for (auto& [name, data] : embedded) file(data, join(label, name), depth + 1);
  }

  void pdf(std::string const& bytes, std::string const& label, unsigned depth) {
    PdfText t = pdfText(bytes, limits_.maxEntryBytes, budget_.deadline);
    bool none = t.text.find_first_not_of(" \t\n") == std::string::npos;
    text(label, std::move(t.text));
    if (!t.error.empty())
      sink_.skipped(label, t.error, true);
    else if (none && t.embedded.empty())
      sink_.skipped(label, "PDF without text (scanned pages?)", false);
    for (auto& e : t.embedded) {
      if (budget_.entriesLeft == 0) {
        sink_.skipped(join(label, e.name), "past the limit of archive members per message", true);
        continue;
      }
      --budget_.entriesLeft;
      file(e.data, join(label, e.name), depth + 1);
    }
  }

  ExtractLimits const& limits_;
  ExtractBudget& budget_;
  ExtractSink& sink_;
};

}  // namespace

void extractFile(std::string const& bytes, std::string const& label, ExtractLimits const& limits,
                 ExtractBudget& budget, ExtractSink& sink) {
  FileExtractor(limits, budget, sink).file(bytes, label, 0);
}

}  // namespace vmund
