#include "provider/Sqlite.h"

#include <sqlite3.h>

namespace vek::provider {
namespace {

[[noreturn]] void Throw(int rc, const std::string& message) {
    if ((rc & 0xFF) == SQLITE_BUSY)
        throw SqliteBusy(message);
    throw SqliteError(message);
}

[[noreturn]] void Fail(sqlite3* db, const char* what, int rc) {
    Throw(rc, std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// SQLite counts every allocation under one process-wide mutex unless told not to; the servers'
// threads each use a connection of their own, and that mutex would make them wait for each
// other on every statement. Set before the first connection opens (later it is refused).
void ConfigureOnce() {
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
}

} // namespace

Statement::Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}

Statement::~Statement() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

Statement& Statement::Bind(int index, std::string_view text) {
    const int rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                                     SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        Fail(sqlite3_db_handle(stmt_), "bind", rc);
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
    if (const int rc = sqlite3_bind_int64(stmt_, index, value); rc != SQLITE_OK)
        Fail(sqlite3_db_handle(stmt_), "bind", rc);
    return *this;
}

Statement& Statement::BindNull(int index) {
    if (const int rc = sqlite3_bind_null(stmt_, index); rc != SQLITE_OK)
        Fail(sqlite3_db_handle(stmt_), "bind", rc);
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail(sqlite3_db_handle(stmt_), "step", rc);
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
    ConfigureOnce();
    const int rc =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw SqliteError("open " + path + ": " + message);
    }
    SetBusyTimeout(kBusyTimeout);
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

void Database::SetBusyTimeout(std::chrono::milliseconds timeout) {
    sqlite3_busy_timeout(db_, static_cast<int>(timeout.count()));
}

void Database::Exec(const char* sql) {
    char* error = nullptr;
    if (const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &error); rc != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        Throw(rc, message);
    }
}

Statement Database::Prepare(const char* sql) {
    auto found = statements_.find(std::string_view(sql));
    if (found == statements_.end()) {
        sqlite3_stmt* stmt = nullptr;
        const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        if (rc != SQLITE_OK)
            Fail(db_, "prepare", rc);
        found = statements_.emplace(sql, stmt).first;
    }
    return Statement(found->second);
}

std::int64_t Database::Changes() const { return sqlite3_changes64(db_); }

std::int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

WriteTransaction::WriteTransaction(Database& db) : db_(db) { db_.Prepare("BEGIN IMMEDIATE").Run(); }

WriteTransaction::~WriteTransaction() {
    if (!done_) {
        try {
            db_.Prepare("ROLLBACK").Run();
        } catch (const SqliteError&) {
            // The transaction is already gone (SQLite rolled it back itself).
        }
    }
}

void WriteTransaction::Commit() {
    db_.Prepare("COMMIT").Run();
    done_ = true;
}

} // namespace vek::provider
