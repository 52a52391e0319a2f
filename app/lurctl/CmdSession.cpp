#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "conversion/ReadingConversion.h"
#include "platform/FileIO.h"
#include "settings/CSettings.h"
#include "survey/SessionFile.h"
#include "track/TrackProjection.h"

const char* const kSessionUsage =
    "Usage:\n"
    "  lurctl session info FILE\n"
    "      Work type, grid and steps, calibration key and instrument serial of a session file,\n"
    "      its record count, how many records are measured and the time span they cover; for\n"
    "      a GPS track also the extent of the positioned readings in metres.\n"
    "  lurctl session export FILE [--format csv] [--units adc|apparent]\n"
    "          [--component module|quadrature|inphase] [--resistivity|--conductivity]\n"
    "          [--normalize-current] [--normalize-frequency] [--phase-equalization]\n"
    "          [--subtract-undercompensation] [--filter]\n"
    "      One CSV row per measured station (index, profile, station) or track reading (index,\n"
    "      latitude, longitude, east and north metres from the first positioned reading), then\n"
    "      time stamp (ms ticks), serial and one column per used frequency (named by its\n"
    "      frequency in kHz). Options not given take the values of the settings store; the\n"
    "      calibration set is the one the file names. Apparent resistivity is in ohm·m,\n"
    "      conductivity in mS/m. Neither the settings nor the file are changed.\n"
    "  lurctl session recover [JOURNAL --out FILE.lur] [--journal-dir DIR]\n"
    "      Readings are journaled as they are taken, until the session is saved. Without\n"
    "      JOURNAL, lists the journals left by a crash or a power cut (work type, readings,\n"
    "      time span). With one, rebuilds its data set, saves it as FILE.lur (which must not\n"
    "      exist yet) and says how many readings were recovered; the journal is removed only\n"
    "      after the save succeeded. A damaged journal gives every reading before the damage.\n";

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "lurctl session: %s\n", message.c_str());
    return 1;
}

bool ReadSession(const std::string& path, SessionImage& image, std::string& error)
{
    std::string bytes;
    const platform::FileResult read = platform::ReadWholeFile(path, session::kMaxFileSize, bytes);
    if (!read.ok) {
        error = read.error;
        return false;
    }
    const std::string problem = ParseSession(bytes, image);
    if (!problem.empty())
        error = path + ": " + problem;
    return problem.empty();
}

const char* WorkTypeName(const SessionImage& image)
{
    if (image.track)
        return "GPS track (31)";
    if (image.y > 1)
        return "map (2)";
    return (image.openProfileFlag & 1) ? "profile (4)" : "limited profile (3)";
}

bool Positioned(const GpsFix& fix) { return fix.latitude != 0 || fix.longitude != 0; }

// Index of the first reading with a position: the origin of east/north.
const GpsFix* FirstPositioned(const SessionImage& image)
{
    for (const GpsFix& fix : image.fixes)
        if (Positioned(fix))
            return &fix;
    return nullptr;
}

int Info(const std::string& path)
{
    SessionImage image;
    std::string error;
    if (!ReadSession(path, image, error))
        return Fail(error);
    std::printf("file: %s\nwork type: %s\n", path.c_str(), WorkTypeName(image));
    if (!image.track)
        std::printf("grid: %u stations x %u profiles\nsteps: %.9g x %.9g\n", image.x, image.y, image.xStep,
                    image.yStep);
    std::printf("calibration: %02u/%02u/%u\nserial: %u\n", image.key.day, image.key.month, image.key.year,
                image.key.serial);
    size_t measured = 0;
    uint32_t first = std::numeric_limits<uint32_t>::max(), last = 0;
    for (const MeasurementRecord& record : image.records) {
        if (record.Empty())
            continue;
        ++measured;
        first = std::min(first, record.TimeStamp());
        last = std::max(last, record.TimeStamp());
    }
    std::printf("records: %zu\nmeasured: %zu\n", image.records.size(), measured);
    if (measured)
        std::printf("time span: %u .. %u ms (%.3f s)\n", first, last, (last - first) / 1000.0);
    for (size_t i = 0; i < 3; ++i)
        if (!image.texts[i].empty())
            std::printf("text %zu: %s\n", i + 1, image.texts[i].c_str());
    if (image.track) {
        const GpsFix* origin = FirstPositioned(image);
        if (!origin) {
            std::printf("extent: no positioned readings\n");
            return 0;
        }
        const TrackProjection projection(*origin);
        double minE = 0, maxE = 0, minN = 0, maxN = 0;
        for (const GpsFix& fix : image.fixes) {
            if (!Positioned(fix))
                continue;
            double east = 0, north = 0;
            projection.Project(fix, east, north);
            minE = std::min(minE, east);
            maxE = std::max(maxE, east);
            minN = std::min(minN, north);
            maxN = std::max(maxN, north);
        }
        std::printf("extent: %.1f m east-west x %.1f m north-south\n", maxE - minE, maxN - minN);
    }
    return 0;
}

// Settings-store defaults overridden by the options; false with `error` on a bad value.
bool ConversionOptions(Args& args, ConversionSettings& c, std::string& error)
{
    if (auto units = args.TakeOption("--units")) {
        if (*units != "adc" && *units != "apparent")
            return error = "--units is adc or apparent", false;
        c.unitMeasure = *units == "adc" ? 0 : 1;
    }
    if (auto component = args.TakeOption("--component")) {
        const char* names[] = {"module", "quadrature", "inphase"};
        auto it = std::find(std::begin(names), std::end(names), *component);
        if (it == std::end(names))
            return error = "--component is module, quadrature or inphase", false;
        c.signalComponent = int32_t(it - std::begin(names));
    }
    const bool resistivity = args.TakeFlag("--resistivity");
    const bool conductivity = args.TakeFlag("--conductivity");
    if (resistivity && conductivity)
        return error = "--resistivity and --conductivity exclude each other", false;
    if (resistivity)
        c.apparentValueKind = 0;
    if (conductivity)
        c.apparentValueKind = 1;
    c.normalizeToCurrent |= args.TakeFlag("--normalize-current");
    c.normalizeToFrequency |= args.TakeFlag("--normalize-frequency");
    c.phaseEqualization |= args.TakeFlag("--phase-equalization");
    c.subtractUndercompensation |= args.TakeFlag("--subtract-undercompensation");
    c.applySignalFilter |= args.TakeFlag("--filter");
    return true;
}

int Export(const std::string& path, ConversionSettings c)
{
    SessionImage image;
    std::string error;
    if (!ReadSession(path, image, error))
        return Fail(error);
    CalibrationKey key = image.key;
    const CalibrationSet calibration = CSettings::Instance().calibrations.SelectSet(key);
    // As opening does: the used frequencies are those of the first measured record.
    for (const MeasurementRecord& record : image.records) {
        if (!record.Empty()) {
            for (int i = 0; i < kFrequencyCount; ++i)
                c.usedFrequencies[size_t(i)] = record.ChannelPresent(i) ? 1 : 0;
            break;
        }
    }

    std::fputs(image.track ? "index,latitude,longitude,east_m,north_m,time_ms,serial"
                           : "index,profile,station,time_ms,serial",
               stdout);
    for (int i = 0; i < kFrequencyCount; ++i)
        if (c.usedFrequencies[size_t(i)])
            std::printf(",%.6g kHz", calibration.F[size_t(i)]);
    std::printf("\n");

    const GpsFix* origin = FirstPositioned(image);
    const TrackProjection projection(origin ? *origin : GpsFix{});
    const uint32_t width = image.x != 0 ? image.x : 1;
    std::array<float, kFrequencyCount> values{};
    for (size_t k = 0; k < image.records.size(); ++k) {
        const MeasurementRecord& record = image.records[k];
        if (record.Empty())
            continue;
        if (image.track) {
            const GpsFix& fix = image.fixes[k];
            double east = 0, north = 0;
            if (Positioned(fix))
                projection.Project(fix, east, north);
            std::printf("%zu,%.8f,%.8f,%.2f,%.2f", k, fix.latitude, fix.longitude, east, north);
        } else {
            const uint32_t p = uint32_t(k / width), r = uint32_t(k % width);
            std::printf("%zu,%u,%u", k, p, p % 2 == 0 ? r : width - 1 - r);
        }
        std::printf(",%u,%u", record.TimeStamp(), record.SerialNumber());
        ConvertSpectrum(c, calibration, record, values);
        for (int i = 0; i < kFrequencyCount; ++i)
            if (c.usedFrequencies[size_t(i)])
                std::printf(",%.9g", double(values[size_t(i)]));
        std::printf("\n");
    }
    return 0;
}

} // namespace

int RunSession(const std::vector<std::string>& words)
{
    if (!words.empty() && words[0] == "recover")
        return RunSessionRecover(std::vector<std::string>(words.begin() + 1, words.end()));
    Args args(words);
    ConversionSettings conversion = ConversionSettingsFrom(CSettings::Instance());
    std::string error;
    const auto format = args.TakeOption("--format");
    if (!ConversionOptions(args, conversion, error))
        return UsageError("session", error);
    std::vector<std::string> positional;
    if (!args.Finish(2, 2, positional))
        return UsageError("session", args.Error());
    if (positional[0] == "info")
        return Info(positional[1]);
    if (positional[0] != "export")
        return UsageError("session", "\"info\", \"export\" or \"recover\" expected");
    if (format && *format != "csv")
        return UsageError("session", "the only export format is csv");
    return Export(positional[1], conversion);
}
