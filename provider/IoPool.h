#pragma once
// The servers' I/O threads: a fixed number of workers, each an event loop on a thread of its
// own that serves many connections and never waits for one. A worker checks the deadlines of its
// connections a few times a second and closes those past theirs, and after a burst of closes
// hands the freed memory back to the system; Stop() closes them all.
#include "provider/MemoryTrim.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <list>
#include <memory>
#include <thread>
#include <vector>

namespace vek::provider {

using SteadyClock = std::chrono::steady_clock;

// What a worker knows of a connection it serves; used on the worker's thread only.
class TrackedConnection {
public:
    virtual ~TrackedConnection() = default;
    // Closes the connection when its deadline has passed.
    virtual void CloseIfLate(SteadyClock::time_point now) = 0;
    virtual void Close() = 0;

private:
    friend class Worker;
    std::list<TrackedConnection*>::iterator slot_;
};

class Worker {
public:
    // trim: shared by every worker of the process.
    explicit Worker(MemoryTrim& trim);
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker();

    boost::asio::io_context& context() { return context_; }
    // On the worker's thread: from Track until Untrack, the connection is checked and closed.
    void Track(TrackedConnection& connection);
    void Untrack(TrackedConnection& connection);

    void Start();
    // Has every connection it serves closed and its thread end, without waiting for that.
    void BeginStop();
    // Closes every connection it serves and joins its thread.
    void Stop();

private:
    void Sweep();

    // The connections first: the context below is destroyed before them, and with it the
    // handlers that still hold connections, which untrack themselves.
    std::list<TrackedConnection*> connections_;
    MemoryTrim& trim_;
    boost::asio::io_context context_{1};
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> work_;
    boost::asio::steady_timer sweep_;
    bool stopping_ = false; // on the worker's thread
    bool stopBegun_ = false;
    std::thread thread_;
};

class IoPool {
public:
    // threads 0: one per processor core.
    explicit IoPool(std::size_t threads);

    std::size_t size() const { return workers_.size(); }
    Worker& worker(std::size_t index) { return *workers_[index]; }
    // The worker for the next connection, in turn.
    std::size_t NextIndex() { return next_++ % workers_.size(); }

    void Start();
    void Stop();

private:
    MemoryTrim trim_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::atomic<std::size_t> next_{0};
};

} // namespace vek::provider
