#include "cli/SignalWatch.h"

#include <pthread.h>

#include <utility>

namespace kelvrant {

SignalWatch::SignalWatch(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGINT);
    blocked_ = ::pthread_sigmask(SIG_BLOCK, &signals_, &previous_) == 0;
    if (blocked_) waiter_ = std::thread([this] { Wait(); });
}

SignalWatch::~SignalWatch() {
    if (waiter_.joinable()) {
        ending_.store(true);
        ::pthread_kill(waiter_.native_handle(), SIGINT);
        waiter_.join();
    }
    if (blocked_) ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void SignalWatch::Wait() {
    for (;;) {
        int signal = 0;
        if (::sigwait(&signals_, &signal) != 0 || ending_.load()) return;
        onSignal_();
    }
}

}  // namespace kelvrant
