#include "gps/SystemClockSetter.h"

#include <time.h>

void PosixSystemClockSetter::SetUtc(std::chrono::system_clock::time_point utc)
{
    using namespace std::chrono;
    const auto ns = duration_cast<nanoseconds>(utc.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    (void)clock_settime(CLOCK_REALTIME, &ts);
}
