// Scanner set-up, input walking and the worker threads of `vmund scan`.
#include "vmund/scan_session.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

#include "host/deadline.h"
#include "host/isolated_extractor.h"
#include "host/mime_reader.h"
#include "vessamund/factory.h"
#include "vmund/progress_line.h"

namespace vmund {
namespace {

std::string errnoText() { return std::strerror(errno); }

bool isDirectory(std::string const& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Files a mail server keeps beside the messages of a Maildir (Dovecot's
// indexes, caches, uid lists and keyword files; the Maildir++ markers).
bool mailServerFile(std::string const& name) {
  return name.compare(0, 8, "dovecot.") == 0 || name.compare(0, 8, "dovecot-") == 0 ||
         name == "maildirfolder" || name == "subscriptions" || name == "courierimapuiddb" ||
         name == "courierimapkeywords";
}

// Every regular file below `dir`, in name order, depth first. Symbolic links
// are followed; a broken one, a loop back into a folder being walked and an
// unreadable folder are inputs with an error, so nothing is dropped in
// silence. Mail-server files of Maildirs are skipped by name.
void listFiles(std::string const& dir, std::vector<FileReport>& out,
               std::vector<std::pair<dev_t, ino_t>>& walking) {
  struct stat self;
  DIR* d = stat(dir.c_str(), &self) == 0 ? opendir(dir.c_str()) : nullptr;
  if (!d) {
    out.push_back({dir, "cannot read the directory: " + errnoText(), {}});
    return;
  }
  for (auto const& w : walking)
    if (w.first == self.st_dev && w.second == self.st_ino) {
      closedir(d);
      out.push_back({dir, "symbolic link loop: the folder is already being scanned", {}});
      return;
    }
  walking.emplace_back(self.st_dev, self.st_ino);
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != ".." && !mailServerFile(n)) names.push_back(n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  for (std::string const& n : names) {
    std::string path = dir + (dir.back() == '/' ? "" : "/") + n;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
      out.push_back({path, "cannot open: " + errnoText() +
                               (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)
                                    ? " (broken symbolic link)"
                                    : ""),
                     {}});
    } else if (S_ISDIR(st.st_mode)) {
      listFiles(path, out, walking);
    } else if (S_ISREG(st.st_mode)) {
      out.push_back({path, "", {}});
    }
  }
  walking.pop_back();
}

std::string megabytes(uint64_t bytes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
  return buf;
}

// Reads the whole input, refusing more than `limit` bytes so that one huge
// file cannot exhaust memory. Returns "" or what went wrong.
std::string readInput(std::string const& path, uint64_t limit, std::string& bytes) {
  if (path == "-") {
    std::istreambuf_iterator<char> it(std::cin), end;
    for (; it != end; ++it) {
      if (bytes.size() >= limit)
        return "input is larger than the --max-size limit of " + megabytes(limit);
      bytes += *it;
    }
    return std::string();
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return "cannot open: " + errnoText();
  if (S_ISDIR(st.st_mode)) return "is a directory";
  if (static_cast<uint64_t>(st.st_size) > limit)
    return "file is " + megabytes(static_cast<uint64_t>(st.st_size)) +
           ", larger than the --max-size limit of " + megabytes(limit);
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot open: " + errnoText();
  bytes.resize(static_cast<size_t>(st.st_size));
  in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  if (in.bad()) return "read error: " + errnoText();
  return std::string();
}

uint64_t fileSize(std::string const& path) {
  struct stat st;
  return path != "-" && stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

}  // namespace

ScanSession::ScanSession(ScanSettings settings, std::ostream& err)
    : settings_(std::move(settings)), err_(err),
      extractor_(std::make_shared<IsolatedExtractor>(settings_.extract)) {
  if (settings_.scanners.empty()) {
    err_ << "vmund scan: no scanner: give at least one -d DICT, -g GROUP or -t NUMBER:NAME\n";
    ok_ = false;
    return;
  }
  Vessamund::DictionaryFactory* factory = Vessamund::DictionaryFactory::instance();
  // Scanners of an earlier session in this process may come from another
  // database; start from empty caches.
  factory->clean();
  std::vector<ScannerRequest> earlier;
  for (ScannerRequest const& wanted : settings_.scanners) {
    std::string problem = requestClash(earlier, wanted);
    earlier.push_back(wanted);
    ScannerRef ref;
    std::vector<std::string> warnings;
    if (problem.empty()) problem = loadScanner(wanted, ref, warnings);
    for (std::string const& w : warnings) err_ << "vmund scan: warning: " << w << "\n";
    if (!problem.empty()) {
      err_ << "vmund scan: " << problem << "\n";
      ok_ = false;
      continue;
    }
    scanners_.push_back(ref);
  }
}

FileReport ScanSession::scanFile(std::string const& path, std::vector<ScannerRef>& scanners,
                                 DeadlineProgress& deadline) const {
  FileReport report{path, "", {}};
  std::string bytes;
  report.error = readInput(path, settings_.maxBytes, bytes);
  if (!report.error.empty()) return report;
  // The time budget covers reading attachments; an mbox's messages share it.
  deadline.arm();
  ReadResult read = readMailOrText(bytes, path == "-" ? "<stdin>" : path,
                                   ReadOptions{extractor_.get(), deadline.deadline()});
  bytes = std::string();  // the parts hold their own copies
  report.error = read.error;
  for (Message& m : read.messages) {
    MessageReport mr;
    mr.id = m.id;
    mr.messageId = m.messageId;
    mr.from = m.from;
    mr.subject = m.subject;
    mr.notMail = m.notMail;
    for (size_t i = 0; i < m.area.partCount(); ++i)
      mr.parts.push_back({m.area.kind(i), m.area.label(i), m.area.text(i).size()});
    for (auto const& s : m.area.skipped())
      mr.skipped.push_back({s.label, s.mimeType, s.reason, s.unscannable});
    if (&m != &read.messages.front()) deadline.arm();
    for (ScannerRef& scanner : scanners) {
      ScanResult r;
      r.score = scanMessage(*scanner.get(), m.area, settings_.threshold, &deadline,
                            r.matchRecord, r.scoreRecord,
                            settings_.findings ? &r.findings : nullptr, &r.findingsDropped);
      r.reached = r.score >= settings_.threshold;
      mr.results.push_back(std::move(r));
    }
    mr.timedOut = deadline.timedOut();
    report.messages.push_back(std::move(mr));
  }
  return report;
}

void ScanSession::run(std::vector<std::string> const& paths,
                      std::function<void(FileReport const&)> const& sink) {
  std::vector<FileReport> inputs;
  for (std::string const& p : paths) {
    if (p != "-" && isDirectory(p)) {
      size_t before = inputs.size();
      std::vector<std::pair<dev_t, ino_t>> walking;
      listFiles(p, inputs, walking);
      if (inputs.size() == before) inputs.push_back({p, "no files found in the directory", {}});
    } else {
      inputs.push_back({p, "", {}});
    }
  }
  // doneBytes[i]: bytes of the inputs before input i, for the progress line.
  std::vector<uint64_t> doneBytes(inputs.size() + 1, 0);
  for (size_t i = 0; i < inputs.size(); ++i)
    doneBytes[i + 1] = doneBytes[i] + fileSize(inputs[i].path);

  // Workers fill `done` slots in any order; this thread hands them to the
  // sink in input order.
  std::vector<FileReport> done(inputs.size());
  std::vector<char> ready(inputs.size(), 0);
  std::mutex mu;
  std::condition_variable cv;
  std::atomic<size_t> nextInput{0};
  auto work = [&] {
    std::vector<ScannerRef> scanners = scanners_;
    DeadlineProgress deadline(settings_.timeout);
    for (size_t i; (i = nextInput++) < inputs.size();) {
      FileReport r = inputs[i];
      // An exception must not leave the thread (that would end the process
      // and every other input with it): it becomes this input's error.
      if (r.error.empty()) {
        try {
          r = scanFile(inputs[i].path, scanners, deadline);
        } catch (std::exception const& e) {
          r = FileReport{inputs[i].path, std::string("scan failed: ") + e.what(), {}};
        } catch (...) {
          r = FileReport{inputs[i].path, "scan failed: unknown exception", {}};
        }
      }
      std::lock_guard<std::mutex> lock(mu);
      done[i] = std::move(r);
      ready[i] = 1;
      cv.notify_one();
    }
  };
  unsigned jobs =
      std::max(1u, std::min<unsigned>(settings_.jobs, static_cast<unsigned>(inputs.size())));
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < jobs; ++t) threads.emplace_back(work);

  ProgressLine progress(err_, settings_.progress && inputs.size() > 1, inputs.size(),
                        doneBytes.back());
  for (size_t i = 0; i < inputs.size(); ++i) {
    FileReport r;
    {
      std::unique_lock<std::mutex> lock(mu);
      while (!ready[i]) {
        cv.wait_for(lock, std::chrono::milliseconds(200));
        progress.show(i, doneBytes[i]);
      }
      r = std::move(done[i]);
    }
    progress.clear();
    sink(r);
    progress.show(i + 1, doneBytes[i + 1]);
  }
  for (std::thread& t : threads) t.join();
  progress.finish();
}

}  // namespace vmund
