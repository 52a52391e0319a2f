#include "gps/NmeaReplay.h"

#include <vector>

#include "gps/CNmeaParser.h"

bool ReplayNmea(std::istream& in, size_t chunkSize, const std::function<void(const GpsData&)>& onRmc)
{
    if (chunkSize == 0) return false;
    platform::ManualClock clock(0);
    CNmeaParser parser(clock);
    std::vector<char> chunk(chunkSize);
    GpsData data;
    uint32_t lastRmcCount = 0;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0) break;
        parser.Feed(reinterpret_cast<const uint8_t*>(chunk.data()), got, &data);
        if (data.rmcCount != lastRmcCount) {
            lastRmcCount = data.rmcCount;
            onRmc(data);
        }
    }
    return in.eof() && !in.bad();
}
