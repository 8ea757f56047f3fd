// Rewrites a message with given texts replaced in its readable text: the
// header values and every part the message host reads as text. Re-encodes
// what it changes so that the output is still valid mail; leaves every part
// it does not change as it was.
#ifndef VMUND_HOST_MESSAGE_REWRITER_H_
#define VMUND_HOST_MESSAGE_REWRITER_H_

#include <string>
#include <utility>
#include <vector>

namespace vmund {

struct RewriteResult {
  std::string output;  // the whole message; empty when `error` is set
  std::string error;   // why nothing could be written ("" on success)
  size_t changedParts = 0;  // header blocks and parts that were rewritten
};

// Replaces every occurrence of each `replacements[i].first` (UTF-8, as the
// host decodes the text) by `.second` in one message (not an mbox), in
// header values (RFC 2047-decoded, written back encoded as needed) and in
// the decoded content of text parts (text/*, the textual application types,
// octet streams that hold text, in attached messages too), which are then
// written back in their own charset (UTF-8 when that cannot hold the new
// text) and transfer encoding. HTML is matched in its source, so a value that the source splits with
// tags or character references is not found there. Longer values are
// replaced first. Errors: input that is not one message.
RewriteResult rewriteMessage(std::string const& bytes,
                             std::vector<std::pair<std::string, std::string>> const& replacements);

}  // namespace vmund

#endif  // VMUND_HOST_MESSAGE_REWRITER_H_
