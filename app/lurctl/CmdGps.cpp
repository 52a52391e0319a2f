#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "Commands.h"
#include "gps/CNmeaParser.h"
#include "gps/GpsDataJson.h"
#include "gps/NmeaReplay.h"

const char* const kGpsUsage =
    "Usage:\n"
    "  lurctl gps --replay FILE [--chunk N]\n"
    "  lurctl gps --port DEV [--baud N] [--seconds S]\n"
    "  Decodes NMEA 0183 (GGA, GSA, GSV, RMC of the GP, GL, GA, GB, BD, GQ and GN talkers) and prints the\n"
    "  decoded GPS data as one JSON object per line whenever a new RMC has been decoded; each satellite\n"
    "  row names its system and says whether the fix uses it. --replay feeds FILE to the parser in\n"
    "  chunks of N bytes (default 256, at most 65536), as the reader thread does; rmcTick is then 0.\n"
    "  --port reads a serial device (raw 8N1, default 9600 baud) for S seconds (default 10).\n";

namespace {

struct GpsOptions {
    std::string replay;
    std::string port;
    size_t chunk = 256;
    unsigned baud = 9600;
    unsigned seconds = 10;
};

bool ParseUnsigned(const std::string& text, unsigned long min, unsigned long max, unsigned long& out)
{
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) return false;
    out = value;
    return true;
}

bool ParseOptions(const std::vector<std::string>& args, GpsOptions& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size()) {
            std::fprintf(stderr, "gps: %s needs a value\n", a.c_str());
            return false;
        }
        const std::string& v = args[++i];
        unsigned long n = 0;
        if (a == "--replay") o.replay = v;
        else if (a == "--port") o.port = v;
        else if (a == "--chunk" && ParseUnsigned(v, 1, 65536, n)) o.chunk = n;
        else if (a == "--baud" && ParseUnsigned(v, 50, 4000000, n)) o.baud = static_cast<unsigned>(n);
        else if (a == "--seconds" && ParseUnsigned(v, 0, 86400, n)) o.seconds = static_cast<unsigned>(n);
        else {
            std::fprintf(stderr, "gps: bad option or value: %s %s\n", a.c_str(), v.c_str());
            return false;
        }
    }
    if (o.replay.empty() == o.port.empty()) {
        std::fprintf(stderr, "gps: give exactly one of --replay and --port\n");
        return false;
    }
    return true;
}

int Replay(const GpsOptions& o)
{
    std::ifstream in(o.replay, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "gps: cannot open %s: %s\n", o.replay.c_str(), std::strerror(errno));
        return 1;
    }
    const bool ok = ReplayNmea(in, o.chunk, [](const GpsData& d) { std::printf("%s\n", GpsDataToJson(d).c_str()); });
    if (!ok) {
        std::fprintf(stderr, "gps: read error on %s\n", o.replay.c_str());
        return 1;
    }
    return 0;
}

speed_t BaudConstant(unsigned baud)
{
    switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

// Plain termios rather than CSerialPort, so that a FIFO or a capture file can stand in for
// the receiver.
int OpenRawPort(const std::string& device, unsigned baud)
{
    const speed_t speed = BaudConstant(baud);
    if (speed == B0) {
        std::fprintf(stderr, "gps: unsupported baud rate %u\n", baud);
        return -1;
    }
    const int fd = open(device.c_str(), O_RDONLY | O_NOCTTY);
    if (fd < 0) {
        std::fprintf(stderr, "gps: cannot open %s: %s\n", device.c_str(), std::strerror(errno));
        return -1;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) { // not a terminal (a FIFO, say): read it as it is
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        if (tcsetattr(fd, TCSANOW, &tio) != 0) {
            std::fprintf(stderr, "gps: cannot configure %s: %s\n", device.c_str(), std::strerror(errno));
            close(fd);
            return -1;
        }
    }
    return fd;
}

int ReadPort(const GpsOptions& o)
{
    const int fd = OpenRawPort(o.port, o.baud);
    if (fd < 0) return 1;
    CNmeaParser parser;
    platform::Clock& ticks = platform::SystemTicks();
    const uint32_t start = ticks.Now();
    const uint32_t limit = o.seconds * 1000u;
    uint32_t lastRmcCount = 0;
    uint8_t buffer[256];
    int status = 0;
    for (uint32_t elapsed = 0; elapsed < limit; elapsed = ticks.Now() - start) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<uint32_t>(limit - elapsed, 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) continue;
        const ssize_t n = ready > 0 ? read(fd, buffer, sizeof buffer) : -1;
        if (n < 0) {
            std::fprintf(stderr, "gps: read error on %s: %s\n", o.port.c_str(), std::strerror(errno));
            status = 1;
            break;
        }
        if (n == 0) break; // end of a file or FIFO
        GpsData d;
        parser.Feed(buffer, static_cast<size_t>(n), &d);
        if (d.rmcCount != lastRmcCount) {
            lastRmcCount = d.rmcCount;
            std::printf("%s\n", GpsDataToJson(d).c_str());
            std::fflush(stdout);
        }
    }
    close(fd);
    return status;
}

} // namespace

int RunGps(const std::vector<std::string>& args)
{
    GpsOptions o;
    if (!ParseOptions(args, o)) {
        std::fprintf(stderr, "usage: lurctl %s", kGpsUsage);
        return 2;
    }
    return o.replay.empty() ? ReadPort(o) : Replay(o);
}
