#include "gps/GpsTime.h"

std::optional<std::chrono::system_clock::time_point> RmcDateTime(const GpsData& data)
{
    using namespace std::chrono;
    const year_month_day date{year{data.year}, month{data.month}, day{data.day}};
    if (!date.ok() || data.rmcHour > 23 || data.rmcMinute > 59 || data.rmcSecond > 60 ||
        data.rmcMillisecond > 999)
        return std::nullopt;
    const auto time = sys_days{date} + hours{data.rmcHour} + minutes{data.rmcMinute} +
                      seconds{data.rmcSecond} + milliseconds{data.rmcMillisecond};
    return time_point_cast<system_clock::duration>(time);
}
