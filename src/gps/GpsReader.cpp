#include "gps/GpsReader.h"

#include <system_error>

#include "gps/EpochFixAssembler.h"
#include "gps/GpsTime.h"
#include "platform/SystemErrorText.h"

namespace {
constexpr size_t kChunkSize = 256;
}

std::string GpsReadFailedText(int errorNumber)
{
    return "Приём данных GPS прерван: " + ReasonInWords(errorNumber) + ". Проверьте приёмник и его порт.";
}

GpsReader::GpsReader(ByteSource& port, CNmeaParser& parser, CGpsPositionService& positions,
                     GpsClockOffset& clockOffset, platform::Prompter& prompter, platform::Clock& ticks)
    : port_(port), parser_(parser), positions_(positions), clockOffset_(clockOffset), prompter_(prompter),
      ticks_(ticks)
{
}

GpsReader::~GpsReader()
{
    Stop();
}

bool GpsReader::Start()
{
    if (running_.load()) return false;
    if (thread_.joinable()) thread_.join(); // a stopped reader may still be in its last read
    running_.store(true);
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        running_.store(false);
        prompter_.Ask(kNmeaReadErrorText, "", platform::PromptButtons::Ok, platform::PromptIcon::Error);
        return false;
    }
    return true;
}

bool GpsReader::RequestStop()
{
    return running_.exchange(false);
}

void GpsReader::Stop()
{
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void GpsReader::Run()
{
    GpsData data{};
    EpochFixAssembler fixes;
    uint32_t lastRmcCount = 0;
    uint8_t buffer[kChunkSize];

    while (running_.load() && port_.IsOpen()) {
        size_t got = 0;
        if (!port_.Read(buffer, kChunkSize, got)) {
            const int error = port_.LastError();
            // A read that fails because a stop closed the port is not an error to show.
            if (error != 0 && running_.load())
                prompter_.Ask(GpsReadFailedText(error), kGpsErrorCaption, platform::PromptButtons::Ok,
                              platform::PromptIcon::Error);
            break;
        }
        if (got == 0) continue;
        parser_.Feed(buffer, got < kChunkSize ? got : kChunkSize, &data);

        if (data.rmcCount != lastRmcCount && data.year >= 2006) {
            // The sentence was completed `age` ms ago; the status need not be 'A'.
            if (const auto utc = RmcDateTime(data)) {
                const uint32_t age = ticks_.Now() - data.rmcTick;
                clockOffset_.Measure(*utc + std::chrono::milliseconds(age));
            }
        }
        lastRmcCount = data.rmcCount;
        const EpochFixAssembler::Fixes ready = fixes.Next(data);
        for (int i = 0; i < ready.count; ++i)
            positions_.OnFix(ready.fix[size_t(i)]);
    }
    running_.store(false);
    port_.Close();
}
