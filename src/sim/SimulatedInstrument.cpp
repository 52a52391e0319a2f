#include "sim/SimulatedInstrument.h"

#include "instrument/InstrumentFrames.h"

namespace {

constexpr size_t kFrameHead = 6; // 02 F1 cmd len 00 header

// The header byte the instrument accepts for each command.
std::optional<uint8_t> ExpectedHeader(uint8_t command, uint8_t length)
{
    if (command == frames::kSeries)
        return length == 2 ? std::optional<uint8_t>(0xF5) : std::nullopt;
    if (frames::ReplySize(command) == 0)
        return std::nullopt;
    return static_cast<uint8_t>(0xF1 + command + length);
}

void Put24(std::vector<uint8_t>& reply, size_t offset, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    reply[offset] = static_cast<uint8_t>(v >> 16);
    reply[offset + 1] = static_cast<uint8_t>(v >> 8);
    reply[offset + 2] = static_cast<uint8_t>(v);
}

} // namespace

SimulatedInstrument::SimulatedInstrument(InstrumentOptions options, CalibrationSet calibration)
    : options_(options), calibration_(std::move(calibration)), model_(calibration_), random_(options.noise.seed)
{
}

std::vector<std::vector<uint8_t>> SimulatedInstrument::Receive(const uint8_t* data, size_t size)
{
    pending_.insert(pending_.end(), data, data + size);
    std::vector<std::vector<uint8_t>> replies;
    size_t start = 0;
    while (pending_.size() - start >= kFrameHead) {
        const uint8_t* f = pending_.data() + start;
        uint8_t length = f[3];
        std::optional<uint8_t> header = ExpectedHeader(f[2], length);
        bool head = f[0] == 0x02 && f[1] == 0xF1 && f[4] == 0x00 && (length == 1 || length == 2) && header &&
                    f[5] == *header;
        if (!head) {
            ++start; // resynchronise on the next byte
            continue;
        }
        size_t frameSize = kFrameHead + length + 1;
        if (pending_.size() - start < frameSize)
            break;
        if (f[frameSize - 1] != 0x03) {
            ++start;
            continue;
        }
        ++commands_;
        if (auto reply = Answer(f[2], f + kFrameHead))
            replies.push_back(std::move(*reply));
        start += frameSize;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
    return replies;
}

std::optional<std::vector<uint8_t>> SimulatedInstrument::Answer(uint8_t command, const uint8_t* payload)
{
    if (options_.faults.noAnswer)
        return std::nullopt;
    switch (command) {
    case frames::kReadSelected:
    case frames::kReadAll:
        return Deliver(Reading(static_cast<uint16_t>(payload[0] << 8 | payload[1])));
    case frames::kSeries:
        return Deliver(Reading(0x3FFF));
    case frames::kBattery:
        return Deliver({static_cast<uint8_t>(options_.batteryCentivolts >> 8),
                        static_cast<uint8_t>(options_.batteryCentivolts & 0xFF)});
    default:
        return std::nullopt;
    }
}

std::pair<double, double> SimulatedInstrument::WalkPosition(uint32_t k) const
{
    const SurveyWalk& walk = options_.walk;
    if (walk.xSize == 0)
        return {k * walk.xStep, 0.0};
    uint32_t profile = k / walk.xSize;
    uint32_t station = k % walk.xSize;
    if (profile % 2 == 1)
        station = walk.xSize - 1 - station;
    return {station * walk.xStep, profile * walk.yStep};
}

std::vector<uint8_t> SimulatedInstrument::Reading(uint16_t mask)
{
    mask &= 0x3FFF;
    std::vector<uint8_t> reply(frames::kReadingReplySize, 0);
    auto [x, y] = position_ ? *position_ : WalkPosition(readings_);
    if (!options_.faults.emptyReply) {
        // The full model of the ground below, as the instrument measures it; a ground the
        // model cannot compute reads as no ground at all.
        FrequencyMask used{};
        for (int i = 0; i < kFrequencyCount; ++i)
            used[size_t(i)] = (mask >> i & 1) != 0;
        ModelResponse z{};
        model_.Evaluate(options_.ground.EarthBelow(x, y), used, z);
        std::normal_distribution<double> gauss;
        const InstrumentNoise& noise = options_.noise;
        for (int i = 0; i < kFrequencyCount; ++i) {
            if (!used[size_t(i)])
                continue;
            std::complex<double> v = z[size_t(i)];
            if (noise.relative > 0 || noise.units > 0) {
                const double unit = noise.units * SimulatedUnit(calibration_, i);
                v += std::complex<double>(std::hypot(noise.relative * v.real(), unit) * gauss(random_),
                                          std::hypot(noise.relative * v.imag(), unit) * gauss(random_));
            }
            ChannelValues values = SimulatedChannel(calibration_, i, v);
            for (size_t k = 0; k < 4; ++k)
                Put24(reply, 12 * static_cast<size_t>(i) + 3 * k, values[k]);
        }
        reply[168] = static_cast<uint8_t>(mask & 0xFF);
        reply[169] = static_cast<uint8_t>(mask >> 8);
    }
    const InstrumentFaults& faults = options_.faults;
    bool changed = faults.serialChangeAfter != 0 && readings_ >= faults.serialChangeAfter;
    reply[175] = changed ? faults.changedSerial : options_.serial;
    ++readings_;
    return reply;
}

std::vector<uint8_t> SimulatedInstrument::Deliver(std::vector<uint8_t> reply)
{
    const InstrumentFaults& faults = options_.faults;
    if (faults.cutReplyTo != 0 && faults.cutReplyTo < reply.size())
        reply.resize(faults.cutReplyTo);
    if (faults.vanishAfter != 0 && readings_ > faults.vanishAfter) {
        reply.resize(reply.size() / 2);
        vanished_ = true;
    }
    if (faults.garbageBeforeReply == 0)
        return reply;
    std::vector<uint8_t> out;
    for (size_t k = 0; k < faults.garbageBeforeReply; ++k) {
        garbage_ ^= garbage_ << 13;
        garbage_ ^= garbage_ >> 17;
        garbage_ ^= garbage_ << 5;
        out.push_back(static_cast<uint8_t>(garbage_));
    }
    out.insert(out.end(), reply.begin(), reply.end());
    return out;
}
