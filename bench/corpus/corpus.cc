// Loading and parsing the benchmark corpus; see corpus.h.
#include "corpus.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vmund_bench {

namespace fs = std::filesystem;

std::vector<MessageFile> loadCorpus(std::vector<std::string> const& folders, unsigned sample) {
  std::vector<MessageFile> files;
  size_t seen = 0;
  for (std::string const& folder : folders) {
    std::vector<fs::path> paths;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
      if (it->is_regular_file() && it->path().extension() == ".eml") paths.push_back(it->path());
    if (error) throw std::runtime_error(folder + ": " + error.message());
    std::sort(paths.begin(), paths.end());
    for (fs::path const& p : paths) {
      if (sample > 1 && seen++ % sample != 0) continue;
      std::ifstream in(p, std::ios::binary);
      if (!in) throw std::runtime_error(p.string() + ": cannot read");
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      files.push_back(MessageFile{fs::relative(p, folder).string(), std::move(bytes)});
    }
  }
  return files;
}

uint64_t corpusBytes(std::vector<MessageFile> const& files) {
  uint64_t total = 0;
  for (MessageFile const& f : files) total += f.bytes.size();
  return total;
}

std::vector<vmund::Message> parseCorpus(std::vector<MessageFile> const& files, size_t* refused) {
  std::vector<vmund::Message> messages;
  size_t bad = 0;
  for (MessageFile const& f : files) {
    vmund::ReadResult got = vmund::readMessages(f.bytes, f.name);
    if (!got.error.empty()) ++bad;
    for (vmund::Message& m : got.messages) messages.push_back(std::move(m));
  }
  if (refused) *refused = bad;
  return messages;
}

}  // namespace vmund_bench
