// Collecting a message from the MTA: the text the host reads, the milter's
// own headers set apart, and the size limit.
#include <gtest/gtest.h>

#include "milter/message_state.h"

namespace {

using vmund::milter::MessageState;

void body(MessageState& m, std::string const& text) {
  m.addBody(reinterpret_cast<unsigned char const*>(text.data()), text.size());
}

TEST(MilterMessageState, RebuildsTheMessageWithoutOurHeaders) {
  MessageState m(1 << 20);
  m.addHeader("From", "a@example.test");
  m.addHeader("x-vessamund-score", "PII:0");  // forged, any letter case
  m.addHeader("Subject", "folded\n\tline");
  m.addHeader("X-Vessamund-Status", "Clean");
  m.addHeader("X-VESSAMUND-STATUS", "Clean");
  m.addHeader("Message-ID", "<1@example.test>");
  body(m, "line one\r\n");
  body(m, "line two\r\n");
  EXPECT_EQ(m.scoreHeaders(), 1);
  EXPECT_EQ(m.statusHeaders(), 2);
  EXPECT_EQ(m.messageId(), "<1@example.test>");
  EXPECT_FALSE(m.overLimit());
  std::string const text =
      "From: a@example.test\r\nSubject: folded\n\tline\r\nMessage-ID: <1@example.test>\r\n"
      "\r\nline one\r\nline two\r\n";
  EXPECT_EQ(m.size(), text.size());
  EXPECT_EQ(m.takeText(), text);
}

TEST(MilterMessageState, ResetStartsTheNextMessage) {
  MessageState m(10);
  m.addHeader("X-Vessamund-Score", "1");
  m.addHeader("Message-ID", "<a>");
  body(m, "far too long for ten bytes");
  ASSERT_TRUE(m.overLimit());
  m.reset();
  EXPECT_FALSE(m.overLimit());
  EXPECT_EQ(m.size(), 0u);
  EXPECT_EQ(m.scoreHeaders(), 0);
  EXPECT_EQ(m.messageId(), "");
  m.addHeader("S", "y");  // headers alone still end with the blank line
  EXPECT_EQ(m.takeText(), "S: y\r\n\r\n");
}

}  // namespace
