// Start-up defaults of the conversion job (see ConversionJob.h).
#include "run/ConversionJob.h"

#include "geo/Clock.h"
#include "geo/GpsTime.h"

namespace kelvrant {

ConversionJob MakeDefaultJob(const Clock& clock) {
    ConversionJob job;
    const UtcTime today = NowUtc(clock);
    CalendarToGpsTime(today.year, today.month, today.day, 0, 0, 0.1, job.MetStartWeek,
                      job.MetStartSeconds);
    return job;
}

}  // namespace kelvrant
