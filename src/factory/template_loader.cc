// Template dictionaries: the ready-made score files and term files under
// /var/spool/etc/template/, read by template number into the dictionary
// cache.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <boost/assign/list_of.hpp>
#include <boost/thread/locks.hpp>

#include "factory/dictionary_factory_impl.h"
#include "vessamund/factory.h"

namespace Vessamund {

std::vector<std::string> predefined_dictionary_file_paths = boost::assign::list_of<std::string>
    ("/var/spool/etc/template/GLBScores.txt")                  // 512
    ("/var/spool/etc/template/HIPAAScores.txt")                // 513
    ("/var/spool/etc/template/Illegal_Drugs_Scores.txt")       // 514
    ("/var/spool/etc/template/Offensive_Scores.txt")           // 515
    ("/var/spool/etc/template/Terrorism_Scores.txt")           // 516
    ("/var/spool/etc/template/SOXScores.txt")                  // 517
    ("/var/spool/etc/template/Profanity_v3_2_Scores.txt")      // 518
    ("/var/spool/etc/template/Personally_Derogatory_Scores.txt")  // 519
    ("")                                                       // 520: none
    ("/var/spool/etc/template/HCPCS")                          // 521
    ("")                                                       // 522: none
    ("/var/spool/etc/template/ICD-9")                          // 523
    ("/var/spool/etc/template/ITAR-Country")                   // 524
    ("/var/spool/etc/template/ITAR-Term")                      // 525
    ("/var/spool/etc/template/MRN-Term")                       // 526
    ("/var/spool/etc/template/NDC-Class")                      // 527
    ("/var/spool/etc/template/NDC-Dosage")                     // 528
    ("/var/spool/etc/template/NDC-Names")                      // 529
    ("/var/spool/etc/template/NDC-Route")                      // 530
    ("/var/spool/etc/template/SourceCode-Perl")                // 531
    ("/var/spool/etc/template/SSN-Term")                       // 532
    ("/var/spool/etc/template/USDL")                           // 533
    ("/var/spool/etc/template/ABA-Term")                       // 534
    ("/var/spool/etc/template/Broker-Term")                    // 535
    ("/var/spool/etc/template/Credit-Card-Term")               // 536
    ("/var/spool/etc/template/CreditReport-Term")              // 537
    ("/var/spool/etc/template/Resume-Term")                    // 538
    ("/var/spool/etc/template/Trading-Term")                   // 539
    ("/var/spool/etc/template/SourceCode");                    // 540

namespace {

constexpr unsigned short kFirstTemplate = 512;
constexpr unsigned short kLastScoreFile = 519;
constexpr unsigned short kLastTemplate = 540;

// Every template item applies to part kinds 1, 2 and 8.
constexpr uint8_t kTemplateScanArea = 11;

constexpr uint16_t kRegexType = 1;
constexpr uint16_t kContainType = 3;

// One read: at most 255 characters, newline included. A longer line arrives
// in pieces, each parsed as a line of its own.
constexpr int kLineBuffer = 256;

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

long number(char const* text) { return strtol(text, nullptr, 10); }

bool isDigit(char c) { return isdigit(static_cast<unsigned char>(c)) != 0; }

// Score file, one item per line:
//   TYPE|PATTERN|WEIGHT|unused|MAX_WEIGHT|MAX_LIMIT|rest
// A line with fewer than six bars, or weight 0, gives no item.
void readScoreFile(char const* path, ProfileDictionaryScanner& scanner) {
  File file(fopen(path, "r"), &fclose);
  if (!file) return;
  __vmund_dictionary_item record;
  memset(&record, 0, sizeof record);
  char line[kLineBuffer];
  while (fgets(line, sizeof line, file.get()) != nullptr) {
    char* field[6];
    char* rest = line;
    int cut = 0;
    for (; cut < 6; ++cut) {
      char* bar = strchr(rest, '|');
      if (bar == nullptr) break;
      *bar = '\0';
      field[cut] = rest;
      rest = bar + 1;
    }
    if (cut < 6) continue;
    record.pattern_type = static_cast<uint16_t>(number(field[0]));
    // Shorter than the line buffer, so it always fits with its zero byte;
    // the rest of the field is zero-filled.
    strncpy(record.pattern, field[1], sizeof record.pattern - 1);
    record.pattern_weight = static_cast<uint16_t>(number(field[2]));
    record.pattern_max_weight = static_cast<uint16_t>(number(field[4]));
    record.pattern_max_limit = static_cast<uint8_t>(number(field[5]));
    record.pattern_scan_area = kTemplateScanArea;
    record.pattern_status = 1;
    if (record.pattern_weight == 0) continue;
    scanner.add_pattern(&record);
  }
}

// Term file, one item per line:
//   WEIGHT[/COUNT]SEP TERM newline
// WEIGHT and COUNT are digit runs, SEP is "=" or ":" (plain word) or "~"
// (regular expression). The item adds WEIGHT at most once per scan, or at
// most COUNT times with a count. A carriage return before the newline stays
// in the term. A line that does not fit, or has weight 0, gives no item; so
// does a term cut off before its newline with nothing after the separator.
void readTermFile(char const* path, ProfileDictionaryScanner& scanner) {
  File file(fopen(path, "r"), &fclose);
  if (!file) return;
  __vmund_dictionary_item record;
  memset(&record, 0, sizeof record);
  record.pattern_scan_area = kTemplateScanArea;
  record.pattern_max_limit = 1;
  record.pattern_status = 1;
  char line[kLineBuffer];
  while (fgets(line, sizeof line, file.get()) != nullptr) {
    if (!isDigit(line[0])) continue;
    char* p = nullptr;
    unsigned long const weight = static_cast<unsigned long>(strtol(line, &p, 10));
    unsigned long limit = weight;
    if (*p == '/') {
      if (!isDigit(p[1])) continue;
      // Wraps like the 16-bit field it feeds: 20000/5 gives 34464.
      limit = weight * static_cast<unsigned long>(strtol(p + 1, &p, 10));
    }
    if (*p != '=' && *p != ':' && *p != '~') continue;
    char const* term = p + 1;
    size_t length = strlen(term);
    // The last character read is the newline on every complete line; a
    // piece without one keeps all its characters.
    if (length > 0 && term[length - 1] == '\n')
      --length;
    else if (length == 0)
      continue;
    record.pattern_type = *p == '~' ? kRegexType : kContainType;
    record.pattern_weight = static_cast<uint16_t>(weight);
    record.pattern_max_weight = static_cast<uint16_t>(limit);
    memcpy(record.pattern, term, length);
    memset(record.pattern + length, 0, sizeof record.pattern - length);
    if (record.pattern_weight == 0) continue;
    scanner.add_pattern(&record);
  }
}

}  // namespace

Ref<DictionaryScannerImpl> DictionaryFactoryImpl::createDictScanner(unsigned short number,
                                                                    std::string const& name) {
  // Exclusive ownership keeps this safe beside every other factory call; the
  // reload flag is left for the next cached request.
  boost::unique_lock<boost::shared_mutex> exclusive(lock_);

  std::string path;
  if (number >= kFirstTemplate && number <= kLastTemplate &&
      static_cast<size_t>(number - kFirstTemplate) < predefined_dictionary_file_paths.size())
    path = predefined_dictionary_file_paths[number - kFirstTemplate];

  Ref<DictionaryScannerImpl> handle;
  if (!path.empty()) {
    std::unique_ptr<ProfileDictionaryScanner> scanner(new ProfileDictionaryScanner(name));
    if (number <= kLastScoreFile)
      readScoreFile(path.c_str(), *scanner);
    else
      readTermFile(path.c_str(), *scanner);
    scanner->prepare();
    Ref<DictionaryScannerImpl> made(scanner.get());
    scanner.release();
    handle = made;
  }
  // Stored even when empty: the name then answers "no dictionary" without
  // the database until the caches are emptied.
  Ref<DictionaryScannerImpl>& entry = profiles_[name];
  entry = handle;
  return entry;
}

}  // namespace Vessamund
