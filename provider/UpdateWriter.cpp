#include "UpdateWriter.h"

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

} // namespace

UpdateWriter::UpdateWriter(const std::string& storePath, std::size_t updatesPerCommit)
    : store_(storePath), updatesPerCommit_(updatesPerCommit) {}

UpdateWriter::~UpdateWriter() { Stop(); }

void UpdateWriter::Start() {
    thread_ = std::thread([this] { Run(); });
}

void UpdateWriter::Submit(PendingUpdate update, Done done) {
    {
        std::lock_guard lock(mutex_);
        if (!stopped_) {
            updates_.push_back(std::move(update));
            done_.push_back(std::move(done));
            wake_.notify_one();
            return;
        }
    }
    Hand(done, update, std::nullopt);
}

void UpdateWriter::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    } else {
        Run(); // never started: what waits is committed here
    }
}

void UpdateWriter::Run() {
    std::vector<PendingUpdate> updates;
    std::vector<Done> done;
    while (true) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopped_ || !updates_.empty(); });
            if (updates_.empty())
                return;
            const std::size_t take = std::min(updates_.size(), updatesPerCommit_);
            updates.assign(std::make_move_iterator(updates_.begin()),
                           std::make_move_iterator(updates_.begin() + take));
            done.assign(std::make_move_iterator(done_.begin()),
                        std::make_move_iterator(done_.begin() + take));
            updates_.erase(updates_.begin(), updates_.begin() + take);
            done_.erase(done_.begin(), done_.begin() + take);
        }
        Commit(updates, done);
    }
}

void UpdateWriter::Commit(std::vector<PendingUpdate>& updates, std::vector<Done>& done) {
    std::vector<UpdateOutcome> outcomes;
    try {
        outcomes = store_.ApplyUpdates(updates);
    } catch (const std::exception&) {
        outcomes.assign(updates.size(), std::nullopt);
    }
    for (std::size_t i = 0; i < done.size(); ++i)
        Hand(done[i], updates[i], std::move(outcomes[i]));
}

} // namespace vek::provider
