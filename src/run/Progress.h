// The progress exchange between the conversion worker and whoever shows it: a percentage under
// a lock, a done flag and a stop request that the observation stage tests after every epoch.
#pragma once

#include <atomic>
#include <mutex>

namespace kelvrant {

class ProgressState {
  public:
    /// Worker side: publishes the percentage (a whole number 0..100).
    void Publish(double percent) {
        std::lock_guard<std::mutex> lock(mutex_);
        percent_ = percent;
    }
    /// Display side: the last published percentage.
    double Percent() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return percent_;
    }
    void SetDone() { done_.store(true); }
    bool Done() const { return done_.load(); }
    void RequestStop() { stop_.store(true); }
    bool StopRequested() const { return stop_.load(); }
    void Reset() {
        Publish(0.0);
        done_.store(false);
        stop_.store(false);
    }

  private:
    mutable std::mutex mutex_;
    double percent_ = 0.0;
    std::atomic<bool> done_{false};
    std::atomic<bool> stop_{false};
};

}  // namespace kelvrant
