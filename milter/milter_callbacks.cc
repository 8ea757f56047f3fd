// libmilter callbacks: per-connection state, and at end of message the scan,
// the verdict and the headers, reply or quarantine it calls for.
#include "milter/milter_callbacks.h"

#include <dirent.h>
#include <libmilter/mfapi.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cstdlib>

#include <atomic>
#include <chrono>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "host/deadline.h"
#include "milter/findings_summary.h"
#include "host/isolated_extractor.h"
#include "milter/message_scan.h"
#include "milter/message_state.h"
#include "milter/verdict.h"

namespace vmund {
namespace milter {
namespace {

// Set once by registerCallbacks() before libmilter starts its threads.
Config const* gConfig = nullptr;
ScannerSource* gSource = nullptr;
Log* gLog = nullptr;

// libmilter's session threads outlive smfi_main(): a connection still open
// at SIGTERM may call back after it returned. Every callback that reads the
// configuration, the scanners or the log passes this gate, and main() lets
// them go only once no callback is inside (waitForCallbacks). seq_cst on
// both sides: a callback either sees the stop or is counted before main
// looks.
std::atomic<int> gInside{0};
std::atomic<bool> gStopping{false};

class Gate {
 public:
  Gate() { gInside.fetch_add(1); }
  ~Gate() { gInside.fetch_sub(1); }
  Gate(Gate const&) = delete;
  Gate& operator=(Gate const&) = delete;
  // True when the milter is stopping: the callback must not touch the
  // configuration, and the MTA retries the message later.
  bool closed() const { return gStopping.load(); }
};

// What libmilter keeps for one SMTP connection (smfi_setpriv).
struct Connection {
  explicit Connection(uint64_t maxSize) : message(maxSize) {}
  MessageState message;
  bool failed = false;   // a callback of this message threw; judge it kError
  bool canSkip = false;  // the MTA takes SMFIS_SKIP: stop sending an oversized body
  std::vector<std::string> recipients;  // of this message, when the header scope needs them
};

Connection* connection(SMFICTX* ctx) { return static_cast<Connection*>(smfi_getpriv(ctx)); }

// The connection's state, made on first use (a transaction can reach us
// without a connect callback when the MTA skips it). Null only when memory
// ran out.
Connection* ensureConnection(SMFICTX* ctx) {
  Connection* c = connection(ctx);
  if (c) return c;
  try {
    c = new Connection(gConfig->maxSize);
  } catch (std::exception const&) {
    return nullptr;
  }
  smfi_setpriv(ctx, c);
  return c;
}

std::string symbol(SMFICTX* ctx, char const* name) {
  char* value = smfi_getsymval(ctx, const_cast<char*>(name));
  return value ? value : "";
}

// libmilter reads the reply text as a format: a lone "%" would drop it.
std::string escapePercent(std::string const& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

// Removes every earlier copy of `name`, from the last, so that the indexes
// of the others stay put.
void removeHeaders(SMFICTX* ctx, char const* name, int copies) {
  std::string header = name;
  for (int i = copies; i >= 1; --i) smfi_chgheader(ctx, &header[0], i, nullptr);
}

void addHeader(SMFICTX* ctx, char const* name, std::string const& value) {
  std::string header = name, v = value;
  smfi_addheader(ctx, &header[0], &v[0]);
}

sfsistat carryOut(SMFICTX* ctx, MessageState const& message, Verdict const& v, bool withHeaders,
                  std::string const& findings) {
  if (v.action == Action::kReject || v.action == Action::kTempfail) {
    std::string code = v.reply.code, status = v.reply.status, text = escapePercent(v.reply.text);
    if (smfi_setreply(ctx, &code[0], &status[0], text.empty() ? nullptr : &text[0]) != MI_SUCCESS)
      gLog->warning("the MTA refused the reply " + code + " " + status + "; it sends its own");
    return v.action == Action::kReject ? SMFIS_REJECT : SMFIS_TEMPFAIL;
  }
  // No message keeps a forged copy; only those in the header scope get ours
  // (and one that was not scanned gets no score header).
  removeHeaders(ctx, kScoreHeader, message.scoreHeaders());
  removeHeaders(ctx, kStatusHeader, message.statusHeaders());
  removeHeaders(ctx, kFindingsHeader, message.findingsHeaders());
  if (withHeaders) {
    if (!v.score.empty()) addHeader(ctx, kScoreHeader, v.score);
    addHeader(ctx, kStatusHeader, v.status);
    if (wantsFindingsHeader(gConfig->findingsHeader, v, findings))
      addHeader(ctx, kFindingsHeader, findings);
  }
  if (v.action == Action::kQuarantine) {
    std::string reason = v.quarantineReason;
    if (smfi_quarantine(ctx, &reason[0]) != MI_SUCCESS)
      gLog->warning("the MTA refused to quarantine the message");
  }
  return SMFIS_ACCEPT;
}

unsigned long const kActions = SMFIF_ADDHDRS | SMFIF_CHGHDRS | SMFIF_QUARANTINE;

// Asks only for headers, body and end of message. Every other step is one
// more exchange per message for nothing, and over TCP an exchange where the
// MTA writes a macro packet and then the command costs a delayed ACK.
sfsistat onNegotiate(SMFICTX* ctx, unsigned long actions, unsigned long steps, unsigned long,
                     unsigned long, unsigned long* wantActions, unsigned long* wantSteps,
                     unsigned long* want2, unsigned long* want3) {
  Gate gate;
  if (gate.closed()) return SMFIS_TEMPFAIL;
  *wantActions = actions & kActions;
  unsigned long const rcpt = gConfig->headers.needsRecipients() ? 0 : SMFIP_NORCPT;
  *wantSteps = steps & (SMFIP_NOCONNECT | SMFIP_NOHELO | SMFIP_NOMAIL | rcpt | SMFIP_NOUNKNOWN |
                        SMFIP_NODATA | SMFIP_NOEOH | SMFIP_SKIP);
  *want2 = 0;
  *want3 = 0;
  if (Connection* c = ensureConnection(ctx)) c->canSkip = (*wantSteps & SMFIP_SKIP) != 0;
  return SMFIS_CONTINUE;
}

sfsistat onConnect(SMFICTX* ctx, char*, _SOCK_ADDR*) {
  Gate gate;
  if (gate.closed()) return SMFIS_TEMPFAIL;
  ensureConnection(ctx);
  return SMFIS_CONTINUE;
}

sfsistat onEnvfrom(SMFICTX* ctx, char**) {
  Gate gate;
  if (gate.closed()) return SMFIS_TEMPFAIL;
  Connection* c = ensureConnection(ctx);
  if (!c) return SMFIS_TEMPFAIL;
  c->message.reset();
  c->failed = false;
  c->recipients.clear();
  return SMFIS_CONTINUE;
}

sfsistat onEnvrcpt(SMFICTX* ctx, char** argv) {
  Gate gate;
  if (gate.closed()) return SMFIS_TEMPFAIL;
  Connection* c = ensureConnection(ctx);
  if (!c) return SMFIS_TEMPFAIL;
  try {
    if (argv && argv[0]) c->recipients.emplace_back(argv[0]);
  } catch (std::exception const&) {
    c->failed = true;
  }
  return SMFIS_CONTINUE;
}

sfsistat onHeader(SMFICTX* ctx, char* name, char* value) {
  Gate gate;
  if (gate.closed()) return SMFIS_TEMPFAIL;
  Connection* c = ensureConnection(ctx);
  if (!c) return SMFIS_TEMPFAIL;
  try {
    c->message.addHeader(name ? name : "", value ? value : "");
  } catch (std::exception const&) {
    c->failed = true;
  }
  return SMFIS_CONTINUE;
}

sfsistat onBody(SMFICTX* ctx, unsigned char* data, size_t length) {
  Gate gate;
  if (gate.closed()) return SMFIS_TEMPFAIL;
  Connection* c = ensureConnection(ctx);
  if (!c) return SMFIS_TEMPFAIL;
  try {
    c->message.addBody(data, length);
  } catch (std::exception const&) {
    c->failed = true;
  }
  return c->message.overLimit() && c->canSkip ? SMFIS_SKIP : SMFIS_CONTINUE;
}

sfsistat onEom(SMFICTX* ctx) {
  Gate gate;
  if (gate.closed()) return SMFIS_TEMPFAIL;
  auto start = std::chrono::steady_clock::now();
  Connection* c = ensureConnection(ctx);
  if (!c) return SMFIS_TEMPFAIL;
  std::string queueId = symbol(ctx, "i");
  ScanOutcome outcome;
  try {
    std::vector<std::string> notes;
    std::shared_ptr<ScannerSet const> set = gSource->acquire(notes);
    for (std::string const& n : notes) gLog->info(n);
    if (c->failed) {
      outcome.skip = Skip::kError;
    } else if (c->message.overLimit()) {
      outcome.skip = Skip::kSizeLimit;
    } else {
      DeadlineProgress deadline(gConfig->timeBudget);
      deadline.arm();
      // One helper path and limits for the process's life.
      static IsolatedExtractor const extractor(gConfig->extract, gConfig->extractor);
      outcome = scanMessage(gConfig->rules, *set, c->message.takeText(), deadline, &extractor);
    }
  } catch (std::exception const& e) {
    gLog->error("id=" + (queueId.empty() ? std::string("-") : queueId) + ": " + e.what());
    outcome = ScanOutcome{Skip::kError, {}};
  }
  Verdict verdict = decide(*gConfig, outcome);
  sfsistat result = carryOut(ctx, c->message, verdict, gConfig->headers.covers(c->recipients),
                             outcome.findings);
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  gLog->info(messageLine(queueId, c->message.messageId(), c->message.size(), verdict, ms) +
             findingsLogField(outcome.findings));
  c->message.reset();
  return result;
}

sfsistat onAbort(SMFICTX* ctx) {
  if (Connection* c = connection(ctx)) c->message.reset();
  return SMFIS_CONTINUE;
}

sfsistat onClose(SMFICTX* ctx) {
  delete connection(ctx);
  smfi_setpriv(ctx, nullptr);
  return SMFIS_CONTINUE;
}

// libmilter writes each header change and the final reply as a packet of
// its own. Under Nagle's algorithm every packet after the first then waits
// for the MTA's delayed ACK (40 ms on Linux), which over TCP cut Postfix's
// throughput six-fold. libmilter does not hand out its socket, so find the
// listening TCP socket it opened and set TCP_NODELAY there: Linux copies it
// to every connection accepted from it.
void disableNagle() {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return;
  while (dirent* e = readdir(dir)) {
    int fd = std::atoi(e->d_name);
    if (fd <= 2 || fd == dirfd(dir)) continue;
    int listening = 0, protocol = 0;
    socklen_t size = sizeof listening;
    if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || !listening) continue;
    size = sizeof protocol;
    if (getsockopt(fd, SOL_SOCKET, SO_PROTOCOL, &protocol, &size) != 0 || protocol != IPPROTO_TCP) continue;
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  closedir(dir);
}

}  // namespace

bool waitForCallbacks(std::chrono::milliseconds limit) {
  gStopping.store(true);
  auto const end = std::chrono::steady_clock::now() + limit;
  while (gInside.load() != 0) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::string registerCallbacks(Config const& config, ScannerSource& source, Log& log) {
  gConfig = &config;
  gSource = &source;
  gLog = &log;
  static char name[] = "vmund-milter";
  smfiDesc desc{};
  desc.xxfi_name = name;
  desc.xxfi_version = SMFI_VERSION;
  desc.xxfi_flags = kActions;
  desc.xxfi_connect = onConnect;
  desc.xxfi_envfrom = onEnvfrom;
  desc.xxfi_envrcpt = onEnvrcpt;
  desc.xxfi_header = onHeader;
  desc.xxfi_body = onBody;
  desc.xxfi_eom = onEom;
  desc.xxfi_abort = onAbort;
  desc.xxfi_close = onClose;
  desc.xxfi_negotiate = onNegotiate;
  std::string socket = config.socket;
  if (smfi_setconn(&socket[0]) != MI_SUCCESS) return "bad socket \"" + socket + "\"";
  if (smfi_register(desc) != MI_SUCCESS) return "libmilter refused to register the filter";
  if (smfi_opensocket(true) != MI_SUCCESS) return "cannot open the socket \"" + socket + "\"";
  disableNagle();
  return std::string();
}

}  // namespace milter
}  // namespace vmund
