// Reads RFC 822 / MIME messages (a single message or an mbox file) into scan
// areas, decoding transfer encodings, RFC 2047 words and charsets to UTF-8.
#ifndef VMUND_CLI_HOST_MIME_READER_H_
#define VMUND_CLI_HOST_MIME_READER_H_

#include <chrono>
#include <string>
#include <vector>

#include "host/message_area.h"

namespace vmund {

// One message ready to scan.
struct Message {
  std::string id;  // the input's name, with "#N" appended for the N-th message of an mbox
  // Where the message starts in the input: its mbox "From " line, or its
  // first header line. Lets a caller that reads one range of a large mbox
  // name each message by its place in the whole file.
  size_t offset = 0;
  // What a mail administrator finds the message by, decoded to UTF-8 ("" when
  // the message has no such header): Message-ID without its angle brackets,
  // From as written, Subject.
  std::string messageId, from, subject;
  bool notMail = false;  // readMailOrText() took the input whole as text
  MessageArea area;
};

// What reading an input gave: the messages, or an error that says why there
// are none. Problems inside a message that was read (a truncated encoding, a
// missing boundary) are not errors: the reader keeps what it could decode.
struct ReadResult {
  std::vector<Message> messages;
  std::string error;  // empty on success
};

// Reads every message in `bytes`. `name` identifies the input in message ids.
// Input that starts with an mbox "From " line is read as an mbox, anything
// else as one message. Errors: an empty input ("empty file"), and input that
// does not start with a header line, blank lines and an mbox "From " line
// aside ("no mail headers found"). Parts, in
// message order:
//   kind 4  the message's header block, "Name: value\n" per header, unfolded
//           and RFC 2047-decoded;
//   kind 1  each text body part; an HTML body becomes its visible text;
//   kind 8  the visible text of an HTML alternative that directly follows its
//           plain-text sibling in a multipart/alternative;
//   kind 2  each attachment whose content is text, decoded; an attached
//           message (message/rfc822) contributes its header block and all
//           its text parts as attachments.
// Attachments that are not text are listed in MessageArea::skipped(). Line
// ends are LF. Safe to call from several threads at once (initialises the
// MIME library once, on the first call).
ReadResult readMessages(std::string const& bytes, std::string const& name);

class AttachmentExtractor;

struct ReadOptions {
  // Reads attachments whose content (whatever their declared type or name)
  // is an archive or a document: each text found becomes a part of kind 2
  // in message order, labelled with its container path below the
  // attachment's label ("export.zip/2024/customers.xlsx"); each part not
  // read is listed in skipped() with its reason. Null: such attachments are
  // only listed, as readMessages() above does.
  AttachmentExtractor const* extractor = nullptr;
  // When the message's time budget runs out; extraction stops there.
  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

// As above, and with an extractor: also attachments sent with a generic or
// wrong type are read by their content (text as text, HTML as its visible
// text), and images and other formats without text are listed with why.
// Every message of an mbox gets the extractor's limits afresh.
ReadResult readMessages(std::string const& bytes, std::string const& name,
                        ReadOptions const& options);

// As readMessages(), but input that cannot be read as mail (no header line)
// is one message with `notMail` set whose whole text (as UTF-8 with LF line
// ends, like every part) is one body part, so that breaking the format hides
// nothing. Only empty input is an error. `vmund scan` and the milter both
// read their input this way.
ReadResult readMailOrText(std::string const& bytes, std::string const& name,
                          ReadOptions const& options = ReadOptions());

// Sets up the MIME library once per process, from any thread. readMessages
// calls it; other code of the host that parses mail calls it first.
void initMimeLibrary();

}  // namespace vmund

#endif  // VMUND_CLI_HOST_MIME_READER_H_
