// What the host hands to every scan: the message as a walk over text parts,
// and an optional progress callback.
#ifndef VESSAMUND_SCAN_AREA_H_
#define VESSAMUND_SCAN_AREA_H_

#include <cstdint>
#include <string>

namespace Vessamund {

// One part of a message. Owned by the host; the library reads it only until
// its next call on the area and keeps no pointer to it.
struct DScanAreaPart {
  // The part's bytes, followed by a zero byte that `length` does not count.
  // May be null (the part is then skipped). Plain-word items stop at the first
  // zero byte; every other item reads exactly `length` bytes.
  char* text;
  uint32_t length;
  // Bits 0-3: the part kind (what the host means by it is the host's). Bit 4
  // (value 16): card, US SSN and Canadian SIN detectors reject candidates that
  // span a line break. Every bit takes part in the area test of an item when
  // the part continues a run of the same kind.
  uint16_t flags;
};

// The content of one message as a restartable walk over its parts.
// Implemented by the host. An area is used by one scan on one thread at a
// time (the walk is state of the area); items of one dictionary walk it one
// after the other, each starting with first().
class DScanAreaImpl {
 public:
  virtual ~DScanAreaImpl();
  // Restarts the walk; the first part, or null when there is none.
  virtual DScanAreaPart* first() = 0;
  // The part after the one returned last, or null at the end.
  virtual DScanAreaPart* next() = 0;
};

// Lets the host bound a scan in time. Implemented by the host; may be null
// wherever a scan takes one. Called on the scanning thread only.
class ProgressCb {
 public:
  virtual ~ProgressCb();
  // Called once at the start of every dictionary scan, before its first item.
  // `matchText` is the dictionary's (empty) match text; anything the host
  // appends to it is reported as match text. Returns the number of seconds
  // between two calls of poll() (0: before every item).
  virtual unsigned int start(DScanAreaImpl* area, std::string& matchText) = 0;
  // Between items of a dictionary: false stops that dictionary, which then
  // reports the score reached so far.
  virtual bool poll() = 0;
  // After each member of a group: true stops the group, which reports its best
  // member so far.
  virtual bool expired() = 0;
};

}  // namespace Vessamund

#endif  // VESSAMUND_SCAN_AREA_H_
