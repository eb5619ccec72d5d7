#include "Sqlite.h"

#include <sqlite3.h>

namespace vek::provider {
namespace {

constexpr int kBusyTimeoutMs = 5000;

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    throw SqliteError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

} // namespace

Statement::Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}

Statement::~Statement() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

Statement& Statement::Bind(int index, std::string_view text) {
    if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        Fail(sqlite3_db_handle(stmt_), "bind");
    }
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) {
        Fail(sqlite3_db_handle(stmt_), "bind");
    }
    return *this;
}

Statement& Statement::BindNull(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) {
        Fail(sqlite3_db_handle(stmt_), "bind");
    }
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail(sqlite3_db_handle(stmt_), "step");
}

void Statement::Run() {
    while (Step()) {
    }
}

std::string Statement::Text(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    if (text == nullptr)
        return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

bool Statement::IsNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

Database::Database(const std::string& path) {
    const int rc =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw SqliteError("open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    Exec("PRAGMA journal_mode=WAL");
    // In WAL mode NORMAL loses no committed transaction when the process dies; only a crash of
    // the whole machine can lose the last commits before a checkpoint.
    Exec("PRAGMA synchronous=NORMAL");
    Exec("PRAGMA foreign_keys=ON");
}

Database::~Database() {
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    sqlite3_close(db_);
}

void Database::Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw SqliteError(message);
    }
}

Statement Database::Prepare(const char* sql) {
    auto found = statements_.find(std::string_view(sql));
    if (found == statements_.end()) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK) {
            Fail(db_, "prepare");
        }
        found = statements_.emplace(sql, stmt).first;
    }
    return Statement(found->second);
}

std::int64_t Database::Changes() const { return sqlite3_changes64(db_); }

std::int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

WriteTransaction::WriteTransaction(Database& db) : db_(db) { db_.Exec("BEGIN IMMEDIATE"); }

WriteTransaction::~WriteTransaction() {
    if (!done_) {
        try {
            db_.Exec("ROLLBACK");
        } catch (const SqliteError&) {
            // The transaction is already gone (SQLite rolled it back itself).
        }
    }
}

void WriteTransaction::Commit() {
    db_.Exec("COMMIT");
    done_ = true;
}

} // namespace vek::provider
