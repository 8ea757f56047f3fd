// Loading dictionaries and groups from the configuration database "fe_content"
// through the db_* client: the slow path behind the factory's caches, run
// with the cache lock held exclusively.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "factory/dictionary_factory_impl.h"
#include "factory/item_columns.h"
#include "factory/load_statements.h"
#include "vessamund/db_client.h"

namespace Vessamund {

namespace {

constexpr char const* kDatabase = "fe_content";

// Releases a result or a connection when an exception (std::bad_alloc)
// leaves the loader early; on the normal path the loader releases them
// itself, in its own order, and disarms the guard.
struct ResultGuard {
  void* result;
  ~ResultGuard() {
    if (result != nullptr) db_free_result(result);
  }
};
struct ConnectionGuard {
  void* connection;
  ~ConnectionGuard() {
    if (connection != nullptr) db_disconnect(connection);
  }
};

// A client that never gives null still gets a text for a missing value.
char const* value(void* connection, void* result, void* row, int column) {
  char const* text = db_result_get_value(connection, result, row, column);
  return text != nullptr ? text : "";
}

// strtol in base 10: blanks and a sign allowed, stops at the first
// non-digit, no digits gives 0. Callers keep the low bits of the field.
long number(char const* text) { return strtol(text, nullptr, 10); }

// Fills `record` from one row (columns in select-list order).
void readRow(void* connection, void* result, void* row, __vmund_dictionary_item& record) {
  char const* columns[internal::kItemColumns];
  for (int c = 0; c < internal::kItemColumns; ++c) columns[c] = value(connection, result, row, c);
  internal::recordFromColumns(columns, record);
}

}  // namespace

namespace internal {

void recordFromColumns(char const* const (&columns)[kItemColumns],
                       __vmund_dictionary_item& record) {
  strncpy(record.pattern, columns[0], sizeof record.pattern);
  record.pattern[sizeof record.pattern - 1] = '\0';
  record.pattern_type = static_cast<uint16_t>(number(columns[1]));
  record.pattern_weight = static_cast<uint16_t>(number(columns[2]));
  record.pattern_scan_area = static_cast<uint8_t>(number(columns[3]));
  record.pattern_max_weight = static_cast<uint16_t>(number(columns[4]));
  record.pattern_max_limit = static_cast<uint8_t>(number(columns[5]));
  record.pattern_status = static_cast<uint8_t>(number(columns[6]));
}

}  // namespace internal

Ref<DictionaryScannerImpl> DictionaryFactoryImpl::createProfileScanner(void* connection,
                                                                       std::string const& name) {
  std::unique_ptr<ProfileDictionaryScanner> scanner(new ProfileDictionaryScanner(name));

  char statement[internal::kStatementSize];
  internal::formatDictionaryStatement(statement, name);
  ResultGuard result{nullptr};
  if (db_query(connection, statement, &result.result) == 0 && result.result != nullptr) {
    __vmund_dictionary_item record;
    memset(&record, 0, sizeof record);
    int const rows = db_result_row_num(connection, result.result);
    for (int i = 0; i < rows; ++i) {
      void* row = db_result_fetch_row(result.result, static_cast<uint32_t>(i));
      readRow(connection, result.result, row, record);
      if (internal::rowMakesItem(record)) scanner->add_pattern(&record);
    }
    db_free_result(result.result);
    result.result = nullptr;
  } else {
    result.result = nullptr;  // a failed query leaves nothing to free
  }

  // Its items are fixed: the one-pass plan is built here, not by the first
  // scan.
  scanner->prepare();
  Ref<DictionaryScannerImpl> handle(scanner.get());
  scanner.release();
  Ref<DictionaryScannerImpl>& entry = profiles_[name];
  entry = handle;
  return entry;
}

Ref<DictionaryScannerImpl> DictionaryFactoryImpl::loadProfile(std::string const& name) {
  ConnectionGuard connection{db_connect_unix(kDatabase)};
  // Unreachable: nothing is cached, so the next request tries again.
  if (connection.connection == nullptr) return Ref<DictionaryScannerImpl>();
  Ref<DictionaryScannerImpl> handle = createProfileScanner(connection.connection, name);
  db_disconnect(connection.connection);
  connection.connection = nullptr;
  return handle;
}

Ref<DictionaryScannerImpl> DictionaryFactoryImpl::loadGroup(std::string const& name) {
  std::unique_ptr<GroupDictionaryScanner> group(new GroupDictionaryScanner);

  // Unreachable: the group is cached empty until the caches are emptied.
  ConnectionGuard connection{db_connect_unix(kDatabase)};
  if (connection.connection != nullptr) {
    char statement[internal::kStatementSize];
    internal::formatGroupStatement(statement, name);
    ResultGuard result{nullptr};
    if (db_query(connection.connection, statement, &result.result) == 0 &&
        result.result != nullptr) {
      int const rows = db_result_row_num(connection.connection, result.result);
      for (int i = 0; i < rows; ++i) {
        void* row = db_result_fetch_row(result.result, static_cast<uint32_t>(i));
        // Copied: the member's own query follows before the next row.
        std::string const member = value(connection.connection, result.result, row, 0);
        // Every member is loaded afresh and replaces its cache entry.
        Ref<DictionaryScannerImpl> scanner = createProfileScanner(connection.connection, member);
        if (!scanner.empty()) group->addScanner(scanner);
      }
      db_free_result(result.result);
    }
    result.result = nullptr;
    db_disconnect(connection.connection);
    connection.connection = nullptr;
  }

  Ref<DictionaryScannerImpl> handle(group.get());
  group.release();
  Ref<DictionaryScannerImpl>& entry = groups_[name];
  entry = handle;
  return entry;
}

}  // namespace Vessamund
