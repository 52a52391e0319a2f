#include "GpsMode.h"

#include "OptionNumber.h"

#include <cstdio>

const char* const kGpsModeUsage =
    "  lursim gps [--link DIR] [--rate HZ] [--time-factor X] [--gn] [--multi-gnss] [--noise N]\n"
    "             [--lag S] [--antenna-ahead M] [--fix-loss FROM:TO]... [--hdop-spike FROM:TO]...\n"
    "      A GPS receiver carried along survey lines at walking speed, sending RMC, GGA, GSA\n"
    "      and GSV at HZ epochs a second (default 1) on a pseudo-terminal; prints \"gps PATH\".\n"
    "      --time-factor runs simulated time X times faster, --gn uses the GN talker,\n"
    "      --multi-gnss sends GPS, GLONASS, Galileo and BeiDou (GN position, a GSA per system,\n"
    "      GSV per talker, NMEA 4.11), --noise adds N bytes of noise after each epoch, --lag\n"
    "      makes each epoch describe the position S seconds (0 to 5) before it is sent,\n"
    "      --antenna-ahead puts the antenna M metres (-10 to 10) ahead of the instrument along\n"
    "      the walk, --fix-loss reports no fix (status V) and --hdop-spike an HDOP of 8.5 from\n"
    "      FROM to TO simulated seconds.\n"
    "  lursim both [instrument and gps options]\n"
    "      Both devices; prints \"instrument PATH\" and \"gps PATH\".\n";

GpsDevice::GpsDevice(GpsSimulatorOptions options) : simulator_(GpsWalker::Default(), std::move(options))
{
}

bool GpsDevice::Start()
{
    return pty_.Create() && simulator_.Start(pty_.MasterFd());
}

void GpsDevice::Stop()
{
    simulator_.Stop();
    pty_.Close();
}

std::unique_ptr<GpsDevice> MakeGpsDevice(std::vector<std::string>& args, std::string& error)
{
    GpsSimulatorOptions options;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        double v = 0;
        auto number = [&](double min, double max) { return TakeNumber(args, i, min, max, v, error); };
        if (a == "--rate") {
            if (!number(0.1, 20))
                return nullptr;
            options.rateHz = v;
        } else if (a == "--time-factor") {
            if (!number(0.01, 1000))
                return nullptr;
            options.timeFactor = v;
        } else if (a == "--gn") {
            options.gnTalker = true;
        } else if (a == "--noise") {
            if (!number(0, 10000))
                return nullptr;
            options.noiseBytes = static_cast<size_t>(v);
        } else if (a == "--multi-gnss") {
            options.multiConstellation = true;
        } else if (a == "--lag") {
            if (!number(0, 5))
                return nullptr;
            options.lagSeconds = v;
        } else if (a == "--antenna-ahead") {
            if (!number(-10, 10))
                return nullptr;
            options.antennaAheadMetres = v;
        } else if (a == "--fix-loss" || a == "--hdop-spike") {
            double from = 0, to = 0;
            char tail = 0;
            if (i + 1 >= args.size() ||
                std::sscanf(args[i + 1].c_str(), "%lf:%lf%c", &from, &to, &tail) != 2 || !(from < to)) {
                error = a + " takes FROM:TO seconds, FROM below TO";
                return nullptr;
            }
            (a == "--fix-loss" ? options.fixLoss : options.hdopSpikes).emplace_back(from, to);
            ++i;
        } else {
            rest.push_back(a);
        }
    }
    args = std::move(rest);
    return std::make_unique<GpsDevice>(std::move(options));
}
