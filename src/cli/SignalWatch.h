// Termination requests (SIGTERM, SIGINT) turned into a call of the program's own: a run being
// written stops after its current epoch, publishes nothing and removes its temporaries, and
// the program ends with a failure. The signals are blocked in every thread and taken by one
// waiting thread, so no handler and no global state is needed.
#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

namespace kelvrant {

class SignalWatch {
  public:
    /// Blocks the signals in this thread (and so in every thread it starts afterwards: make
    /// this before any other thread) and calls `onSignal` from the waiting thread for each.
    explicit SignalWatch(std::function<void()> onSignal);
    /// Stops waiting and restores the signal mask this thread had.
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

  private:
    void Wait();

    std::function<void()> onSignal_;
    sigset_t signals_{};
    sigset_t previous_{};
    bool blocked_ = false;
    std::atomic<bool> ending_{false};
    std::thread waiter_;
};

}  // namespace kelvrant
