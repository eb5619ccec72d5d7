#pragma once
// A thin owner of an SQLite connection: parameterised statements only (each prepared once and
// kept), write transactions that always begin with BEGIN IMMEDIATE, and errors as exceptions.
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vek::provider {

// How long a statement waits, by default, for a lock another connection holds.
inline constexpr std::chrono::milliseconds kBusyTimeout{5000};

class SqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The store stayed locked by another connection beyond the busy time-out: the statement did not
// run.
class SqliteBusy : public SqliteError {
public:
    using SqliteError::SqliteError;
};

class Statement {
public:
    explicit Statement(sqlite3_stmt* stmt);
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement(); // resets the prepared statement so the connection can reuse it

    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, std::int64_t value);
    Statement& BindNull(int index);
    // True while a row is available; false when the statement is done.
    bool Step();
    void Run(); // steps to completion, expecting no row
    std::string Text(int column) const;
    std::int64_t Int(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3_stmt* stmt_;
};

class Database {
public:
    // Opens (or creates) the file, sets the busy timeout first, then WAL mode.
    explicit Database(const std::string& path);
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    // How long a statement waits for a lock another connection holds before it fails busy.
    void SetBusyTimeout(std::chrono::milliseconds timeout);
    void Exec(const char* sql); // statements without parameters (schema, pragmas)
    // The statement for this SQL text, prepared on first use; the same text is the same key.
    Statement Prepare(const char* sql);
    std::int64_t Changes() const;
    std::int64_t LastInsertId() const;

private:
    sqlite3* db_ = nullptr;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
};

// BEGIN IMMEDIATE on construction; ROLLBACK unless Commit() was called.
class WriteTransaction {
public:
    explicit WriteTransaction(Database& db);
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    ~WriteTransaction();
    void Commit();

private:
    Database& db_;
    bool done_ = false;
};

} // namespace vek::provider
