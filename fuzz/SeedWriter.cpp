// Writes the seed corpora of the session, NMEA and instrument-reply fuzz targets from the
// program's own output and the GPS test logs: make_fuzz_seeds <repository root>.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gps/NmeaTestSentences.h"
#include "instrument/InstrumentFrames.h"
#include "settings/CSettings.h"
#include "support/ScriptedSource.h"
#include "survey/ByteStream.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Saved(DataSet& dataSet)
{
    ByteWriter file;
    dataSet.Serialize(file, false);
    return file.Data();
}

std::string Survey(CSettings& settings, int32_t workType, int32_t xSize, int32_t ySize, bool series, int measures)
{
    settings.SetDefaults();
    settings.workType = workType;
    settings.xSize = xSize;
    settings.ySize = ySize;
    settings.xStep = 2.5f;
    settings.yStep = 10.0f;
    settings.tracerModeOn = series;
    settings.headerText1 = "Участок 3";
    SurveyDataSet dataSet(settings);
    ScriptedSource source;
    for (int k = 0; k < measures; ++k)
        dataSet.Measure(source);
    return Saved(dataSet);
}

std::string Track(CSettings& settings, bool series)
{
    settings.SetDefaults();
    settings.workType = kWorkGpsTrack;
    settings.tracerModeOn = series;
    TrackDataSet dataSet(settings);
    ScriptedSource source;
    for (int k = 0; k < (series ? 1 : 5); ++k)
        dataSet.Measure(source);
    for (uint32_t k = 0; k < dataSet.RecordCount(); ++k)
        dataSet.SetFix(k, GpsFix{55.75 + k * 1e-4, 37.62 - k * 1e-4, dataSet.Record(k).TimeStamp()});
    return Saved(dataSet);
}

void SessionSeeds(const fs::path& dir)
{
    CSettings::SetEnvironment({"/nonexistent/lur-seeds/settings.reg", "/nonexistent/lur-seeds/cal.ini", {}});
    CSettings& settings = CSettings::Instance();
    Write(dir / "map.lur", Survey(settings, kWorkMap, 3, 2, false, 4));
    Write(dir / "limited_profile.lur", Survey(settings, kWorkLimitedProfile, 5, 1, false, 3));
    Write(dir / "profile.lur", Survey(settings, kWorkProfile, 0, 1, false, 2));
    Write(dir / "series_map.lur", Survey(settings, kWorkMap, 7, 2, true, 1));
    Write(dir / "track.lur", Track(settings, false));
    Write(dir / "series_track.lur", Track(settings, true));
}

std::string FileText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Four read sizes, then the stream.
void NmeaSeeds(const fs::path& logs, const fs::path& dir)
{
    Write(dir / "literature.nmea", std::string("\x01\x07\x1f\x03", 4) + kGga + kGsa + kGsv + kRmc);
    Write(dir / "unchecked.nmea", std::string("\x10\x10\x10\x10", 4) + "$GPRMC,000001.5,V,,,,,,,010170,,\r\n" +
                                      Sentence("GNGGA,235959.99,5545.123,S,03737.456,W,2,12,0.8,-12.5,M,,M,,"));
    for (const auto& entry : fs::directory_iterator(logs)) {
        if (entry.path().extension() != ".log")
            continue;
        const std::string text = FileText(entry.path());
        // Pieces of about 1.5 KB cut at sentence starts, as a receiver's reads would be.
        size_t at = 0;
        for (int piece = 0; piece < 3 && at < text.size(); ++piece) {
            size_t end = text.find('$', std::min(text.size(), at + 1500));
            end = end == std::string::npos ? text.size() : end;
            const char sizes[4] = {char(1 + piece * 5), char(13), char(31), char(2 + piece)};
            Write(dir / (entry.path().stem().string() + "_" + std::to_string(piece) + ".nmea"),
                  std::string(sizes, 4) + text.substr(at, end - at));
            at = end;
        }
    }
}

// An instrument-reply script: a start byte, then operations.
class Script {
public:
    explicit Script(bool nearWrap) { bytes_.push_back(char(nearWrap)); }
    // Operation code, what its flags ask for (stale bytes, mask), then its pieces as (ms
    // after the previous one, bytes).
    Script& Op(uint8_t code, const std::vector<std::pair<uint16_t, std::string>>& pieces = {},
               const std::string& flagged = {})
    {
        bytes_.push_back(char(code));
        bytes_ += flagged;
        if ((code & 7) % 6 >= 4)
            return *this;
        bytes_.push_back(char(pieces.size()));
        for (const auto& [after, bytes] : pieces) {
            bytes_.push_back(char(after & 0xFF));
            bytes_.push_back(char(after >> 8));
            bytes_.push_back(char(bytes.size()));
            bytes_ += bytes;
        }
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

std::string ReadingReply(uint8_t low, uint8_t high, uint8_t serial)
{
    std::string reply(frames::kReadingReplySize, '\0');
    for (size_t i = 0; i < 168; ++i)
        reply[i] = char(3 * i + 1);
    reply[168] = char(low);
    reply[169] = char(high);
    reply[175] = char(serial);
    return reply;
}

void InstrumentSeeds(const fs::path& dir)
{
    const std::string reply = ReadingReply(0xFF, 0x3F, 9);
    Write(dir / "reading.bin", Script(false).Op(0, {{40, reply}}).Bytes());
    Write(dir / "reading_in_pieces.bin",
          Script(false).Op(1, {{300, reply.substr(0, 10)}, {50, reply.substr(10, 90)}, {50, reply.substr(100)}}).Bytes());
    Write(dir / "series_and_battery.bin",
          Script(true).Op(2, {{900, reply.substr(0, 100)}, {2000, reply.substr(100)}}).Op(3, {{5, "\x04\xB0"}}).Bytes());
    Write(dir / "late_then_stale.bin", Script(false)
                                           .Op(0, {{30000, reply.substr(0, 175)}, {15000, "x"}})
                                           .Op(0x08 | 3, {{0, "\x01\x02"}}, "\x03\x55\x66\x77") // after stale bytes
                                           .Bytes());
    Write(dir / "hang_up_and_reconnect.bin", Script(false)
                                                 .Op(0x10, {{10, reply.substr(0, 50)}})
                                                 .Op(3, {{10, "\x01\x02"}})
                                                 .Op(4)
                                                 .Op(0x20 | 0, {{20, reply}}, "\x01\x20") // another frequency mask
                                                 .Bytes());
    Write(dir / "disconnected.bin", Script(false).Op(5).Op(2, {{1, reply}}).Op(4).Op(2, {{1, reply}}).Bytes());
    Write(dir / "no_channels.bin", Script(false).Op(0, {{0, ReadingReply(0, 0xC0, 5)}}).Bytes());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <repository root>\n");
        return 2;
    }
    const fs::path root = argv[1];
    SessionSeeds(root / "fuzz/corpus/session_file");
    NmeaSeeds(root / "tests/gps/data", root / "fuzz/corpus/nmea");
    InstrumentSeeds(root / "fuzz/corpus/instrument_reply");
    return 0;
}
