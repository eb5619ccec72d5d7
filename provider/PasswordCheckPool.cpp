#include "provider/PasswordCheckPool.h"

namespace vek::provider {

PasswordCheckPool::PasswordCheckPool(std::size_t threads, std::size_t waitingPerPeer,
                                     ServerLog& log)
    : waitingPerPeer_(waitingPerPeer), log_(log) {
    for (std::size_t i = 0; i < threads; ++i)
        threads_.emplace_back([this] { Run(); });
}

PasswordCheckPool::~PasswordCheckPool() { Stop(); }

bool PasswordCheckPool::Submit(const std::string& peer, Check check) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_)
            return false;
        auto& checks = waiting_[peer];
        if (checks.size() < waitingPerPeer_) {
            if (checks.empty())
                turns_.push_back(peer);
            checks.push_back(std::move(check));
            wake_.notify_one();
            return true;
        }
    }
    log_.Throttled("registration from " + peer + " refused: " + std::to_string(waitingPerPeer_) +
                   " password checks of this address already waiting");
    return false;
}

void PasswordCheckPool::Close() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

void PasswordCheckPool::Stop() {
    Close();
    std::unordered_map<std::string, std::deque<Check>> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(waiting_);
        turns_.clear();
    }
    for (auto& thread : threads_) {
        if (thread.joinable())
            thread.join();
    }
}

void PasswordCheckPool::Run() {
    while (true) {
        Check check;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopped_ || !turns_.empty(); });
            if (stopped_)
                return;
            const std::string peer = std::move(turns_.front());
            turns_.pop_front();
            auto found = waiting_.find(peer);
            check = std::move(found->second.front());
            found->second.pop_front();
            if (found->second.empty()) {
                waiting_.erase(found);
            } else {
                turns_.push_back(peer);
            }
        }
        try {
            check();
        } catch (...) {
            // A check answers its own errors; one that throws still leaves the thread running.
        }
    }
}

} // namespace vek::provider
