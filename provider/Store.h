#pragma once
// The provider's account store in SQLite: accounts, hosts, groups, clients, notices and alerts,
// barred client versions and the operator's echo address. One connection per Store, used under
// a mutex, so a Store may be shared by every server thread; other processes (the operator's
// commands) open their own Store on the same file, and WAL with BEGIN IMMEDIATE keeps both safe.
#include "provider/Crypto.h"
#include "provider/ReplyCode.h"
#include "provider/Sqlite.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vek::provider {

// An operator's request the store refuses (unknown account, duplicate name, invalid input).
class StoreRefusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ClientCredentials {
    std::string id;
    std::string key;
};

struct ClientRecord {
    std::string key;
    std::int64_t accountId = 0;
    bool enabled = true;
    bool accountBanned = false;
    bool versionBarred = false; // the client version asked about is barred
};

struct AccountLogin {
    std::int64_t id = 0;
    bool banned = false;
};

struct AccountValues {
    std::string email;
    std::int64_t remoteInterval = 0;
    bool enhanced = false;
    std::optional<std::string> error;
};

struct GroupedHost {
    std::string group; // empty for a host in no group
    std::string host;
};

enum class MessageKind { Notice = 1, Alert = 2 };

struct Message {
    std::int64_t id = 0;
    std::string title;
    std::string body;
    std::string link;
};

struct HostStatus {
    std::string name;
    std::string email;
    std::string address;
    std::int64_t changedAt = 0; // seconds since 1970, 0 when never updated
};

// A group of an account and its hosts, by name.
struct GroupMembers {
    std::string name;
    std::vector<std::string> hosts;
};

struct UpdateItem {
    bool isGroup = false;
    std::string name;
};

// One checked update request: its items, for the account, to the address.
struct PendingUpdate {
    std::int64_t accountId = 0;
    std::vector<UpdateItem> items;
    std::string address;
    std::int64_t now = 0; // seconds since 1970
};

// One code per item, in order; nothing when the update's SQL failed and none of it was written.
using UpdateOutcome = std::optional<std::vector<ReplyCode>>;

class Store {
public:
    // New password hashes take passwordIterations (tests lower it); a password checked right
    // against a hash of fewer is hashed again.
    explicit Store(const std::string& path, int passwordIterations = kPasswordIterations);

    // How long a statement waits for a lock another connection holds (kBusyTimeout at first).
    void SetBusyTimeout(std::chrono::milliseconds timeout);

    // Operator side.
    // The account with its hosts and groups, all or nothing.
    std::int64_t AddAccount(const std::string& email, const std::string& password,
                            const std::vector<std::string>& hosts = {},
                            const std::vector<GroupMembers>& groups = {});
    void AddHost(const std::string& email, const std::string& host);
    void AddGroup(const std::string& email, const std::string& group,
                  const std::vector<std::string>& hosts);
    ClientCredentials IssueClient(const std::string& email);
    void SetBanned(const std::string& email, bool banned);
    void SetClientEnabled(const std::string& clientId, bool enabled);
    void SetRemoteInterval(const std::string& email, std::int64_t milliseconds);
    void SetEnhanced(const std::string& email, bool enhanced);
    void SetError(const std::string& email, const std::optional<std::string>& error);
    void SetVersionBarred(const std::string& version, bool barred);
    std::int64_t PostMessage(MessageKind kind, const std::string& title, const std::string& body,
                             const std::string& link);
    void SetEchoAddress(const std::optional<std::string>& address);
    std::vector<HostStatus> ListHosts(const std::optional<std::string>& email);

    // Server side.
    // An unknown e-mail costs the same password check as a known one with a wrong password.
    std::optional<AccountLogin> Authenticate(const std::string& email, const std::string& password);
    ClientCredentials IssueClient(std::int64_t accountId);
    // The client, and whether the operator barred that client version ("" is never barred): one
    // read of the store for everything a request's checks need.
    std::optional<ClientRecord> FindClient(const std::string& clientId,
                                           const std::string& version = "");
    bool RemoveClient(const std::string& clientId);
    AccountValues Account(std::int64_t accountId);
    std::vector<Message> MessagesAfter(MessageKind kind, std::int64_t lastId);
    std::vector<GroupedHost> HostList(std::int64_t accountId);
    std::optional<std::string> EchoAddress();
    // Applies every item in one transaction; one code per item, in order.
    std::vector<ReplyCode> ApplyUpdate(const PendingUpdate& update);
    // Applies every update in one transaction, each in a savepoint of its own, so that an update
    // whose SQL fails is rolled back alone. Throws when the transaction cannot begin or commit:
    // then nothing of any of them is written.
    std::vector<UpdateOutcome> ApplyUpdates(const std::vector<PendingUpdate>& updates);

private:
    std::int64_t AccountId(const std::string& email);
    std::optional<std::int64_t> HostId(std::int64_t accountId, const std::string& host);
    void InsertHost(std::int64_t accountId, const std::string& host);
    void InsertGroup(std::int64_t accountId, const std::string& group,
                     const std::vector<std::string>& hosts);
    ClientCredentials InsertClient(std::int64_t accountId);
    // Replaces the account's hash by one of the current iteration count, unless it changed.
    void Rehash(std::int64_t accountId, const std::string& password, const std::string& oldHash);
    std::vector<ReplyCode> ApplyItems(const PendingUpdate& update);
    ReplyCode UpdateHost(std::int64_t accountId, const std::string& name,
                         const std::string& address, std::int64_t now);
    ReplyCode UpdateGroup(std::int64_t accountId, const std::string& name,
                          const std::string& address, std::int64_t now);
    void RequireChange(const char* what);
    // Sets one column of one row in its own write transaction; refuses when no row matched.
    template <class Value>
    void UpdateOne(const char* sql, const Value& value, const std::string& key,
                   const char* missing);

    const int passwordIterations_;
    const std::string unknownAccountHash_; // checked when the e-mail has no account
    std::mutex mutex_;
    Database db_;
};

} // namespace vek::provider
