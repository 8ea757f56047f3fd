// An output stream that writes everything to two streams: `vmund scan
// --log FILE` keeps the report on the terminal and in the file.
#ifndef VMUND_CLI_VMUND_TEE_STREAM_H_
#define VMUND_CLI_VMUND_TEE_STREAM_H_

#include <ostream>
#include <streambuf>

namespace vmund {

class TeeStream : public std::ostream {
 public:
  // `second` may be null: then only `first` is written.
  TeeStream(std::ostream& first, std::ostream* second)
      : std::ostream(&buf_), buf_(first, second) {}

 private:
  class Buf : public std::streambuf {
   public:
    Buf(std::ostream& first, std::ostream* second) : first_(first), second_(second) {}

   protected:
    int overflow(int c) override {
      if (c == traits_type::eof()) return traits_type::not_eof(c);
      first_.put(static_cast<char>(c));
      if (second_) second_->put(static_cast<char>(c));
      return c;
    }
    std::streamsize xsputn(char const* s, std::streamsize n) override {
      first_.write(s, n);
      if (second_) second_->write(s, n);
      return n;
    }
    int sync() override {
      first_.flush();
      if (second_) second_->flush();
      return 0;
    }

   private:
    std::ostream& first_;
    std::ostream* second_;
  };
  Buf buf_;
};

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_TEE_STREAM_H_
