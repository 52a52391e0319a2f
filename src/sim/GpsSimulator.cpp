#include "sim/GpsSimulator.h"

#include <cerrno>
#include <chrono>
#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <numbers>
#include <random>
#include <unistd.h>

namespace {
constexpr uint32_t kPollSliceMs = 20; // how long Stop may wait for the writer to notice
constexpr double kMetresPerSecondToKnots = 3600.0 / 1852.0;
constexpr double kMetresPerDegree = 6371000.0 * std::numbers::pi / 180.0;

bool Within(const std::vector<std::pair<double, double>>& intervals, double t)
{
    for (const auto& [from, to] : intervals)
        if (t >= from && t < to)
            return true;
    return false;
}
} // namespace

GpsSimulator::GpsSimulator(GpsWalker walker, GpsSimulatorOptions options, platform::Clock& clock)
    : walker_(std::move(walker)), options_(std::move(options)),
      generator_(options_.gnTalker, options_.multiConstellation), clock_(clock)
{
    if (!(options_.rateHz > 0)) options_.rateHz = 1.0;
    if (!(options_.timeFactor > 0)) options_.timeFactor = 1.0;
    if (options_.startUtcMs == 0) {
        using namespace std::chrono;
        options_.startUtcMs = duration_cast<seconds>(system_clock::now().time_since_epoch()).count() * 1000;
    }
}

GpsSimulator::~GpsSimulator()
{
    Stop();
}

GeoPoint GpsSimulator::AntennaAt(double simulatedSeconds) const
{
    const GeoPoint centre = walker_.PositionAt(simulatedSeconds);
    if (options_.antennaAheadMetres == 0)
        return centre;
    const double course = walker_.CourseAt(simulatedSeconds) * std::numbers::pi / 180.0;
    const double north = options_.antennaAheadMetres * std::cos(course);
    const double east = options_.antennaAheadMetres * std::sin(course);
    return {centre.latitude + north / kMetresPerDegree,
            centre.longitude + east / (kMetresPerDegree * std::cos(centre.latitude * std::numbers::pi / 180.0))};
}

GpsEpoch GpsSimulator::EpochState(uint64_t epoch) const
{
    const double sent = EpochSeconds(epoch);
    const double t = sent - options_.lagSeconds; // what the epoch describes
    const GeoPoint p = AntennaAt(t);
    GpsEpoch e;
    e.utcMs = options_.startUtcMs + static_cast<int64_t>(std::llround(t * 1000.0));
    e.latitude = p.latitude;
    e.longitude = p.longitude;
    e.speedKnots = walker_.SpeedMps() * kMetresPerSecondToKnots;
    e.courseDegrees = walker_.CourseAt(t);
    e.altitude = options_.altitude + 2.0 * std::sin(t / 60.0);
    if (Within(options_.hdopSpikes, sent))
        e.hdop = options_.spikeHdop;
    e.valid = !forcedLoss_.load() && !Within(options_.fixLoss, sent);
    return e;
}

std::string GpsSimulator::EpochText(uint64_t epoch) const
{
    std::string text = generator_.Epoch(EpochState(epoch));
    std::minstd_rand noise(options_.noiseSeed + static_cast<uint32_t>(epoch));
    for (size_t i = 0; i < options_.noiseBytes; ++i) {
        char c = static_cast<char>(noise() & 0xFF);
        text += c == '$' ? '#' : c;
    }
    return text;
}

double GpsSimulator::SimulatedSecondsNow() const
{
    return static_cast<uint32_t>(clock_.Now() - startTick_.load()) / 1000.0 * options_.timeFactor;
}

GeoPoint GpsSimulator::CurrentPosition() const
{
    return walker_.PositionAt(started_.load() ? SimulatedSecondsNow() : 0.0);
}

bool GpsSimulator::Start(int fd)
{
    if (thread_.joinable()) return false;
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return false;
    stop_ = false;
    startTick_ = clock_.Now();
    started_ = true;
    thread_ = std::thread([this, fd] { Run(fd); });
    return true;
}

void GpsSimulator::Stop()
{
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

bool GpsSimulator::WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        if (stop_) return false;
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, kPollSliceMs) <= 0) continue;
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    }
    return true;
}

void GpsSimulator::Run(int fd)
{
    uint64_t epoch = 0;
    while (!stop_) {
        const double now = SimulatedSecondsNow();
        const double due = EpochSeconds(epoch);
        if (now < due) {
            const double waitMs = (due - now) * 1000.0 / options_.timeFactor;
            clock_.Sleep(static_cast<uint32_t>(std::min<double>(std::ceil(waitMs), kPollSliceMs)));
            continue;
        }
        if (!WriteAll(fd, EpochText(epoch))) break;
        // A receiver does not queue epochs it could not send: resume with the current one.
        const auto current = static_cast<uint64_t>(SimulatedSecondsNow() * options_.rateHz);
        epoch = std::max(epoch + 1, current);
    }
}
