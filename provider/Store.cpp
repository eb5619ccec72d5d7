#include "provider/Store.h"

#include "provider/Crypto.h"
#include "provider/Names.h"

namespace vek::provider {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
    id INTEGER PRIMARY KEY,
    email TEXT NOT NULL UNIQUE COLLATE NOCASE,
    password_hash TEXT NOT NULL,
    banned INTEGER NOT NULL DEFAULT 0,
    remote_interval INTEGER NOT NULL DEFAULT 600000,
    enhanced INTEGER NOT NULL DEFAULT 0,
    error TEXT
);
CREATE TABLE IF NOT EXISTS hosts (
    id INTEGER PRIMARY KEY,
    account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
    name TEXT NOT NULL UNIQUE COLLATE NOCASE,
    address TEXT NOT NULL DEFAULT '',
    changed_at INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS host_groups (
    id INTEGER PRIMARY KEY,
    account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    UNIQUE (account_id, name)
);
CREATE TABLE IF NOT EXISTS group_members (
    group_id INTEGER NOT NULL REFERENCES host_groups(id) ON DELETE CASCADE,
    host_id INTEGER NOT NULL REFERENCES hosts(id) ON DELETE CASCADE,
    PRIMARY KEY (group_id, host_id)
);
CREATE TABLE IF NOT EXISTS clients (
    id TEXT PRIMARY KEY,
    key TEXT NOT NULL,
    account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
    enabled INTEGER NOT NULL DEFAULT 1
);
CREATE TABLE IF NOT EXISTS messages (
    kind INTEGER NOT NULL,
    id INTEGER NOT NULL,
    title TEXT NOT NULL,
    body TEXT NOT NULL,
    link TEXT NOT NULL,
    PRIMARY KEY (kind, id)
);
CREATE TABLE IF NOT EXISTS barred_versions (version TEXT PRIMARY KEY);
CREATE TABLE IF NOT EXISTS settings (name TEXT PRIMARY KEY, value TEXT NOT NULL);
)sql";

constexpr std::size_t kClientIdBytes = 10;  // 20 hex digits
constexpr std::size_t kClientKeyBytes = 16; // 32 hex digits
constexpr std::int64_t kHighestMessageId = 214748364;

} // namespace

Store::Store(const std::string& path, int passwordIterations)
    : passwordIterations_(passwordIterations),
      unknownAccountHash_(UnmatchableHash(passwordIterations)), db_(path) {
    WriteTransaction transaction(db_);
    db_.Exec(kSchema);
    transaction.Commit();
}

void Store::SetBusyTimeout(std::chrono::milliseconds timeout) {
    std::lock_guard lock(mutex_);
    db_.SetBusyTimeout(timeout);
}

std::int64_t Store::AccountId(const std::string& email) {
    auto query = db_.Prepare("SELECT id FROM accounts WHERE email = ?");
    query.Bind(1, email);
    if (!query.Step())
        throw StoreRefusal("no account " + email);
    return query.Int(0);
}

std::optional<std::int64_t> Store::HostId(std::int64_t accountId, const std::string& host) {
    auto query = db_.Prepare("SELECT id FROM hosts WHERE account_id = ? AND name = ?");
    query.Bind(1, accountId).Bind(2, host);
    if (!query.Step())
        return std::nullopt;
    return query.Int(0);
}

void Store::RequireChange(const char* what) {
    if (db_.Changes() == 0)
        throw StoreRefusal(what);
}

std::int64_t Store::AddAccount(const std::string& email, const std::string& password,
                               const std::vector<std::string>& hosts,
                               const std::vector<GroupMembers>& groups) {
    if (!IsValidEmail(email))
        throw StoreRefusal("invalid e-mail address");
    if (!IsValidPassword(password))
        throw StoreRefusal("invalid password");
    for (const auto& host : hosts) {
        if (!IsValidHostName(host))
            throw StoreRefusal("invalid host name " + host);
    }
    for (const auto& group : groups) {
        if (!IsValidGroupName(group.name))
            throw StoreRefusal("invalid group name " + group.name);
    }
    const std::string hash = HashPassword(password, passwordIterations_);
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    auto insert = db_.Prepare(
        "INSERT INTO accounts (email, password_hash) VALUES (?, ?) ON CONFLICT DO NOTHING");
    insert.Bind(1, email).Bind(2, hash).Run();
    RequireChange("the account exists already");
    const std::int64_t id = db_.LastInsertId();
    for (const auto& host : hosts)
        InsertHost(id, host);
    for (const auto& group : groups)
        InsertGroup(id, group.name, group.hosts);
    transaction.Commit();
    return id;
}

void Store::InsertHost(std::int64_t accountId, const std::string& host) {
    db_.Prepare("INSERT INTO hosts (account_id, name) VALUES (?, ?) ON CONFLICT DO NOTHING")
        .Bind(1, accountId)
        .Bind(2, host)
        .Run();
    RequireChange("the host exists already");
}

void Store::InsertGroup(std::int64_t accountId, const std::string& group,
                        const std::vector<std::string>& hosts) {
    db_.Prepare("INSERT INTO host_groups (account_id, name) VALUES (?, ?) ON CONFLICT DO NOTHING")
        .Bind(1, accountId)
        .Bind(2, group)
        .Run();
    std::int64_t groupId = 0;
    {
        auto query = db_.Prepare("SELECT id FROM host_groups WHERE account_id = ? AND name = ?");
        query.Bind(1, accountId).Bind(2, group);
        query.Step();
        groupId = query.Int(0);
    }
    for (const auto& host : hosts) {
        const auto hostId = HostId(accountId, host);
        if (!hostId)
            throw StoreRefusal("the account has no host " + host);
        db_.Prepare("INSERT OR IGNORE INTO group_members (group_id, host_id) VALUES (?, ?)")
            .Bind(1, groupId)
            .Bind(2, *hostId)
            .Run();
    }
}

void Store::AddHost(const std::string& email, const std::string& host) {
    if (!IsValidHostName(host))
        throw StoreRefusal("invalid host name " + host);
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    InsertHost(AccountId(email), host);
    transaction.Commit();
}

void Store::AddGroup(const std::string& email, const std::string& group,
                     const std::vector<std::string>& hosts) {
    if (!IsValidGroupName(group))
        throw StoreRefusal("invalid group name " + group);
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    InsertGroup(AccountId(email), group, hosts);
    transaction.Commit();
}

ClientCredentials Store::InsertClient(std::int64_t accountId) {
    ClientCredentials credentials{RandomHex(kClientIdBytes), RandomHex(kClientKeyBytes)};
    db_.Prepare("INSERT INTO clients (id, key, account_id) VALUES (?, ?, ?)")
        .Bind(1, credentials.id)
        .Bind(2, credentials.key)
        .Bind(3, accountId)
        .Run();
    return credentials;
}

ClientCredentials Store::IssueClient(const std::string& email) {
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    auto credentials = InsertClient(AccountId(email));
    transaction.Commit();
    return credentials;
}

ClientCredentials Store::IssueClient(std::int64_t accountId) {
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    auto credentials = InsertClient(accountId);
    transaction.Commit();
    return credentials;
}

template <class Value>
void Store::UpdateOne(const char* sql, const Value& value, const std::string& key,
                      const char* missing) {
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    db_.Prepare(sql).Bind(1, value).Bind(2, key).Run();
    RequireChange(missing);
    transaction.Commit();
}

void Store::SetBanned(const std::string& email, bool banned) {
    UpdateOne("UPDATE accounts SET banned = ? WHERE email = ?", banned ? 1 : 0, email,
              "no such account");
}

void Store::SetClientEnabled(const std::string& clientId, bool enabled) {
    UpdateOne("UPDATE clients SET enabled = ? WHERE id = ?", enabled ? 1 : 0, clientId,
              "no such client id");
}

void Store::SetRemoteInterval(const std::string& email, std::int64_t milliseconds) {
    if (milliseconds < 1 || milliseconds > 0x7FFFFFFF)
        throw StoreRefusal("invalid interval");
    UpdateOne("UPDATE accounts SET remote_interval = ? WHERE email = ?", milliseconds, email,
              "no such account");
}

void Store::SetEnhanced(const std::string& email, bool enhanced) {
    UpdateOne("UPDATE accounts SET enhanced = ? WHERE email = ?", enhanced ? 1 : 0, email,
              "no such account");
}

void Store::SetError(const std::string& email, const std::optional<std::string>& error) {
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    auto update = db_.Prepare("UPDATE accounts SET error = ? WHERE email = ?");
    if (error) {
        update.Bind(1, *error);
    } else {
        update.BindNull(1);
    }
    update.Bind(2, email).Run();
    RequireChange("no such account");
    transaction.Commit();
}

void Store::SetVersionBarred(const std::string& version, bool barred) {
    if (version.empty() || version.size() > 64)
        throw StoreRefusal("invalid version");
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    if (barred) {
        db_.Prepare("INSERT OR IGNORE INTO barred_versions (version) VALUES (?)")
            .Bind(1, version)
            .Run();
    } else {
        db_.Prepare("DELETE FROM barred_versions WHERE version = ?").Bind(1, version).Run();
    }
    transaction.Commit();
}

std::int64_t Store::PostMessage(MessageKind kind, const std::string& title, const std::string& body,
                                const std::string& link) {
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    std::int64_t id = 1;
    {
        auto query = db_.Prepare("SELECT COALESCE(MAX(id), 0) + 1 FROM messages WHERE kind = ?");
        query.Bind(1, static_cast<std::int64_t>(kind));
        query.Step();
        id = query.Int(0);
    }
    if (id > kHighestMessageId)
        throw StoreRefusal("no message id left");
    db_.Prepare("INSERT INTO messages (kind, id, title, body, link) VALUES (?, ?, ?, ?, ?)")
        .Bind(1, static_cast<std::int64_t>(kind))
        .Bind(2, id)
        .Bind(3, title)
        .Bind(4, body)
        .Bind(5, link)
        .Run();
    transaction.Commit();
    return id;
}

void Store::SetEchoAddress(const std::optional<std::string>& address) {
    if (address && !IsValidIPv4(*address))
        throw StoreRefusal("invalid IPv4 address");
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    if (address) {
        db_.Prepare("INSERT OR REPLACE INTO settings (name, value) VALUES ('echo_address', ?)")
            .Bind(1, *address)
            .Run();
    } else {
        db_.Prepare("DELETE FROM settings WHERE name = 'echo_address'").Run();
    }
    transaction.Commit();
}

std::vector<HostStatus> Store::ListHosts(const std::optional<std::string>& email) {
    std::lock_guard lock(mutex_);
    auto query =
        db_.Prepare("SELECT h.name, a.email, h.address, h.changed_at FROM hosts h "
                    "JOIN accounts a ON a.id = h.account_id WHERE ?1 IS NULL OR a.email = ?1 "
                    "ORDER BY a.email, h.name");
    if (email) {
        query.Bind(1, *email);
    } else {
        query.BindNull(1);
    }
    std::vector<HostStatus> hosts;
    while (query.Step()) {
        hosts.push_back({query.Text(0), query.Text(1), query.Text(2), query.Int(3)});
    }
    return hosts;
}

std::optional<AccountLogin> Store::Authenticate(const std::string& email,
                                                const std::string& password) {
    std::optional<AccountLogin> login;
    std::string hash = unknownAccountHash_;
    {
        std::lock_guard lock(mutex_);
        auto query = db_.Prepare("SELECT id, banned, password_hash FROM accounts WHERE email = ?");
        query.Bind(1, email);
        if (query.Step()) {
            login = AccountLogin{query.Int(0), query.Int(1) != 0};
            hash = query.Text(2);
        }
    }
    // The slow hash runs outside the lock so it does not hold up other requests.
    if (!VerifyPassword(password, hash) || !login)
        return std::nullopt;
    if (HashIterations(hash) < passwordIterations_)
        Rehash(login->id, password, hash);
    return login;
}

void Store::Rehash(std::int64_t accountId, const std::string& password,
                   const std::string& oldHash) {
    const std::string hash = HashPassword(password, passwordIterations_);
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    db_.Prepare("UPDATE accounts SET password_hash = ? WHERE id = ? AND password_hash = ?")
        .Bind(1, hash)
        .Bind(2, accountId)
        .Bind(3, oldHash)
        .Run();
    transaction.Commit();
}

std::optional<ClientRecord> Store::FindClient(const std::string& clientId,
                                              const std::string& version) {
    std::lock_guard lock(mutex_);
    auto query =
        db_.Prepare("SELECT c.key, c.account_id, c.enabled, a.banned, "
                    "EXISTS (SELECT 1 FROM barred_versions WHERE version = ?2) FROM clients c "
                    "JOIN accounts a ON a.id = c.account_id WHERE c.id = ?1");
    query.Bind(1, clientId).Bind(2, version);
    if (!query.Step())
        return std::nullopt;
    return ClientRecord{query.Text(0), query.Int(1), query.Int(2) != 0, query.Int(3) != 0,
                        query.Int(4) != 0};
}

bool Store::RemoveClient(const std::string& clientId) {
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    db_.Prepare("DELETE FROM clients WHERE id = ?").Bind(1, clientId).Run();
    const bool removed = db_.Changes() > 0;
    transaction.Commit();
    return removed;
}

AccountValues Store::Account(std::int64_t accountId) {
    std::lock_guard lock(mutex_);
    auto query =
        db_.Prepare("SELECT email, remote_interval, enhanced, error FROM accounts WHERE id = ?");
    query.Bind(1, accountId);
    if (!query.Step())
        throw StoreRefusal("no such account");
    AccountValues values{query.Text(0), query.Int(1), query.Int(2) != 0, std::nullopt};
    if (!query.IsNull(3))
        values.error = query.Text(3);
    return values;
}

std::vector<Message> Store::MessagesAfter(MessageKind kind, std::int64_t lastId) {
    std::lock_guard lock(mutex_);
    auto query = db_.Prepare(
        "SELECT id, title, body, link FROM messages WHERE kind = ? AND id > ? ORDER BY id");
    query.Bind(1, static_cast<std::int64_t>(kind)).Bind(2, lastId);
    std::vector<Message> messages;
    while (query.Step()) {
        messages.push_back({query.Int(0), query.Text(1), query.Text(2), query.Text(3)});
    }
    return messages;
}

std::vector<GroupedHost> Store::HostList(std::int64_t accountId) {
    std::lock_guard lock(mutex_);
    auto query =
        db_.Prepare("SELECT g.name, h.name FROM host_groups g "
                    "JOIN group_members m ON m.group_id = g.id JOIN hosts h ON h.id = m.host_id "
                    "WHERE g.account_id = ?1 "
                    "UNION ALL "
                    "SELECT '', h.name FROM hosts h WHERE h.account_id = ?1 "
                    "AND NOT EXISTS (SELECT 1 FROM group_members m WHERE m.host_id = h.id) "
                    "ORDER BY 1, 2");
    query.Bind(1, accountId);
    std::vector<GroupedHost> hosts;
    while (query.Step())
        hosts.push_back({query.Text(0), query.Text(1)});
    return hosts;
}

std::optional<std::string> Store::EchoAddress() {
    std::lock_guard lock(mutex_);
    auto query = db_.Prepare("SELECT value FROM settings WHERE name = 'echo_address'");
    if (!query.Step())
        return std::nullopt;
    return query.Text(0);
}

ReplyCode Store::UpdateHost(std::int64_t accountId, const std::string& name,
                            const std::string& address, std::int64_t now) {
    auto query = db_.Prepare("SELECT id, account_id, address FROM hosts WHERE name = ?");
    query.Bind(1, name);
    if (!query.Step())
        return ReplyCode::HostNotFound;
    if (query.Int(1) != accountId)
        return ReplyCode::HostNotInAccount;
    if (query.Text(2) == address)
        return ReplyCode::HostUnchanged;
    db_.Prepare("UPDATE hosts SET address = ?, changed_at = ? WHERE id = ?")
        .Bind(1, address)
        .Bind(2, now)
        .Bind(3, query.Int(0))
        .Run();
    return ReplyCode::HostUpdated;
}

ReplyCode Store::UpdateGroup(std::int64_t accountId, const std::string& name,
                             const std::string& address, std::int64_t now) {
    auto query = db_.Prepare("SELECT id FROM host_groups WHERE account_id = ? AND name = ?");
    query.Bind(1, accountId).Bind(2, name);
    if (!query.Step())
        return ReplyCode::GroupNotFound;
    db_.Prepare("UPDATE hosts SET address = ?1, changed_at = ?2 WHERE address <> ?1 AND id IN "
                "(SELECT host_id FROM group_members WHERE group_id = ?3)")
        .Bind(1, address)
        .Bind(2, now)
        .Bind(3, query.Int(0))
        .Run();
    return db_.Changes() > 0 ? ReplyCode::GroupUpdated : ReplyCode::GroupUnchanged;
}

std::vector<ReplyCode> Store::ApplyItems(const PendingUpdate& update) {
    std::vector<ReplyCode> codes;
    codes.reserve(update.items.size());
    for (const auto& item : update.items) {
        if (item.isGroup) {
            codes.push_back(IsValidGroupName(item.name) ? UpdateGroup(update.accountId, item.name,
                                                                      update.address, update.now)
                                                        : ReplyCode::GroupNotFound);
        } else {
            codes.push_back(IsValidHostName(item.name) ? UpdateHost(update.accountId, item.name,
                                                                    update.address, update.now)
                                                       : ReplyCode::HostNotFound);
        }
    }
    return codes;
}

std::vector<ReplyCode> Store::ApplyUpdate(const PendingUpdate& update) {
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    auto codes = ApplyItems(update);
    transaction.Commit();
    return codes;
}

std::vector<UpdateOutcome> Store::ApplyUpdates(const std::vector<PendingUpdate>& updates) {
    std::lock_guard lock(mutex_);
    WriteTransaction transaction(db_);
    std::vector<UpdateOutcome> outcomes;
    outcomes.reserve(updates.size());
    for (const auto& update : updates) {
        db_.Prepare("SAVEPOINT one_update").Run();
        try {
            outcomes.emplace_back(ApplyItems(update));
        } catch (const SqliteError&) {
            // A failing ROLLBACK TO throws on: the transaction is lost, and with it every update.
            db_.Prepare("ROLLBACK TO one_update").Run();
            outcomes.emplace_back(std::nullopt);
        }
        db_.Prepare("RELEASE one_update").Run();
    }
    transaction.Commit();
    return outcomes;
}

} // namespace vek::provider
