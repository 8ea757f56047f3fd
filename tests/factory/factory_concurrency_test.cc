// Many threads asking the factory for scanners and scanning with them while
// another empties the caches and reloads a template: every request gets a
// working scanner with the right answer. Meant to run under ThreadSanitizer
// as well.
#include "support/backend_test_db.h"
#ifdef VMUND_TEST_DB

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_area.h"
#include "vessamund/factory.h"

namespace {

using Vessamund::DictionaryFactory;
using Vessamund::DictionaryScannerImpl;
using Vessamund::Ref;

TEST(FactoryConcurrencyTest, RequestsAndScansSurviveConcurrentClean) {
  vmund_test::TestDb dbs;
  // Dk finds its word with weight k; groups report their best member.
  char const* const words[] = {"alpha", "beta", "gamma", "delta"};
  for (int k = 1; k <= 4; ++k) dbs.addItem("D" + std::to_string(k), 1, words[k - 1], k);
  dbs.exec("fe_content",
           "insert into fe_dict_group_dictionaries values ('G1', 1, 'D1'), ('G1', 2, 'D3'), "
           "('G2', 1, 'D2'), ('G2', 2, 'D4'), ('G2', 3, 'D1');");
  // The template loaded under D1's name scores as D1 does.
  std::string const templatePath = dbs.dir() + "/d1-template";
  std::ofstream(templatePath) << "1/100=alpha\n";
  std::vector<std::string> const savedPaths = Vessamund::predefined_dictionary_file_paths;
  Vessamund::predefined_dictionary_file_paths[9] = templatePath;  // 521

  DictionaryFactory* factory = DictionaryFactory::instance();
  factory->clean();
  struct Request {
    char const* name;
    bool group;
    unsigned long score;
  } const requests[] = {{"D1", false, 1}, {"D2", false, 2}, {"D3", false, 3},
                        {"D4", false, 4}, {"G1", true, 3},  {"G2", true, 4}};
  size_t const kinds = sizeof requests / sizeof requests[0];

  std::atomic<int> failures{0};
  std::atomic<int> requests_done{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; !stop.load(); ++i) {
        Request const& r = requests[(t + i) % kinds];
        Ref<DictionaryScannerImpl> h =
            r.group ? factory->createGroupScanner(r.name) : factory->createProfileScanner(r.name);
        ++requests_done;
        if (h.empty()) {
          ++failures;
          continue;
        }
        vmund_test::TestArea area{{"alpha beta gamma delta", 1}};
        std::string matchLog, scoreList;
        if (h->scan(&area, 100, nullptr, matchLog, scoreList) != r.score) ++failures;
      }
    });
  }
  // Empty the caches, or replace D1 by its template, between requests.
  for (int round = 0; round < 60; ++round) {
    int const seen = requests_done.load();
    while (requests_done.load() < seen + 4) std::this_thread::yield();
    if (round % 2 == 0)
      factory->clean();
    else
      factory->createDictScanner(521, "D1");
  }
  stop = true;
  for (auto& t : threads) t.join();

  factory->clean();
  Vessamund::predefined_dictionary_file_paths = savedPaths;
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace

#endif  // VMUND_TEST_DB
