// Writes the seed corpora of the session, NMEA and instrument-reply fuzz targets, and a
// journal of positions with their qualities, from the program's own output and the GPS test
// logs: make_fuzz_seeds <repository root>.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gps/NmeaTestSentences.h"
#include "instrument/InstrumentFrames.h"
#include "session/JournalFormat.h"
#include "settings/CSettings.h"
#include "sim/NmeaGenerator.h"
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

std::string Session(int32_t workType, int32_t xSize, int32_t ySize, bool series, int measures)
{
    CSettings& settings = CSettings::Instance();
    settings.SetDefaults();
    settings.workType = workType;
    settings.xSize = xSize;
    settings.ySize = ySize;
    settings.xStep = 2.5f;
    settings.yStep = 10.0f;
    settings.headerText1 = "Участок 3";
    std::unique_ptr<DataSet> dataSet;
    if (workType == kWorkGpsTrack)
        dataSet = std::make_unique<TrackDataSet>(settings);
    else
        dataSet = std::make_unique<SurveyDataSet>(settings);
    ScriptedSource source;
    source.series = series;
    for (int k = 0; k < measures; ++k)
        source.Measure(*dataSet);
    if (TrackDataSet* track = AsTrack(*dataSet))
        for (uint32_t k = 0; k < track->RecordCount(); ++k)
            track->SetFix(k, GpsFix{55.75 + k * 1e-4, 37.62 - k * 1e-4, track->Record(k).TimeStamp(),
                                    GpsFixQuality{uint8_t(k % 3), 3, uint8_t(6 + k), 0.8 + 0.1 * k, 150 * k, k != 2}});
    ByteWriter file;
    dataSet->Serialize(file, false);
    return file.Data();
}

// A track journal of the current layout: readings and later positions with qualities.
std::string TrackJournal()
{
    std::string bytes = journal::FileHeader();
    journal::Begin begin;
    begin.track = true;
    begin.workType = kWorkGpsTrack;
    journal::AppendEntry(bytes, journal::kBegin, journal::EncodeBegin(begin));
    journal::AppendEntry(bytes, journal::kState, journal::EncodeState({}));
    for (uint32_t k = 0; k < 3; ++k) {
        journal::Reading reading;
        reading.index = k;
        reading.record = testing_support::SampleRecord(k + 1);
        reading.positionA = k + 1;
        reading.fix.tick = reading.record.TimeStamp();
        journal::AppendEntry(bytes, journal::kTrackReading, journal::EncodeReading(reading, true));
        const GpsFix placed{55.75 + k * 1e-4, 37.62, reading.fix.tick, GpsFixQuality{1, 3, 9, 1.2, 300, k != 1}};
        journal::AppendEntry(bytes, journal::kFix, journal::EncodeFix(k, placed));
    }
    journal::AppendEntry(bytes, journal::kCurrentFix, journal::EncodeCurrentFix({55.76, 37.62, 5000}));
    return bytes;
}

// Four read sizes, then the stream: the first 1.5 KB of each log, cut at a sentence start.
void NmeaSeeds(const fs::path& logs, const fs::path& dir)
{
    Write(dir / "literature.nmea", std::string("\x01\x07\x1f\x03", 4) + kGga + kGsa + kGsv + kRmc);
    Write(dir / "unchecked.nmea", std::string("\x10\x10\x10\x10", 4) + "$GPRMC,000001.5,V,,,,,,,010170,,\r\n" +
                                      Sentence("GNGGA,235959.99,5545.123,S,03737.456,W,2,12,0.8,-12.5,M,,M,,"));
    // Four constellations as an NMEA 4.11 receiver sends them, the second epoch without a fix.
    GpsEpoch epoch;
    epoch.utcMs = 1717230000000;
    epoch.latitude = 55.7;
    epoch.longitude = 37.5;
    const NmeaGenerator multi(false, true);
    std::string twoEpochs = multi.Epoch(epoch);
    epoch.utcMs += 1000;
    epoch.valid = false;
    twoEpochs += multi.Epoch(epoch);
    Write(dir / "four_constellations.nmea", std::string("\x03\x1f\x00\x11", 4) + twoEpochs);
    // Two GNGSA without system ids, signals of one talker, a cycle broken off, an unknown
    // system id.
    Write(dir / "mixed_talkers.nmea",
          std::string("\x05\x09\x1f\x02", 4) + Sentence("GNRMC,101500.00,A,5545.2,N,03737.6,E,0.2,,150624,,,A") +
              Sentence("GNGSA,A,3,02,05,12,,,,,,,,,,1.9,1.0,1.6") + Sentence("GNGSA,A,3,66,67,,,,,,,,,,,1.9,1.0,1.6") +
              Sentence("GNGSA,A,3,03,,,,,,,,,,,,1.9,1.0,1.6,6") +
              Sentence("GPGSV,1,1,02,05,40,083,41,13,62,201,44,1") + Sentence("GPGSV,1,1,01,05,40,083,47,6") +
              Sentence("GLGSV,3,1,09,65,10,010,20,66,30,060,29,67,55,119,33,68,10,020,21") +
              Sentence("GQGSV,1,1,01,193,71,178,43") + Sentence("GNGLL,,,,,,V,N"));
    for (const auto& entry : fs::directory_iterator(logs))
        if (entry.path().extension() == ".log") {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string text(std::istreambuf_iterator<char>(in), {});
            Write(dir / (entry.path().stem().string() + ".nmea"),
                  std::string("\x01\x0d\x1f\x02", 4) + text.substr(0, text.find('$', 1500)));
        }
}

// An instrument-reply script: a start byte (1: the clock near its wrap), then operations,
// each a code, the bytes its flags ask for (stale bytes, mask), and for exchanges its
// pieces as (ms after the previous one, bytes).
struct Script {
    std::string bytes;
    Script& Op(uint8_t code, const std::vector<std::pair<uint16_t, std::string>>& pieces = {},
               const std::string& flagged = {})
    {
        bytes += char(code) + flagged;
        if ((code & 7) % 6 >= 4)
            return *this;
        bytes += char(pieces.size());
        for (const auto& [after, piece] : pieces)
            bytes += std::string{char(after & 0xFF), char(after >> 8), char(piece.size())} + piece;
        return *this;
    }
};

Script Start(bool nearWrap) { return Script{std::string(1, char(nearWrap))}; }

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
    const std::string r = ReadingReply(0xFF, 0x3F, 9);
    Write(dir / "reading.bin", Start(false).Op(0, {{40, r}}).bytes);
    Write(dir / "reading_in_pieces.bin",
          Start(false).Op(1, {{300, r.substr(0, 10)}, {50, r.substr(10, 90)}, {50, r.substr(100)}}).bytes);
    Write(dir / "series_and_battery.bin",
          Start(true).Op(2, {{900, r.substr(0, 100)}, {2000, r.substr(100)}}).Op(3, {{5, "\x04\xB0"}}).bytes);
    Write(dir / "late_then_stale.bin", Start(false)
                                           .Op(0, {{30000, r.substr(0, 175)}, {15000, "x"}})
                                           .Op(0x08 | 3, {{0, "\x01\x02"}}, "\x03\x55\x66\x77")
                                           .bytes);
    Write(dir / "hang_up_and_reconnect.bin",
          Start(false).Op(0x10, {{10, r.substr(0, 50)}}).Op(3, {{10, "\x01\x02"}}).Op(4).Op(0x20, {{20, r}}, "\x01\x20").bytes);
    Write(dir / "disconnected.bin", Start(false).Op(5).Op(2, {{1, r}}).Op(4).Op(2, {{1, r}}).bytes);
    Write(dir / "no_channels.bin", Start(false).Op(0, {{0, ReadingReply(0, 0xC0, 5)}}).bytes);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <repository root>\n");
        return 2;
    }
    const fs::path root = argv[1];
    CSettings::SetEnvironment({"/nonexistent/lur-seeds/settings.reg", "/nonexistent/lur-seeds/cal.ini", {}});
    const fs::path sessions = root / "fuzz/corpus/session_file";
    Write(sessions / "map.lur", Session(kWorkMap, 3, 2, false, 4));
    Write(sessions / "limited_profile.lur", Session(kWorkLimitedProfile, 5, 1, false, 3));
    Write(sessions / "profile.lur", Session(kWorkProfile, 0, 1, false, 2));
    Write(sessions / "series_map.lur", Session(kWorkMap, 7, 2, true, 1));
    Write(sessions / "track.lur", Session(kWorkGpsTrack, 0, 0, false, 5));
    Write(sessions / "series_track.lur", Session(kWorkGpsTrack, 0, 0, true, 1));
    Write(root / "fuzz/corpus/journal/track_quality.lurj", TrackJournal());
    NmeaSeeds(root / "tests/gps/data", root / "fuzz/corpus/nmea");
    InstrumentSeeds(root / "fuzz/corpus/instrument_reply");
    return 0;
}
