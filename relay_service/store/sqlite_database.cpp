#include "relay_service/store/sqlite_database.h"

#include <sqlite3.h>

#include <fmt/format.h>

namespace vesket::relay_service {
namespace {

[[noreturn]] void fail(sqlite3* db, int code, const std::string& what) {
  throw SqliteError(fmt::format("{}: {}", what, db ? sqlite3_errmsg(db) : sqlite3_errstr(code)), code);
}

}  // namespace

bool SqliteError::isConstraintViolation() const { return (m_code & 0xFF) == SQLITE_CONSTRAINT; }

SqliteStatement::~SqliteStatement() { sqlite3_finalize(m_statement); }

void SqliteStatement::check(int result, const char* what) {
  if (result != SQLITE_OK) fail(m_db, result, what);
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value) {
  check(sqlite3_bind_int64(m_statement, index, value), "bind");
  return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view value) {
  check(sqlite3_bind_text64(m_statement, index, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8), "bind");
  return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const std::optional<std::string>& value) {
  return value ? bind(index, std::string_view(*value)) : bindNull(index);
}

SqliteStatement& SqliteStatement::bind(int index, const std::optional<std::int64_t>& value) {
  return value ? bind(index, *value) : bindNull(index);
}

SqliteStatement& SqliteStatement::bindBlob(int index, std::string_view bytes) {
  check(sqlite3_bind_blob64(m_statement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT), "bind");
  return *this;
}

std::string SqliteStatement::blob(int column) const {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
  if (bytes == nullptr) return {};
  return std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
}

SqliteStatement& SqliteStatement::bindNull(int index) {
  check(sqlite3_bind_null(m_statement, index), "bind");
  return *this;
}

bool SqliteStatement::step() {
  const int result = sqlite3_step(m_statement);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  const int code = sqlite3_extended_errcode(m_db);
  const std::string message = sqlite3_errmsg(m_db);
  sqlite3_reset(m_statement);
  throw SqliteError(message, code);
}

void SqliteStatement::run() {
  while (step()) {
  }
}

void SqliteStatement::reset() {
  sqlite3_reset(m_statement);
  sqlite3_clear_bindings(m_statement);
}

std::int64_t SqliteStatement::integer(int column) const { return sqlite3_column_int64(m_statement, column); }

std::optional<std::int64_t> SqliteStatement::optionalInteger(int column) const {
  if (sqlite3_column_type(m_statement, column) == SQLITE_NULL) return std::nullopt;
  return integer(column);
}

std::string SqliteStatement::text(int column) const {
  const auto* bytes = sqlite3_column_text(m_statement, column);
  if (bytes == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
}

std::optional<std::string> SqliteStatement::optionalText(int column) const {
  if (sqlite3_column_type(m_statement, column) == SQLITE_NULL) return std::nullopt;
  return text(column);
}

SqliteDatabase::SqliteDatabase(const std::string& path) {
  const int result = sqlite3_open_v2(path.c_str(), &m_db,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (result != SQLITE_OK) {
    const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(result);
    sqlite3_close(m_db);
    m_db = nullptr;
    throw SqliteError(fmt::format("cannot open the database {}: {}", path, message), result);
  }
  sqlite3_busy_timeout(m_db, 5000);
  exec("PRAGMA journal_mode = WAL");
  exec("PRAGMA synchronous = NORMAL");
  exec("PRAGMA foreign_keys = ON");
}

SqliteDatabase::~SqliteDatabase() {
  m_statements.clear();
  sqlite3_close(m_db);
}

void SqliteDatabase::exec(const char* sql) {
  char* error = nullptr;
  const int result = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
  if (result != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errstr(result);
    sqlite3_free(error);
    throw SqliteError(message, result);
  }
}

StatementLease SqliteDatabase::statement(const char* sql) {
  auto it = m_statements.find(std::string_view(sql));
  if (it == m_statements.end()) {
    sqlite3_stmt* prepared = nullptr;
    const int result = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
    if (result != SQLITE_OK) fail(m_db, result, fmt::format("cannot prepare \"{}\"", sql));
    it = m_statements.emplace(sql, std::make_unique<SqliteStatement>(m_db, prepared)).first;
  }
  return StatementLease(*it->second);
}

std::int64_t SqliteDatabase::lastInsertRowId() const { return sqlite3_last_insert_rowid(m_db); }

int SqliteDatabase::changes() const { return sqlite3_changes(m_db); }

void SqliteDatabase::transaction(const std::function<void()>& work) {
  exec("BEGIN IMMEDIATE");
  try {
    work();
  } catch (...) {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  exec("COMMIT");
}

int SqliteDatabase::userVersion() {
  const StatementLease query = statement("PRAGMA user_version");
  query->step();
  return static_cast<int>(query->integer(0));
}

void SqliteDatabase::migrate(std::span<const Migration> migrations) {
  const int current = userVersion();
  const int newest = migrations.empty() ? 0 : migrations.back().version;
  if (current > newest) {
    throw SchemaTooNew(fmt::format(
        "the database has schema version {}, newer than this relay knows ({}); run a newer vesket-relay", current,
        newest));
  }
  for (const Migration& migration : migrations) {
    if (migration.version <= current) continue;
    transaction([&] {
      exec(migration.sql);
      // PRAGMA takes no bound parameters; the version is our own constant.
      exec(fmt::format("PRAGMA user_version = {}", migration.version).c_str());
    });
  }
}

void SqliteDatabase::checkpoint() { sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr); }

}  // namespace vesket::relay_service
