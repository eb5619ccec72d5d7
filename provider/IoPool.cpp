#include "provider/IoPool.h"

#include <boost/asio/post.hpp>

#include <algorithm>

namespace vek::provider {
namespace {

// Deadlines are seconds long; checking them this often keeps them within a tenth of that.
constexpr auto kSweepInterval = std::chrono::milliseconds(100);
// A burst of closes: this many fewer connections open than at the most since the last trim.
constexpr std::size_t kTrimAfterCloses = 64;

} // namespace

Worker::Worker(MemoryTrim& trim) : trim_(trim), work_(context_.get_executor()), sweep_(context_) {}

Worker::~Worker() { Stop(); }

void Worker::Track(TrackedConnection& connection) {
    connection.slot_ = connections_.insert(connections_.end(), &connection);
    trim_.Opened();
}

void Worker::Untrack(TrackedConnection& connection) {
    connections_.erase(connection.slot_);
    trim_.Closed();
}

void Worker::Start() {
    Sweep();
    thread_ = std::thread([this] {
        while (true) {
            try {
                context_.run();
                return;
            } catch (const std::exception&) {
                // A handler that throws loses its own connection only; the loop goes on.
            }
        }
    });
}

void Worker::Sweep() {
    sweep_.expires_after(kSweepInterval);
    sweep_.async_wait([this](const boost::system::error_code& error) {
        if (error || stopping_)
            return;
        const auto now = SteadyClock::now();
        // Closing only cancels the connection's operations; none leaves the list meanwhile.
        for (TrackedConnection* connection : connections_)
            connection->CloseIfLate(now);
        trim_.TrimAfterBurst(kTrimAfterCloses);
        Sweep();
    });
}

void Worker::BeginStop() {
    if (!thread_.joinable() || stopBegun_)
        return;
    stopBegun_ = true;
    boost::asio::post(context_, [this] {
        stopping_ = true;
        sweep_.cancel();
        for (TrackedConnection* connection : connections_)
            connection->Close();
    });
    // With every socket closed, the aborted operations finish and run() returns.
    work_.reset();
}

void Worker::Stop() {
    BeginStop();
    if (thread_.joinable())
        thread_.join();
}

IoPool::IoPool(std::size_t threads) {
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    for (std::size_t i = 0; i < threads; ++i)
        workers_.push_back(std::make_unique<Worker>(trim_));
}

void IoPool::Start() {
    for (auto& worker : workers_)
        worker->Start();
}

void IoPool::Stop() {
    // Every worker closes its connections at the same time.
    for (auto& worker : workers_)
        worker->BeginStop();
    for (auto& worker : workers_)
        worker->Stop();
}

} // namespace vek::provider
