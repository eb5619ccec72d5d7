#pragma once
// The one writer of update requests: a thread with a store connection of its own that commits
// every update waiting at that moment in one transaction (group commit), each in a savepoint of
// its own. An update's outcome is handed over only after its transaction has committed; when the
// commit fails, every update of it gets nothing (the reply code 5).
#include "Store.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vek::provider {

class UpdateWriter {
public:
    // Called on the writer's thread with the update as submitted; must not block.
    using Done = std::function<void(const PendingUpdate&, UpdateOutcome)>;

    UpdateWriter(const std::string& storePath, std::size_t updatesPerCommit);
    UpdateWriter(const UpdateWriter&) = delete;
    UpdateWriter& operator=(const UpdateWriter&) = delete;
    ~UpdateWriter();

    // Updates submitted before Start wait for it.
    void Start();
    void Submit(PendingUpdate update, Done done);
    // Commits what is waiting, then ends the thread; later updates get nothing at once.
    void Stop();

private:
    void Run();
    void Commit(std::vector<PendingUpdate>& updates, std::vector<Done>& done);

    Store store_;
    const std::size_t updatesPerCommit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<PendingUpdate> updates_;
    std::vector<Done> done_;
    bool stopped_ = false;
    std::thread thread_;
};

} // namespace vek::provider
