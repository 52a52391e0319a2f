#include "gps/GpsDataJson.h"

#include <charconv>
#include <cstdio>

#include "gps/GnssNumbering.h"

namespace {

class JsonObject {
public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    ~JsonObject() { out_ += '}'; }

    void Number(const char* name, uint64_t value)
    {
        Key(name);
        out_ += std::to_string(value);
    }
    void Real(const char* name, double value)
    {
        Key(name);
        AppendReal(out_, value, false);
    }
    void Degrees(const char* name, double value)
    {
        Key(name);
        AppendReal(out_, value, true);
    }
    void Char(const char* name, char value)
    {
        Key(name);
        const auto c = static_cast<unsigned char>(value);
        char text[16];
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') std::snprintf(text, sizeof text, "\"%c\"", c);
        else std::snprintf(text, sizeof text, "\"\\u%04x\"", c);
        out_ += text;
    }
    void Text(const char* name, const char* value) // plain ASCII without quotes or backslashes
    {
        Key(name);
        out_ += '"';
        out_ += value;
        out_ += '"';
    }
    std::string& Raw(const char* name)
    {
        Key(name);
        return out_;
    }

    static void AppendReal(std::string& out, double value, bool nineDecimals)
    {
        char text[64];
        const auto [end, ec] = nineDecimals
                                   ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 9)
                                   : std::to_chars(text, text + sizeof text, value);
        // JSON has no NaN or infinity; a division by a zero time step cannot occur, but be safe.
        const std::string_view s(text, ec == std::errc() ? static_cast<size_t>(end - text) : 0);
        out += (s.empty() || s.find_first_of("ni") != std::string_view::npos) ? std::string_view("null") : s;
    }

private:
    void Key(const char* name)
    {
        if (!first_) out_ += ',';
        first_ = false;
        out_ += '"';
        out_ += name;
        out_ += "\":";
    }

    std::string& out_;
    bool first_ = true;
};

} // namespace

std::string GpsDataToJson(const GpsData& d)
{
    std::string out;
    out.reserve(4096);
    {
        JsonObject o(out);
        o.Number("sentenceCount", d.sentenceCount);
        o.Number("ggaHour", d.ggaHour);
        o.Number("ggaMinute", d.ggaMinute);
        o.Number("ggaSecond", d.ggaSecond);
        o.Number("ggaMillisecond", d.ggaMillisecond);
        o.Degrees("ggaLatitude", d.ggaLatitude);
        o.Degrees("ggaLongitude", d.ggaLongitude);
        o.Number("fixQuality", d.fixQuality);
        o.Number("satellitesUsed", d.satellitesUsed);
        o.Real("hdop", d.hdop);
        o.Real("altitude", d.altitude);
        o.Real("verticalSpeed", d.verticalSpeed);
        o.Number("ggaCount", d.ggaCount);
        o.Char("gsaMode", d.gsaMode);
        o.Number("fixType", d.fixType);
        std::string& prns = o.Raw("usedPrn");
        prns += '[';
        for (size_t i = 0; i < d.usedPrn.size(); ++i) prns += (i ? "," : "") + std::to_string(d.usedPrn[i]);
        prns += ']';
        std::string& systems = o.Raw("usedSystem");
        systems += '[';
        for (size_t i = 0; i < d.usedSystem.size(); ++i)
            systems += std::string(i ? "," : "") + '"' + GnssSystemName(d.usedSystem[i]) + '"';
        systems += ']';
        o.Real("pdop", d.pdop);
        o.Real("gsaHdop", d.gsaHdop);
        o.Real("vdop", d.vdop);
        o.Number("gsaCount", d.gsaCount);
        o.Number("satellitesInView", d.satellitesInView);
        std::string& sats = o.Raw("satellites");
        sats += '[';
        for (size_t i = 0; i < d.satellites.size(); ++i) {
            if (i) sats += ',';
            JsonObject s(sats);
            s.Number("prn", d.satellites[i].prn);
            s.Number("elevation", d.satellites[i].elevation);
            s.Number("azimuth", d.satellites[i].azimuth);
            s.Number("snr", d.satellites[i].snr);
            s.Number("used", d.satellites[i].used);
            s.Text("system", GnssSystemName(d.satellites[i].system));
        }
        sats += ']';
        o.Number("gsvCount", d.gsvCount);
        std::string& views = o.Raw("systems");
        views += '[';
        for (size_t k = 1; k < d.systems.size(); ++k) {
            if (k > 1) views += ',';
            JsonObject v(views);
            v.Text("system", GnssSystemName(static_cast<GnssSystem>(k)));
            v.Number("used", d.systems[k].used);
            v.Number("inView", d.systems[k].inView);
        }
        views += ']';
        o.Number("rmcHour", d.rmcHour);
        o.Number("rmcMinute", d.rmcMinute);
        o.Number("rmcSecond", d.rmcSecond);
        o.Number("rmcMillisecond", d.rmcMillisecond);
        o.Char("rmcStatus", d.rmcStatus);
        o.Degrees("rmcLatitude", d.rmcLatitude);
        o.Degrees("rmcLongitude", d.rmcLongitude);
        o.Real("speedKnots", d.speedKnots);
        o.Real("courseDegrees", d.courseDegrees);
        o.Number("day", d.day);
        o.Number("month", d.month);
        o.Number("year", d.year);
        o.Real("magneticVariation", d.magneticVariation);
        o.Number("rmcCount", d.rmcCount);
        o.Number("rmcTick", d.rmcTick);
        o.Number("epochCount", d.epochCount);
        o.Number("ggaEpoch", d.ggaEpoch);
        o.Number("rmcEpoch", d.rmcEpoch);
    }
    return out;
}
