// One line that says what a message's findings were and where, without any
// value: `creditcard=2 in customers.xlsx; ussn=1 in body`. For logs and the
// X-Vessamund-Findings header.
#ifndef VMUND_HOST_FINDING_SUMMARY_H_
#define VMUND_HOST_FINDING_SUMMARY_H_

#include <cstddef>
#include <string>
#include <vector>

#include "host/message_findings.h"

namespace vmund {

// "KIND=COUNT in WHERE" per kind and location, in the order they first
// occur, joined by "; ". WHERE is the part's label for attachments and the
// area's name ("body", "header", "html-alternative") otherwise. Only
// printable ASCII comes out (anything else in a kind or label becomes '?',
// and ';' or '=' in one becomes '_'), and the text is cut at `maxLength`
// bytes with "..." so that it fits a log line or a header. Empty when there
// are no findings.
std::string summarizeFindings(std::vector<MessageFinding> const& findings,
                              size_t maxLength = 900);

}  // namespace vmund

#endif  // VMUND_HOST_FINDING_SUMMARY_H_
