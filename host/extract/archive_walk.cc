#include "host/extract/archive_walk.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace vmund {
namespace {

struct FreeArchive {
  void operator()(archive* a) const { archive_read_free(a); }
};
using Archive = std::unique_ptr<archive, FreeArchive>;

std::string mib(uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

// Names keep what the sender wrote, but no control characters: a label is
// printed on one line.
std::string printableName(char const* name) {
  std::string out = name ? name : "";
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
  while (!out.empty() && out.back() == '/') out.pop_back();
  return out.empty() ? "(no name)" : out;
}

// An archive reader over `bytes`; null with `error` set when not even the
// start can be read.
Archive open(std::string const& bytes, std::string& error) {
  Archive a(archive_read_new());
  archive_read_support_filter_all(a.get());
  archive_read_support_format_zip(a.get());
  archive_read_support_format_tar(a.get());
  archive_read_support_format_gnutar(a.get());
  archive_read_support_format_7zip(a.get());
  archive_read_support_format_rar(a.get());
  archive_read_support_format_rar5(a.get());
  archive_read_support_format_cpio(a.get());
  archive_read_support_format_raw(a.get());
  if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
    char const* why = archive_error_string(a.get());
    error = why ? why : "unreadable";
    return nullptr;
  }
  return a;
}

}  // namespace

bool walkArchive(std::string const& bytes, ExtractLimits const& limits, ExtractBudget& budget,
                 ArchiveWalk const& walk) {
  std::string error;
  Archive a = open(bytes, error);
  if (!a) {
    walk.skipped("", "damaged or truncated archive: " + error, true);
    return true;
  }
  uint64_t const ratioCap = static_cast<uint64_t>(limits.maxRatio) * bytes.size();
  uint64_t pastLimit = 0;  // members not read for the message's limits
  std::string pastReason;
  bool first = true;
  for (;;) {
    archive_entry* entry = nullptr;
    int rc = archive_read_next_header(a.get(), &entry);
    if (rc == ARCHIVE_EOF) break;
    if (first) {
      first = false;
      // The raw reader takes anything; it counts only behind a compression
      // filter (a .gz, .bz2 or .xz of one file).
      if (archive_format(a.get()) == ARCHIVE_FORMAT_RAW && archive_filter_count(a.get()) < 2)
        return false;
    }
    if (rc < ARCHIVE_WARN) {
      char const* why = archive_error_string(a.get());
      walk.skipped("", std::string("damaged or truncated archive: ") + (why ? why : "unreadable"),
                   true);
      break;
    }
    bool raw = archive_format(a.get()) == ARCHIVE_FORMAT_RAW;
    std::string name = raw ? "" : printableName(archive_entry_pathname(entry));
    if (!raw && archive_entry_filetype(entry) != AE_IFREG) continue;  // folders, links, devices
    if (!walk.wants(name)) continue;
    if (archive_entry_is_encrypted(entry)) {
      walk.skipped(name, "encrypted", true);
      continue;
    }
    if (budget.entriesLeft == 0 || budget.bytesLeft == 0) {
      if (pastLimit++ == 0)
        pastReason = budget.entriesLeft == 0 ? "past the message's limit of archive members"
                                             : "past the message's limit of extracted bytes";
      continue;
    }
    if (budget.expired()) {
      walk.skipped(name, "time budget spent", true);
      break;
    }
    --budget.entriesLeft;
    std::string data;
    std::string cut;  // why the member was cut off
    char buf[65536];
    for (;;) {
      la_ssize_t n = archive_read_data(a.get(), buf, sizeof buf);
      if (n == 0) break;
      if (n < 0) {
        char const* why = archive_error_string(a.get());
        cut = std::string("damaged: ") + (why ? why : "unreadable");
        if (n == ARCHIVE_FATAL) rc = ARCHIVE_FATAL;
        break;
      }
      uint64_t size = data.size() + static_cast<uint64_t>(n);
      if (size > limits.maxEntryBytes) {
        cut = "larger than the limit of " + mib(limits.maxEntryBytes) + " per member";
        break;
      }
      if (size > limits.ratioFloor && size > ratioCap) {
        cut = "compression ratio past " + std::to_string(limits.maxRatio) + ":1";
        break;
      }
      if (size > budget.bytesLeft) {
        cut = "past the message's limit of extracted bytes";
        break;
      }
      data.append(buf, static_cast<size_t>(n));
    }
    budget.bytesLeft -= data.size();
    if (!cut.empty()) {
      // What was read before the cut is kept: a reader sees that much.
      if (!data.empty()) walk.member(name, std::move(data));
      walk.skipped(name, cut, true);
      if (rc == ARCHIVE_FATAL) break;
      continue;
    }
    walk.member(name, std::move(data));
  }
  if (pastLimit)
    walk.skipped("", std::to_string(pastLimit) + " member" + (pastLimit == 1 ? "" : "s") +
                         " not read: " + pastReason, true);
  return true;
}

}  // namespace vmund
