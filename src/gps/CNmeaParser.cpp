#include "gps/CNmeaParser.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

enum State : int32_t { kHunt = 0, kAddress = 1, kFields = 2, kChecksumHigh = 3, kChecksumLow = 4 };

constexpr double kMinutesToDegrees = 0.016666666666666666;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Value of a hexadecimal digit of either case, or -1.
int HexValue(uint8_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// from_chars ignores the locale, unlike strtod under a Russian LC_NUMERIC. Plain decimals
// only: "inf" and "nan" would poison positions and everything computed from them.
bool ParseDouble(const char* field, double& out)
{
    if (!field || !(IsDigit(field[0]) || field[0] == '-' || field[0] == '.')) return false;
    const char* end = field + std::strlen(field);
    double value = 0;
    auto [ptr, ec] = std::from_chars(field, end, value, std::chars_format::fixed);
    if (ec != std::errc() || ptr == field || !std::isfinite(value)) return false;
    out = value;
    return true;
}

double DoubleOrZero(const char* field)
{
    double value = 0;
    return ParseDouble(field, value) ? value : 0.0;
}

// Leading decimal digits, saturated at 65535; 0 when there are none.
uint16_t Decimal(const char* field)
{
    uint32_t value = 0;
    for (; field && IsDigit(*field); ++field) {
        value = value * 10 + static_cast<uint32_t>(*field - '0');
        if (value > 0xFFFF) return 0xFFFF;
    }
    return static_cast<uint16_t>(value);
}

// The decimal value of at most the first two characters.
uint8_t TwoDigits(const char* field)
{
    uint8_t value = 0;
    for (int i = 0; i < 2 && field && IsDigit(field[i]); ++i)
        value = static_cast<uint8_t>(value * 10 + (field[i] - '0'));
    return value;
}

bool SixDigits(const char* field)
{
    if (!field) return false;
    for (int i = 0; i < 6; ++i)
        if (!IsDigit(field[i])) return false;
    return true;
}

int Pair(const char* field, int at) { return (field[at] - '0') * 10 + (field[at + 1] - '0'); }

// hhmmss[.sss]; false (values unchanged) unless six digits lead the field.
bool ParseTime(const char* field, uint8_t& hour, uint8_t& minute, uint8_t& second, uint16_t& ms)
{
    if (!SixDigits(field)) return false;
    hour = static_cast<uint8_t>(Pair(field, 0));
    minute = static_cast<uint8_t>(Pair(field, 2));
    second = static_cast<uint8_t>(Pair(field, 4));
    ms = 0;
    if (field[6] == '.') {
        const char* frac = field + 7;
        int value = 0;
        bool ended = false;
        for (int i = 0; i < 3; ++i) {
            if (!ended && !IsDigit(frac[i])) ended = true;
            value = value * 10 + (ended ? 0 : frac[i] - '0');
        }
        ms = static_cast<uint16_t>(value);
    }
    return true;
}

// ddmm.mmmm (degreeDigits 2) or dddmm.mmmm (3); false when the field is absent or malformed.
bool ParseCoordinate(const char* field, int degreeDigits, double& out)
{
    if (!field) return false;
    int degrees = 0;
    for (int i = 0; i < degreeDigits; ++i) {
        if (!IsDigit(field[i])) return false;
        degrees = degrees * 10 + (field[i] - '0');
    }
    double minutes = 0;
    if (!ParseDouble(field + degreeDigits, minutes)) return false;
    out = degrees + minutes * kMinutesToDegrees;
    return true;
}

} // namespace

CNmeaParser::CNmeaParser(platform::Clock& clock) : clock_(clock)
{
    Reset();
}

void CNmeaParser::Reset()
{
    std::lock_guard guard(lock_);
    state = kHunt;
    checksum = 0;
    receivedChecksum = 0;
    index = 0;
    data = GpsData{};
    epochTimeMs = 0;
    used.Clear();
    sky.Clear();
}

void CNmeaParser::Feed(const uint8_t* bytes, size_t count, GpsData* out)
{
    const uint32_t tick = clock_.Now();
    std::lock_guard guard(lock_);
    chunkTick = tick;
    for (size_t i = 0; i < count; ++i) Assemble(bytes[i]);
    if (out) *out = data;
}

void CNmeaParser::Snapshot(GpsData& out) const
{
    std::lock_guard guard(lock_);
    out = data;
}

int CNmeaParser::IsPrnUsed(uint16_t prn) const
{
    std::lock_guard guard(lock_);
    return used.ContainsNumber(prn) ? 1 : 0;
}

int CNmeaParser::IsUsed(GnssSystem system, uint16_t prn) const
{
    std::lock_guard guard(lock_);
    return used.Contains(system, prn) ? 1 : 0;
}

void CNmeaParser::Assemble(uint8_t byte)
{
    // '$' never occurs inside a sentence: a receiver that restarts mid-sentence must not
    // cost us the sentence that follows.
    if (byte == '$') {
        checksum = 0;
        index = 0;
        state = kAddress;
        return;
    }
    switch (state) {
    case kHunt:
        return;
    case kAddress:
        if (byte == ',' || byte == '*') {
            checksum ^= byte;
            address[index] = '\0';
            index = 0;
            state = kFields;
            return;
        }
        address[index++] = static_cast<char>(byte);
        checksum ^= byte;
        if (index >= kAddressSize) state = kHunt;
        return;
    case kFields:
        if (byte == '*' || byte == '\r') {
            fields[index] = '\0';
            fieldLength = index;
            if (byte == '*') {
                state = kChecksumHigh;
            } else {
                Dispatch(); // no checksum given
                state = kHunt;
            }
            return;
        }
        checksum ^= byte;
        fields[index++] = static_cast<char>(byte);
        if (index >= kFieldSize) state = kHunt;
        return;
    case kChecksumHigh: {
        const int value = HexValue(byte);
        if (value < 0) {
            state = kHunt;
            return;
        }
        receivedChecksum = static_cast<uint8_t>(value << 4);
        state = kChecksumLow;
        return;
    }
    case kChecksumLow: {
        const int value = HexValue(byte);
        state = kHunt;
        if (value >= 0 && (receivedChecksum | value) == checksum) Dispatch();
        return;
    }
    default:
        state = kHunt;
        return;
    }
}

void CNmeaParser::Dispatch()
{
    ++data.sentenceCount;
    RestartFields();
    const bool fiveCharacters = std::strlen(address) == 5;
    const char* type = fiveCharacters ? address + 2 : "";
    if (std::strcmp(type, "GSA") != 0)
        used.EndRun(data);
    const std::optional<NmeaSource> source = SourceOfAddress(address);
    if (!source)
        return;
    if (std::strcmp(type, "GGA") == 0) DecodeGga();
    else if (std::strcmp(type, "GSA") == 0) DecodeGsa(*source);
    else if (std::strcmp(type, "GSV") == 0) DecodeGsv(*source);
    else if (std::strcmp(type, "RMC") == 0) DecodeRmc();
}

void CNmeaParser::NoteEpochTime(const char* field)
{
    uint8_t hour = 0, minute = 0, second = 0;
    uint16_t ms = 0;
    if (!ParseTime(field, hour, minute, second, ms))
        return;
    const int32_t time = ((hour * 60 + minute) * 60 + second) * 1000 + ms;
    if (data.epochCount == 0 || time != epochTimeMs) {
        epochTimeMs = time;
        ++data.epochCount;
    }
}

const char* CNmeaParser::NextField()
{
    if (fieldsDone) return nullptr;
    const uint16_t start = cursor;
    uint16_t pos = start;
    while (pos < fieldLength && fields[pos] != ',') ++pos;
    if (pos < fieldLength) {
        fields[pos] = '\0';
        cursor = static_cast<uint16_t>(pos + 1);
    } else {
        fieldsDone = true;
    }
    return pos == start ? nullptr : fields + start;
}

void CNmeaParser::DecodeGga()
{
    const int previousSeconds = data.ggaHour * 3600 + data.ggaMinute * 60 + data.ggaSecond;
    const double previousAltitude = data.altitude;

    const char* time = NextField();
    NoteEpochTime(time);
    ParseTime(time, data.ggaHour, data.ggaMinute, data.ggaSecond, data.ggaMillisecond);
    const bool haveLatitude = ParseCoordinate(NextField(), 2, data.ggaLatitude);
    const char* ns = NextField();
    if (haveLatitude && ns && ns[0] == 'S') data.ggaLatitude = -data.ggaLatitude;
    const bool haveLongitude = ParseCoordinate(NextField(), 3, data.ggaLongitude);
    const char* ew = NextField();
    if (haveLongitude && ew && ew[0] == 'W') data.ggaLongitude = -data.ggaLongitude;
    const char* quality = NextField();
    data.fixQuality = quality ? static_cast<uint8_t>(quality[0] - '0') : 0;
    if (const char* used = NextField()) data.satellitesUsed = TwoDigits(used);
    ParseDouble(NextField(), data.hdop);
    ParseDouble(NextField(), data.altitude);

    if (data.ggaCount != 0) {
        int dt = data.ggaHour * 3600 + data.ggaMinute * 60 + data.ggaSecond - previousSeconds;
        if (dt < 0) dt += 86400;
        if (dt != 0) data.verticalSpeed = (data.altitude - previousAltitude) / dt;
    }
    ++data.ggaCount;
    data.ggaEpoch = data.epochCount;
}

void CNmeaParser::DecodeGsa(NmeaSource source)
{
    const char* mode = NextField();
    const char* type = NextField();
    std::array<uint16_t, kFixPrnFields> numbers{};
    int count = 0;
    for (int i = 0; i < kFixPrnFields; ++i)
        if (const uint16_t n = Decimal(NextField()); n != 0)
            numbers[size_t(count++)] = n;
    const double pdop = DoubleOrZero(NextField());
    const double hdop = DoubleOrZero(NextField());
    const double vdop = DoubleOrZero(NextField());
    GnssSystem system = NominalSystem(source);
    if (const char* id = NextField()) { // NMEA 4.10 and later
        const std::optional<GnssSystem> named = SystemOfId(Decimal(id));
        if (!named || (system != GnssSystem::None && *named != system))
            return; // a system we do not know, or one the talker cannot speak for
        system = *named;
    } else if (source == NmeaSource::Gp) {
        system = GnssSystem::None; // older GP lists may carry GLONASS numbers
    }

    if (mode) data.gsaMode = mode[0];
    if (type) data.fixType = static_cast<uint8_t>(type[0] - '0');
    used.Add(data.epochCount, source, system, numbers.data(), count);
    data.pdop = pdop;
    data.gsaHdop = hdop;
    data.vdop = vdop;
    ++data.gsaCount;
}

void CNmeaParser::DecodeGsv(NmeaSource source)
{
    const char* total = NextField();
    if (!total || !IsDigit(total[0])) return;
    const uint16_t messages = Decimal(total);
    if (messages < 1 || messages > 8) return;
    const char* number = NextField();
    if (!number || !IsDigit(number[0])) return;
    const uint16_t message = Decimal(number);
    if (message < 1 || message > messages) return; // message 0 has no entries
    GnssSky::Message m;
    m.messages = static_cast<uint8_t>(messages);
    m.number = static_cast<uint8_t>(message);
    m.inView = Decimal(NextField());

    // Four fields a satellite; one more at the end is the signal id of NMEA 4.10.
    std::array<const char*, 17> rest{};
    size_t count = 0;
    while (!fieldsDone && count < rest.size())
        rest[count++] = NextField();
    if (!fieldsDone)
        count = 16; // overlong: no signal id can be told apart
    else if (count % 4 == 1) {
        const char* signal = rest[--count];
        const int value = signal && signal[1] == '\0' ? HexValue(uint8_t(signal[0])) : -1;
        m.signal = static_cast<uint8_t>(value < 0 ? 0 : value);
    }
    m.blockCount = static_cast<int>((count + 3) / 4);
    for (size_t k = 0; k < size_t(m.blockCount); ++k) {
        GnssSky::Block& b = m.blocks[k];
        const auto field = [&](size_t i) { return 4 * k + i < count ? Decimal(rest[4 * k + i]) : uint16_t(0); };
        b = {field(0), field(1), field(2), field(3)};
    }
    sky.Add(data.epochCount, source, m, used, data);
    ++data.gsvCount;
}

void CNmeaParser::DecodeRmc()
{
    const char* time = NextField();
    NoteEpochTime(time);
    ParseTime(time, data.rmcHour, data.rmcMinute, data.rmcSecond, data.rmcMillisecond);
    const char* status = NextField();
    data.rmcStatus = status ? status[0] : 'V';
    const bool haveLatitude = ParseCoordinate(NextField(), 2, data.rmcLatitude);
    const char* ns = NextField();
    if (haveLatitude && ns && ns[0] == 'S') data.rmcLatitude = -data.rmcLatitude;
    const bool haveLongitude = ParseCoordinate(NextField(), 3, data.rmcLongitude);
    const char* ew = NextField();
    if (haveLongitude && ew && ew[0] == 'W') data.rmcLongitude = -data.rmcLongitude;
    data.speedKnots = DoubleOrZero(NextField());
    data.courseDegrees = DoubleOrZero(NextField());
    const char* date = NextField();
    if (SixDigits(date)) {
        data.day = static_cast<uint8_t>(Pair(date, 0));
        data.month = static_cast<uint8_t>(Pair(date, 2));
        const int yy = Pair(date, 4);
        data.year = static_cast<uint16_t>(yy < 70 ? yy + 2000 : yy + 1900);
    }
    data.magneticVariation = DoubleOrZero(NextField());
    const char* direction = NextField();
    if (direction && direction[0] == 'W') data.magneticVariation = -data.magneticVariation;
    ++data.rmcCount;
    data.rmcTick = chunkTick;
    data.rmcEpoch = data.epochCount;
}
