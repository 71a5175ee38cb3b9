// A UiDispatcher for tests: posted hand-overs wait in a queue until the test thread, playing
// the user-interface thread, runs them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "contacts/Comms.h"

namespace vandoret::testing {

class QueueDispatcher : public UiDispatcher {
public:
    void Post(std::function<void()> serve) override {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(serve));
        ++posted_;
        posted.notify_all();
    }

    // Runs what is queued now; returns how many ran.
    int RunPending() {
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(queue_);
        }
        for (auto& serve : batch) {
            serve();
        }
        return static_cast<int>(batch.size());
    }

    // Runs posted hand-overs until done() holds or the time is up; returns done().
    template <typename Done> bool PumpUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            RunPending();
            if (done()) {
                return true;
            }
            std::unique_lock lock(mutex_);
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            posted.wait_for(lock, std::chrono::milliseconds(1), [this] { return !queue_.empty(); });
        }
    }

    // Blocks until at least n hand-overs have been posted in all.
    bool WaitForPosts(int n, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        return posted.wait_for(lock, timeout, [&] { return posted_ >= n; });
    }

    int Posted() {
        std::lock_guard lock(mutex_);
        return posted_;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted;
    std::deque<std::function<void()>> queue_;
    int posted_ = 0;
};

} // namespace vandoret::testing
