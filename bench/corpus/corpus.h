// The benchmark's mail: message files read into memory once, so that timed
// runs measure parsing and scanning, not the disk.
#ifndef VMUND_BENCH_CORPUS_CORPUS_H_
#define VMUND_BENCH_CORPUS_CORPUS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "host/mime_reader.h"

namespace vmund_bench {

struct MessageFile {
  std::string name;   // path relative to its corpus folder
  std::string bytes;  // the file as stored
};

// Every *.eml file under each folder (recursively), folder by folder in the
// order given and by path within a folder, so that every machine reads the
// same sequence. Keeps every `sample`-th file of that sequence (1: all).
// Throws std::runtime_error for a folder or file that cannot be read.
std::vector<MessageFile> loadCorpus(std::vector<std::string> const& folders, unsigned sample);

// Total bytes of the files.
uint64_t corpusBytes(std::vector<MessageFile> const& files);

// The messages of every file, in file order, as the message host reads them.
// A file the reader refuses contributes no message; `refused` counts them.
std::vector<vmund::Message> parseCorpus(std::vector<MessageFile> const& files, size_t* refused);

}  // namespace vmund_bench

#endif  // VMUND_BENCH_CORPUS_CORPUS_H_
