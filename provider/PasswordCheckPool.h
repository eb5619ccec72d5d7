#pragma once
// The threads that run the registration's slow password check, off the I/O threads. Peers take
// turns: each thread takes the oldest check of the next peer address in line, so one address
// that sends many registrations delays another's by one check at most. A peer may have a bounded
// number of checks waiting; beyond it a check is refused at once (logged once a second at most).
// On stop the waiting checks are dropped and the running ones finish.
#include "provider/ServerLog.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vek::provider {

class PasswordCheckPool {
public:
    using Check = std::function<void()>;

    PasswordCheckPool(std::size_t threads, std::size_t waitingPerPeer, ServerLog& log);
    PasswordCheckPool(const PasswordCheckPool&) = delete;
    PasswordCheckPool& operator=(const PasswordCheckPool&) = delete;
    ~PasswordCheckPool();

    // Queues the check in its peer's turn; false (and the check dropped) when the peer already
    // has its bound waiting, or the pool has stopped.
    bool Submit(const std::string& peer, Check check);
    // From now on no check starts; the waiting ones are kept for Stop to drop.
    void Close();
    // Closes, drops the waiting checks on the calling thread, waits for the running ones and
    // joins the threads. A dropped check ends what it holds here: call it once nothing else can.
    void Stop();

private:
    void Run();

    const std::size_t waitingPerPeer_;
    ServerLog& log_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::unordered_map<std::string, std::deque<Check>> waiting_; // by peer address
    std::deque<std::string> turns_; // the peers with checks waiting, in the order they run
    bool stopped_ = false;
    std::vector<std::thread> threads_;
};

} // namespace vek::provider
