// `vmund redact IN OUT`: the message with every identifier in its text masked.
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "host/finding_summary.h"
#include "host/isolated_extractor.h"
#include "host/message_redaction.h"
#include "vmund/app.h"

namespace vmund {
namespace {

struct RedactArgs {
  std::string in;
  std::string out;
  double maxSizeMb = 64;
};

std::string readAll(std::string const& path, uint64_t limit, std::string& bytes) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (path != "-") {
    file.open(path, std::ios::binary);
    if (!file) return "cannot open " + path;
    in = &file;
  }
  std::ostringstream ss;
  ss << in->rdbuf();
  bytes = ss.str();
  if (bytes.size() > limit) return path + " is larger than the --max-size limit";
  return std::string();
}

void runRedact(RedactArgs const& a, Context& ctx) {
  std::string bytes;
  std::string problem = readAll(a.in, static_cast<uint64_t>(a.maxSizeMb * (1 << 20)), bytes);
  if (!problem.empty()) {
    ctx.err << "vmund redact: " << problem << "\n";
    ctx.status = kError;
    return;
  }
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> scanner = identifierScanner();
  // Documents and archives in attachments are read too, so that what they
  // hold is named when it cannot be masked.
  IsolatedExtractor extractor{ExtractLimits()};
  Redaction r = redactMessage(bytes, *scanner.get(), &extractor);
  if (!r.error.empty()) {
    ctx.err << "vmund redact: " << a.in << ": " << r.error << "\n";
    ctx.status = kError;
    return;
  }
  if (a.out == "-") {
    ctx.out << r.output;
    ctx.out.flush();
  } else {
    std::ofstream file(a.out, std::ios::binary | std::ios::trunc);
    file << r.output;
    file.close();
    if (!file) {
      ctx.err << "vmund redact: cannot write " << a.out << "\n";
      ctx.status = kError;
      return;
    }
  }
  // The summary goes where it cannot mix with a message on standard output.
  std::ostream& report = a.out == "-" ? ctx.err : ctx.out;
  std::string const masked = summarizeFindings(r.masked, 4000);
  report << "masked: " << (masked.empty() ? "nothing (no identifier found)" : masked) << "\n";
  if (!r.remaining.empty()) {
    report << "NOT MASKED, still in the output: " << summarizeFindings(r.remaining, 4000)
           << "\n";
    ctx.status = kReached;
    return;
  }
  ctx.status = kClean;
}

}  // namespace

void addRedactCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<RedactArgs>();
  CLI::App* cmd = app.add_subcommand(
      "redact",
      "Write a copy of one message with every identifier the eighteen detectors find in its "
      "text (headers, text parts, text attachments) masked as `**** **** **** 1111`, then "
      "scan the copy again and name any part that still holds one.\n"
      "Exit status: 0 everything masked, 1 the copy still holds identifiers (named on the "
      "summary line), 2 an error occurred.");
  cmd->add_option("IN", args->in, "The message (a file, or - for standard input)")->required();
  cmd->add_option("OUT", args->out, "Where the masked copy goes (a file, or - for standard "
                                    "output; the summary then goes to standard error)")
      ->required();
  cmd->add_option("--max-size", args->maxSizeMb,
                  "Refuse inputs larger than this many MB (default 64)")
      ->check(CLI::Range(0.001, 4000.0));
  cmd->callback([args, &ctx] { runRedact(*args, ctx); });
}

}  // namespace vmund
