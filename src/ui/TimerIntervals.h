// The intervals of the windows' timers in milliseconds. The program keeps the defaults; tests
// shorten them so that unattended runs finish in a fraction of the time.
#pragma once

namespace kelvrant {

struct TimerIntervals {
    int autoRunTick = 100;          ///< main window: unattended start and end
    int minimize = 200;             ///< main window: minimizing for -X
    int progress = 200;             ///< progress window: display update and wait for the worker
    int errorWindowVisible = 1000;  ///< auto-run error window: closing after 11 ticks
};

/// The intervals in effect (read when a timer is created).
inline TimerIntervals& Intervals() {
    static TimerIntervals intervals;
    return intervals;
}

}  // namespace kelvrant
