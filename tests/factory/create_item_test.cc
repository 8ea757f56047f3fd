// Item creation: the pattern-type dispatch and weight-0 records.
#include <gtest/gtest.h>

#include <typeindex>
#include <typeinfo>

#include "items/kinds/pattern_kind.h"
#include "support/test_area.h"
#include "vessamund/contain_item.h"
#include "vessamund/factory.h"
#include "vessamund/predefined_items.h"
#include "vessamund/regex_item.h"
#include "vessamund/wildcard_item.h"

namespace {

using Vessamund::DictionaryFactory;
using vmund_test::makeRecord;

// Codes without a row of their own make wildcard items; the others make
// their row's class, which the detectors show by their code and fixed name.
TEST(CreateItemTest, PatternTypeSelectsTheClass) {
  using namespace Vessamund;
  struct Row {
    uint16_t type;
    std::type_index expected;
  } const rows[] = {
      {1, typeid(DictionaryRegex)},      {3, typeid(DictionaryContain)},
      {258, typeid(DictionaryCC)},       {273, typeid(DictionaryUKPSPT)},
      // No code is refused: everything else is a wildcard pattern.
      {0, typeid(DictionaryWildcard)},   {2, typeid(DictionaryWildcard)},
      {4, typeid(DictionaryWildcard)},   {255, typeid(DictionaryWildcard)},
      {274, typeid(DictionaryWildcard)}, {65535, typeid(DictionaryWildcard)},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.type);
    auto record = makeRecord(r.type, "abc", 1);
    Ref<DictionaryItemImpl> item = DictionaryFactory::instance()->createScanner(&record);
    ASSERT_NE(item.get(), nullptr);
    DictionaryItemImpl const& made = *item.get();
    EXPECT_EQ(std::type_index(typeid(made)), r.expected);
    EXPECT_EQ(item->refCount(), 1);  // the handle holds the only reference
  }
  std::size_t count = 0;
  internal::PatternKind const* kinds = internal::patternKinds(&count);
  int detectors = 0;
  for (std::size_t i = 0; i < count; ++i) {
    internal::PatternKind const& kind = kinds[i];
    SCOPED_TRACE(kind.name);
    EXPECT_EQ(internal::findPatternKind(kind.code), &kind);
    if (kind.label == nullptr) continue;
    ++detectors;
    auto record = makeRecord(kind.code, "abc", 1);
    Ref<DictionaryItemImpl> item = DictionaryFactory::instance()->createScanner(&record);
    // Each detector class names itself by its own code's row: a maker in the
    // wrong row shows another detector's name.
    EXPECT_EQ(item->pattern, kind.label);
  }
  EXPECT_EQ(detectors, 18);
}

// Weight 0 makes an item that never scores. A part of kind 8 (the HTML twin
// of a text body) right after a run in which the item counted: expressions
// and identifiers skip it, words and wildcards read it.
TEST(CreateItemTest, WeightZeroNeverScoresAndOnlySomeKindsSkipTheTwinOfAHit) {
  std::string const text = "card 4111 1111 1111 1111";
  vmund_test::TestArea area{{text, 1}, {text, 8}};
  vmund_test::RecordingLogger logger;
  struct Row {
    uint16_t type;
    char const* pattern;
    unsigned long score;
  } const rows[] = {{3, "card", 2}, {0, "ca*", 2}, {7, "c?rd", 2}, {1, "card", 1}, {258, "", 1}};
  for (Row const& r : rows) {
    SCOPED_TRACE(r.type);
    auto record = makeRecord(r.type, r.pattern, 0, 9);
    EXPECT_EQ(DictionaryFactory::instance()->createScanner(&record)->scan(&area, 100, logger), 0u);
    record.pattern_weight = 1;
    EXPECT_EQ(DictionaryFactory::instance()->createScanner(&record)->scan(&area, 100, logger),
              r.score);
  }
}

}  // namespace
