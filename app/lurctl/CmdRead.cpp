#include <array>
#include <cstdio>
#include <sstream>

#include "Args.h"
#include "Commands.h"
#include "InstrumentSession.h"
#include "survey/Calibration.h"
#include "Commands.h"

const char* const kReadUsage =
    "Usage:\n"
    "  lurctl read --port DEV [--series] [--frequencies N,N,...]\n"
    "      Takes one reading from the instrument on DEV (a device path, or COMn: through the\n"
    "      \"Serial ports\" section of the settings file) and prints the decoded reply: serial\n"
    "      number, presence bits, time stamp, and for each present frequency the signal\n"
    "      quadrature and in-phase values (shifted right by 7) and the current pair.\n"
    "      --frequencies lists the frequencies to measure, 1 to 14 (default: all).\n"
    "      --series asks for the 14 single-frequency readings of the tracer mode instead.\n"
    "      Exit status 1 when the instrument gives no complete reply.\n";

namespace {

bool ParseFrequencies(const std::string& text, uint16_t& mask)
{
    mask = 0;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        std::optional<long> n = ParseInteger(item, 1, kFrequencyCount);
        if (!n)
            return false;
        mask = static_cast<uint16_t>(mask | 1u << (*n - 1));
    }
    return mask != 0;
}

void PrintRecord(const MeasurementRecord& record)
{
    std::printf("serial %u\npresence 0x%02X%02X\ntime stamp %u\n", record.bytes[175], record.bytes[169],
                record.bytes[168], record.TimeStamp());
    std::printf("freq  quadrature    in-phase   current re   current im\n");
    for (int i = 0; i < kFrequencyCount; ++i)
        if (record.ChannelPresent(i))
            std::printf("%4d %11d %11d %12d %12d\n", i + 1, record.SignalQuadrature(i), record.SignalInphase(i),
                        record.CurrentReal(i), record.CurrentImaginary(i));
}

} // namespace

int RunRead(const std::vector<std::string>& words)
{
    Args args(words);
    std::optional<std::string> port = args.TakeOption("--port");
    bool series = args.TakeFlag("--series");
    std::optional<std::string> frequencies = args.TakeOption("--frequencies");
    std::vector<std::string> positional;
    if (!args.Finish(0, 0, positional))
        return UsageError("read", args.Error());
    if (!port)
        return UsageError("read", "--port DEV is needed");
    uint16_t mask = 0x3FFF;
    if (frequencies && !ParseFrequencies(*frequencies, mask))
        return UsageError("read", "--frequencies takes numbers from 1 to 14 separated by commas");

    InstrumentSession session(mask);
    std::string error;
    if (!session.Open(*port, error)) {
        std::fprintf(stderr, "lurctl read: %s\n", error.c_str());
        return 1;
    }
    if (series) {
        ReadingSeries records{};
        if (!session.RequestSeries(records)) {
            std::fprintf(stderr, "lurctl read: no complete reply from the instrument\n");
            return 1;
        }
        for (size_t k = 0; k < records.size(); ++k) {
            std::printf("record %zu\n", k + 1);
            PrintRecord(records[k]);
        }
        return 0;
    }
    MeasurementRecord record{};
    if (!session.RequestReading(record)) {
        std::fprintf(stderr, "lurctl read: no complete reply, or a reply without any measured frequency\n");
        return 1;
    }
    PrintRecord(record);
    return 0;
}
