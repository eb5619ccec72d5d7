#include "provider/UpdateWriter.h"

#include <iterator>

namespace vek::provider {
namespace {

void Hand(const UpdateWriter::Done& done, const PendingUpdate& update, UpdateOutcome outcome) {
    try {
        done(update, std::move(outcome));
    } catch (const std::exception&) {
        // The request's connection is gone with it; the writer goes on.
    }
}

template <class Item> void MoveToFront(std::vector<Item>& from, std::vector<Item>& to) {
    to.insert(to.begin(), std::make_move_iterator(from.begin()),
              std::make_move_iterator(from.end()));
    from.clear();
}

} // namespace

UpdateWriter::UpdateWriter(const std::string& storePath, std::size_t updatesPerCommit)
    : store_(storePath), updatesPerCommit_(updatesPerCommit) {}

UpdateWriter::~UpdateWriter() { Stop(); }

void UpdateWriter::Start() {
    {
        std::lock_guard lock(mutex_);
        started_ = true;
        if (!waiting_.updates.empty())
            committer_ = Committer::Thread;
    }
    thread_ = std::thread([this] { Run(); });
}

void UpdateWriter::Submit(PendingUpdate update, Done done) {
    std::unique_lock lock(mutex_);
    if (stopped_) {
        lock.unlock();
        return Hand(done, update, std::nullopt);
    }
    waiting_.updates.push_back(std::move(update));
    waiting_.done.push_back(std::move(done));
    if (!started_ || committer_ != Committer::None)
        return; // the committing thread takes it next
    // Nothing else waits: this update alone, on this thread.
    committer_ = Committer::Submitter;
    Batch batch = Take();
    lock.unlock();
    const bool committed = Commit(batch, false);
    lock.lock();
    if (!committed) {
        MoveToFront(batch.updates, waiting_.updates);
        MoveToFront(batch.done, waiting_.done);
    }
    if (waiting_.updates.empty()) {
        committer_ = Committer::None;
        if (stopped_)
            wake_.notify_one(); // Stop waits for this commit
        return;
    }
    // What came meanwhile, or what the store's lock kept out, goes to the writer's thread.
    committer_ = Committer::Thread;
    wake_.notify_one();
}

void UpdateWriter::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        if (!started_ && !waiting_.updates.empty())
            committer_ = Committer::Thread;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    } else {
        Run(); // never started: what waits is committed here
    }
}

void UpdateWriter::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] {
            return committer_ == Committer::Thread || (stopped_ && committer_ == Committer::None);
        });
        if (committer_ != Committer::Thread)
            return;
        while (!waiting_.updates.empty()) {
            Batch batch = Take();
            lock.unlock();
            Commit(batch, true);
            lock.lock();
        }
        committer_ = Committer::None;
    }
}

UpdateWriter::Batch UpdateWriter::Take() {
    const std::size_t take = std::min(waiting_.updates.size(), updatesPerCommit_);
    Batch batch;
    if (take == waiting_.updates.size()) {
        std::swap(batch, waiting_);
        return batch;
    }
    batch.updates.assign(std::make_move_iterator(waiting_.updates.begin()),
                         std::make_move_iterator(waiting_.updates.begin() + take));
    batch.done.assign(std::make_move_iterator(waiting_.done.begin()),
                      std::make_move_iterator(waiting_.done.begin() + take));
    waiting_.updates.erase(waiting_.updates.begin(), waiting_.updates.begin() + take);
    waiting_.done.erase(waiting_.done.begin(), waiting_.done.begin() + take);
    return batch;
}

bool UpdateWriter::Commit(Batch& batch, bool mayWait) {
    std::vector<UpdateOutcome> outcomes;
    try {
        store_.SetBusyTimeout(mayWait ? kBusyTimeout : std::chrono::milliseconds(0));
        outcomes = store_.ApplyUpdates(batch.updates);
    } catch (const SqliteBusy&) {
        if (!mayWait)
            return false;
        outcomes.assign(batch.updates.size(), std::nullopt);
    } catch (const std::exception&) {
        outcomes.assign(batch.updates.size(), std::nullopt);
    }
    for (std::size_t i = 0; i < batch.done.size(); ++i)
        Hand(batch.done[i], batch.updates[i], std::move(outcomes[i]));
    return true;
}

} // namespace vek::provider
