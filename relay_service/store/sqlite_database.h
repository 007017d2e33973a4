#pragma once

// A thin RAII layer over the SQLite C API: one connection, prepared statements cached by
// their SQL text (never built from values: every value is bound), transactions, and the
// numbered schema migrations. Not thread-safe; the store that owns it serialises access.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vesket::relay_service {

class SqliteError : public std::runtime_error {
 public:
  SqliteError(const std::string& message, int code) : std::runtime_error(message), m_code(code) {}
  int code() const { return m_code; }
  bool isConstraintViolation() const;

 private:
  int m_code;
};

// The database was written by a newer relay: refuse to touch it.
class SchemaTooNew : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, sqlite3_stmt* statement) : m_db(db), m_statement(statement) {}
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters are numbered from 1, as in the SQL ("?1").
  SqliteStatement& bind(int index, std::int64_t value);
  SqliteStatement& bind(int index, std::string_view value);
  SqliteStatement& bind(int index, const std::string& value) { return bind(index, std::string_view(value)); }
  SqliteStatement& bind(int index, const std::optional<std::string>& value);
  SqliteStatement& bind(int index, const std::optional<std::int64_t>& value);
  SqliteStatement& bindNull(int index);
  // Bytes kept as they are (file contents).
  SqliteStatement& bindBlob(int index, std::string_view bytes);

  // True while there is a row; false when the statement is done.
  bool step();
  // Steps to the end (for statements that return no rows).
  void run();
  // Clears bindings and rewinds, ready for the next use.
  void reset();

  std::int64_t integer(int column) const;
  std::optional<std::int64_t> optionalInteger(int column) const;
  std::string text(int column) const;
  std::optional<std::string> optionalText(int column) const;
  std::string blob(int column) const;

 private:
  void check(int result, const char* what);

  sqlite3* m_db;
  sqlite3_stmt* m_statement;
};

// A cached statement handed out for one use; rewound when the lease ends, so no read
// stays open between uses.
class StatementLease {
 public:
  explicit StatementLease(SqliteStatement& statement) : m_statement(statement) {}
  ~StatementLease() { m_statement.reset(); }
  StatementLease(const StatementLease&) = delete;
  StatementLease& operator=(const StatementLease&) = delete;
  SqliteStatement* operator->() const { return &m_statement; }
  SqliteStatement& operator*() const { return m_statement; }

 private:
  SqliteStatement& m_statement;
};

struct Migration {
  int version;
  const char* sql;
};

class SqliteDatabase {
 public:
  // Opens (creating) the file in WAL mode with foreign keys on and a busy timeout, so a
  // second process (an operator's command) can write while the relay runs.
  explicit SqliteDatabase(const std::string& path);
  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  void exec(const char* sql);
  // A statement prepared once and reused.
  StatementLease statement(const char* sql);
  std::int64_t lastInsertRowId() const;
  int changes() const;

  // Runs `work` in one IMMEDIATE transaction: committed when it returns, rolled back when
  // it throws.
  void transaction(const std::function<void()>& work);

  int userVersion();
  // Applies the migrations above the database's version, each in its own transaction.
  // Throws SchemaTooNew when the database is newer than the last migration.
  void migrate(std::span<const Migration> migrations);

  // Moves the write-ahead log into the database file (on a graceful stop).
  void checkpoint();

 private:
  sqlite3* m_db = nullptr;
  std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> m_statements;
};

}  // namespace vesket::relay_service
