#include "InstrumentMode.h"
#include "OptionNumber.h"


#include "survey/Calibration.h"

const char* const kInstrumentModeUsage =
    "  lursim instrument [--link DIR] [--serial N] [--battery CENTIVOLTS] [--delay MS] [--pacing]\n"
    "                    [--xsize N] [--xstep M] [--ystep M]\n"
    "                    [--no-answer] [--cut N] [--empty] [--garbage N]\n"
    "                    [--serial-change-after N --changed-serial M] [--vanish-after N]\n"
    "      A simulated instrument on a pseudo-terminal; prints \"instrument PATH\".\n"
    "      --delay waits before each reply, --pacing sends at 9600-baud speed; the grid\n"
    "      options set the serpentine walk over the simulated ground. Faults: never answer,\n"
    "      send only N bytes of each reply, replies without measured frequencies, N bytes of\n"
    "      noise before each reply, another serial number after N readings, the line going\n"
    "      dead halfway through the reply after N readings (as when the instrument is\n"
    "      switched off).\n";


std::unique_ptr<InstrumentSimulator> MakeInstrumentSimulator(std::vector<std::string>& args, std::string& error)
{
    InstrumentOptions options;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        double v = 0;
        auto number = [&](double min, double max) { return TakeNumber(args, i, min, max, v, error); };
        if (a == "--serial") {
            if (!number(0, 255))
                return nullptr;
            options.serial = static_cast<uint8_t>(v);
        } else if (a == "--battery") {
            if (!number(0, 65535))
                return nullptr;
            options.batteryCentivolts = static_cast<uint16_t>(v);
        } else if (a == "--delay") {
            if (!number(0, 600000))
                return nullptr;
            options.measurementDelayMs = static_cast<uint32_t>(v);
        } else if (a == "--pacing") {
            options.pacing = true;
        } else if (a == "--xsize") {
            if (!number(0, 100000))
                return nullptr;
            options.walk.xSize = static_cast<uint32_t>(v);
        } else if (a == "--xstep") {
            if (!number(0.001, 100000))
                return nullptr;
            options.walk.xStep = v;
        } else if (a == "--ystep") {
            if (!number(0.001, 100000))
                return nullptr;
            options.walk.yStep = v;
        } else if (a == "--no-answer") {
            options.faults.noAnswer = true;
        } else if (a == "--cut") {
            if (!number(1, 175))
                return nullptr;
            options.faults.cutReplyTo = static_cast<size_t>(v);
        } else if (a == "--empty") {
            options.faults.emptyReply = true;
        } else if (a == "--garbage") {
            if (!number(1, 1000))
                return nullptr;
            options.faults.garbageBeforeReply = static_cast<size_t>(v);
        } else if (a == "--serial-change-after") {
            if (!number(1, 1e9))
                return nullptr;
            options.faults.serialChangeAfter = static_cast<uint32_t>(v);
        } else if (a == "--vanish-after") {
            if (!number(1, 1e9))
                return nullptr;
            options.faults.vanishAfter = static_cast<uint32_t>(v);
        } else if (a == "--changed-serial") {
            if (!number(0, 255))
                return nullptr;
            options.faults.changedSerial = static_cast<uint8_t>(v);
        } else {
            rest.push_back(a);
        }
    }
    args = std::move(rest);
    return std::make_unique<InstrumentSimulator>(options, BuiltInCalibrationSet());
}
