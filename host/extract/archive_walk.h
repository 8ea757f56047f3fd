// Walks the members of an archive or compressed file through libarchive
// (ZIP, TAR, 7z, RAR, cpio; gzip, bzip2 and xz, alone or around a TAR), in
// memory, under the extraction limits. Nothing is written to disk, so member
// names (absolute, "../") are only labels.
#ifndef VMUND_HOST_EXTRACT_ARCHIVE_WALK_H_
#define VMUND_HOST_EXTRACT_ARCHIVE_WALK_H_

#include <functional>
#include <string>

#include "host/extraction.h"

namespace vmund {

struct ArchiveWalk {
  // Whether to decompress the member `name`; members not wanted cost no
  // entry and no bytes.
  std::function<bool(std::string const& name)> wants = [](std::string const&) { return true; };
  // A member's whole content. `name` is "" for a compressed file that holds
  // one stream and no names (a .gz).
  std::function<void(std::string const& name, std::string data)> member;
  // A member (or, with name "", the archive itself) that could not be read.
  std::function<void(std::string const& name, std::string const& reason, bool unscannable)> skipped;
};

// Reads every member of `bytes` in archive order. Each decompressed member
// counts one entry and its bytes against `budget`; a member is cut off (and
// reported) past limits.maxEntryBytes, or once it passes limits.ratioFloor
// while larger than limits.maxRatio times the archive holding it. Members
// past the message's entries or bytes are reported together, once.
// Encrypted members are reported, a damaged archive is reported after the
// members read before the damage. Returns false when `bytes` is no archive
// libarchive reads.
bool walkArchive(std::string const& bytes, ExtractLimits const& limits, ExtractBudget& budget,
                 ArchiveWalk const& walk);

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_ARCHIVE_WALK_H_
