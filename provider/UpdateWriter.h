#pragma once
// The one writer of update requests: a store connection of its own that commits every update
// waiting at that moment in one transaction (group commit), each in a savepoint of its own. An
// update's outcome is handed over only after its transaction has committed; when the commit
// fails, every update of it gets nothing (the reply code 5).
//
// One thread at a time commits. An update submitted while none does is committed at once on the
// submitting thread, which then has its outcome without waiting for another thread; it never
// waits for the store's lock there: when another process holds it, the writer's own thread
// takes over and waits as long as the busy time-out allows. Updates submitted while a commit is
// under way wait for the writer's thread, which commits them together until none is left.
#include "provider/Store.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vek::provider {

class UpdateWriter {
public:
    // Called on the committing thread with the update as submitted; must not block.
    using Done = std::function<void(const PendingUpdate&, UpdateOutcome)>;

    UpdateWriter(const std::string& storePath, std::size_t updatesPerCommit);
    UpdateWriter(const UpdateWriter&) = delete;
    UpdateWriter& operator=(const UpdateWriter&) = delete;
    ~UpdateWriter();

    // Updates submitted before Start wait for the writer's thread.
    void Start();
    void Submit(PendingUpdate update, Done done);
    // Commits what is waiting, then ends the thread; later updates get nothing at once.
    void Stop();

private:
    // Who commits with the writer's connection now.
    enum class Committer { None, Submitter, Thread };

    struct Batch {
        std::vector<PendingUpdate> updates;
        std::vector<Done> done;
    };

    void Run();
    // The first updates waiting, as many as one transaction takes. Called under mutex_.
    Batch Take();
    // Commits the batch and hands every outcome over. When it must not wait and the store is
    // locked, it commits nothing and returns false.
    bool Commit(Batch& batch, bool mayWait);

    Store store_;
    const std::size_t updatesPerCommit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    // Not empty only while someone commits (and then it takes them), or before Start.
    Batch waiting_;
    Committer committer_ = Committer::None;
    bool started_ = false;
    bool stopped_ = false;
    std::thread thread_;
};

} // namespace vek::provider
