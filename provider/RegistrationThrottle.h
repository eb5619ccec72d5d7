#pragma once
// Failed registrations slow the next ones down, per account and per peer address. After a few
// free failures, each further one pauses the registrations for that e-mail (or from that peer)
// for a time that doubles with every failure, up to a longest pause; a registration during a
// pause is refused before its password is checked. Known and unknown e-mail addresses are
// counted alike. Nothing locks the owner out for good: pauses end, records are forgotten after a
// quiet while, and a peer that has signed in to an account is held by its own pause only, not by
// the account's.
#include "provider/ServerLog.h"

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vek::provider {

struct ThrottleSettings {
    int freeAccountFailures = 5;
    int freePeerFailures = 20; // several users may sign in from behind one address
    std::chrono::seconds firstPause{2};
    std::chrono::seconds longestPause{15 * 60};
    std::chrono::seconds forgetAfter{60 * 60}; // without a failure
    std::size_t records = 65536;               // of each kind; the stalest go first
};

class RegistrationThrottle {
public:
    using Clock = std::chrono::steady_clock;

    explicit RegistrationThrottle(ServerLog& log, ThrottleSettings settings = {});

    // How much longer registrations for the e-mail from the peer are refused; zero when one
    // may be checked now.
    Clock::duration Paused(std::string_view email, std::string_view peer, Clock::time_point now);
    void Failed(std::string_view email, std::string_view peer, Clock::time_point now);
    void Succeeded(std::string_view email, std::string_view peer, Clock::time_point now);

private:
    struct Record {
        int failures = 0;
        Clock::time_point pausedUntil{};
        Clock::time_point lastSeen{};
        std::vector<std::string> ownPeers; // of an account: peers that signed in to it
    };
    using Records = std::unordered_map<std::string, Record>;

    Record* Find(Records& records, const std::string& key, Clock::time_point now);
    Record& Take(Records& records, const std::string& key, Clock::time_point now);
    void Fail(Records& records, const std::string& key, int freeFailures, const char* kind,
              Clock::time_point now);

    ServerLog& log_;
    const ThrottleSettings settings_;
    std::mutex mutex_;
    Records accounts_; // by e-mail in lower case, as the store compares them
    Records peers_;
};

} // namespace vek::provider
