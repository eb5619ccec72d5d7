#include "provider/RegistrationThrottle.h"

#include "common/Ascii.h"

#include <algorithm>

namespace vek::provider {
namespace {

constexpr std::size_t kOwnPeers = 8;
constexpr int kLongestDoubling = 20;

std::string AccountKey(std::string_view email) { return LowerAscii(email); }

} // namespace

RegistrationThrottle::RegistrationThrottle(ServerLog& log, ThrottleSettings settings)
    : log_(log), settings_(settings) {}

RegistrationThrottle::Record* RegistrationThrottle::Find(Records& records, const std::string& key,
                                                         Clock::time_point now) {
    const auto found = records.find(key);
    if (found == records.end())
        return nullptr;
    if (now - found->second.lastSeen >= settings_.forgetAfter && found->second.pausedUntil <= now) {
        records.erase(found);
        return nullptr;
    }
    return &found->second;
}

RegistrationThrottle::Record& RegistrationThrottle::Take(Records& records, const std::string& key,
                                                         Clock::time_point now) {
    if (Record* record = Find(records, key, now))
        return *record;
    if (records.size() >= settings_.records) {
        std::erase_if(records, [&](const auto& entry) {
            return now - entry.second.lastSeen >= settings_.forgetAfter &&
                   entry.second.pausedUntil <= now;
        });
    }
    if (records.size() >= settings_.records) {
        records.erase(
            std::min_element(records.begin(), records.end(), [](const auto& a, const auto& b) {
                return a.second.lastSeen < b.second.lastSeen;
            }));
    }
    return records[key];
}

RegistrationThrottle::Clock::duration
RegistrationThrottle::Paused(std::string_view email, std::string_view peer, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    Clock::duration left{};
    if (const Record* record = Find(peers_, std::string(peer), now))
        left = std::max(left, record->pausedUntil - now);
    if (const Record* record = Find(accounts_, AccountKey(email), now)) {
        const auto& own = record->ownPeers;
        if (std::find(own.begin(), own.end(), peer) == own.end())
            left = std::max(left, record->pausedUntil - now);
    }
    return left;
}

void RegistrationThrottle::Fail(Records& records, const std::string& key, int freeFailures,
                                const char* kind, Clock::time_point now) {
    Record& record = Take(records, key, now);
    record.lastSeen = now;
    if (++record.failures <= freeFailures)
        return;
    const int doublings = std::min(record.failures - freeFailures - 1, kLongestDoubling);
    const auto pause = std::min<Clock::duration>(settings_.firstPause * (1LL << doublings),
                                                 settings_.longestPause);
    record.pausedUntil = now + pause;
    log_.Throttled("registration: " + std::string(kind) + " " + key + " paused for " +
                   std::to_string(std::chrono::duration_cast<std::chrono::seconds>(pause).count()) +
                   " s after " + std::to_string(record.failures) + " failures");
}

void RegistrationThrottle::Failed(std::string_view email, std::string_view peer,
                                  Clock::time_point now) {
    std::lock_guard lock(mutex_);
    Fail(accounts_, AccountKey(email), settings_.freeAccountFailures, "account", now);
    Fail(peers_, std::string(peer), settings_.freePeerFailures, "peer", now);
}

void RegistrationThrottle::Succeeded(std::string_view email, std::string_view peer,
                                     Clock::time_point now) {
    std::lock_guard lock(mutex_);
    // The peer's own record stays: a guesser with an account of its own could clear it.
    Record& record = Take(accounts_, AccountKey(email), now);
    record.failures = 0;
    record.pausedUntil = {};
    record.lastSeen = now;
    auto& own = record.ownPeers;
    if (std::find(own.begin(), own.end(), peer) == own.end()) {
        if (own.size() == kOwnPeers)
            own.erase(own.begin());
        own.emplace_back(peer);
    }
}

} // namespace vek::provider
