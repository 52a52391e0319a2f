#include "survey/CalibrationStore.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/ConfigDirectory.h"
#include "platform/FileIO.h"

namespace {

constexpr size_t kMaxLineBytes = 1023;
// "\tComment=" + two quotes + text + "\n" must fit in one line the reader accepts.
constexpr size_t kMaxCommentBytes = kMaxLineBytes - 12;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// One line of at most kMaxLineBytes; the rest of a longer line is dropped rather than
// read as a line of its own, which could turn the tail of a comment into a key.
bool ReadLine(std::FILE* f, std::string& line)
{
    char buffer[kMaxLineBytes + 1];
    if (!std::fgets(buffer, sizeof buffer, f))
        return false;
    line.assign(buffer, std::strlen(buffer));
    if (!line.empty() && line.back() != '\n') {
        int c;
        while ((c = std::fgetc(f)) != EOF && c != '\n') {
        }
    }
    return true;
}

void StripComment(std::string& line)
{
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted && c == '\\') {
            ++i;
        } else if (!quoted && c == ';') {
            line.resize(i);
            return;
        }
    }
}

std::string_view Trim(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A number that does not parse, or is not finite, leaves the field as it was.
bool ParseNumber(const std::string& text, double& value)
{
    double parsed;
    if (std::sscanf(text.c_str(), "%lf", &parsed) != 1 || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

struct IndexedKey {
    const char* prefix;
    const char* pattern;
    std::array<double, kFrequencyCount> CalibrationSet::*field;
};

constexpr IndexedKey kIndexedKeys[] = {
    {"XP", "XP%d", &CalibrationSet::XP}, {"YP", "YP%d", &CalibrationSet::YP},
    {"CC", "CC%d", &CalibrationSet::CC}, {"XA", "XA%d", &CalibrationSet::XA},
    {"YA", "YA%d", &CalibrationSet::YA}, {"IA", "IA%d", &CalibrationSet::IA},
    {"M1_", "M1_%d", &CalibrationSet::M1}, {"M2_", "M2_%d", &CalibrationSet::M2},
    {"GF", "GF%d", &CalibrationSet::GF},
};

void ApplyKey(const std::string& key, const std::string& value, CalibrationKey& calibrationKey,
              CalibrationSet& set)
{
    if (key == "Date") {
        int day = 1, month = 1, year = 2000;
        std::sscanf(value.c_str(), "%d%*1s%d%*1s%d", &day, &month, &year);
        calibrationKey.day = static_cast<uint8_t>(day);
        calibrationKey.month = static_cast<uint8_t>(month);
        calibrationKey.year = static_cast<uint16_t>(year);
        return;
    }
    if (key == "Comment") {
        set.comment = platform::Cp1251ToUtf8(value);
        return;
    }
    auto storeIndexed = [&](const char* pattern, std::array<double, kFrequencyCount>& field) {
        int n = 0;
        if (std::sscanf(key.c_str(), pattern, &n) == 1 && n >= 1 && n <= kFrequencyCount)
            ParseNumber(value, field[static_cast<size_t>(n - 1)]);
    };
    if (key[0] == 'F') {
        storeIndexed("F%d", set.F);
        return;
    }
    for (const auto& indexed : kIndexedKeys) {
        if (key.compare(0, std::strlen(indexed.prefix), indexed.prefix) == 0) {
            storeIndexed(indexed.pattern, set.*indexed.field);
            return;
        }
    }
    if (key == "rt")
        ParseNumber(value, set.rt);
    else if (key == "nt")
        ParseNumber(value, set.nt);
    else if (key == "r1")
        ParseNumber(value, set.r1);
    else if (key == "r2")
        ParseNumber(value, set.r2);
}

std::string Printf(const char* format, auto... args)
{
    char buffer[512];
    int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}

// "%lG" as the file has always been written, with more digits only when six would
// change the value on reading back.
std::string FormatNumber(double value)
{
    for (int precision = 6; precision <= 17; ++precision) {
        std::string text = Printf("%.*lG", precision, value);
        if (std::strtod(text.c_str(), nullptr) == value)
            return text;
    }
    return Printf("%.17lG", value);
}

// The comment as one value the reader gives back unchanged where the format allows it:
// quoted when a semicolon or edge blanks would otherwise be lost.
std::string CommentValue(const std::string& utf8)
{
    std::string text = platform::Utf8ToCp1251(utf8);
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    if (text.size() > kMaxCommentBytes)
        text.resize(kMaxCommentBytes);
    bool needsQuotes = text.find_first_of(";\"") != std::string::npos ||
                       (!text.empty() && Trim(text).size() != text.size());
    return needsQuotes ? "\"" + text + "\"" : text;
}

} // namespace

std::string CalibrationSectionText(const CalibrationKey& key, const CalibrationSet& set)
{
    std::string out;
    out += Printf("[LUR %hu]\n", key.serial);
    out += Printf("\tDate=%.02d/%.02d/%hu ;in format dd/mm/yyyy\n", key.day, key.month, key.year);
    out += "\tComment=" + CommentValue(set.comment) + "\n";
    auto group = [&](const char* title, const char* name, const std::array<double, kFrequencyCount>& values) {
        out += Printf("\t;%s\n", title);
        for (int n = 1; n <= kFrequencyCount; ++n)
            out += Printf("\t%s%d=", name, n) + FormatNumber(values[static_cast<size_t>(n - 1)]) + "\n";
    };
    group("Frequencies", "F", set.F);
    group("XPrimary", "XP", set.XP);
    group("YPrimary", "YP", set.YP);
    group("CurrentCoef", "CC", set.CC);
    group("XAir", "XA", set.XA);
    group("YAir", "YA", set.YA);
    group("IAir", "IA", set.IA);
    group("M1", "M1_", set.M1);
    group("M2", "M2_", set.M2);
    group("GainFactor", "GF", set.GF);
    out += "\t;R\n";
    out += "\trt=" + FormatNumber(set.rt) + "\n";
    out += "\tnt=" + FormatNumber(set.nt) + "\n";
    out += "\tr1=" + FormatNumber(set.r1) + "\n";
    out += "\tr2=" + FormatNumber(set.r2) + "\n";
    out += "\n";
    return out;
}

CalibrationStore::CalibrationStore(std::string path, OverwriteQuestion ask)
    : path_(std::move(path)), ask_(std::move(ask))
{
    MergeFile(path_);
    modified_ = false;
}

CalibrationStore::~CalibrationStore()
{
    if (modified_)
        SaveFile(path_);
}

bool CalibrationStore::MergeFile(const std::string& path, MergeOutcome* outcome)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        if (outcome)
            outcome->openError = errno;
        return false;
    }
    MergeStream(file.get(), path, outcome);
    return true;
}

void CalibrationStore::MergeStream(std::FILE* file, const std::string& path, MergeOutcome* outcome)
{
    std::string base = path;
    size_t cut = base.rfind('/');
    if (cut == std::string::npos)
        cut = base.rfind('\\');
    if (cut != std::string::npos)
        base.erase(0, cut + 1);
    int fileSerial = 0;
    if (std::sscanf(base.c_str(), "DEruziv_LUR#%d", &fileSerial) != 1)
        fileSerial = 0;

    CalibrationSet set;
    CalibrationKey key{};
    bool sectionOpen = false;
    std::string line;
    while (ReadLine(file, line)) {
        StripComment(line);
        int headerSerial = 0;
        if (std::sscanf(line.c_str(), " [ LUR %d", &headerSerial) == 1) {
            fileSerial = 0;
            if (sectionOpen) {
                StoreResult r = Store(key, set, outcome);
                if (r == StoreResult::Rejected || r == StoreResult::Cancelled)
                    return;
            }
            set = CalibrationSet{};
            key = CalibrationKey{};
            unsigned short serial = 0;
            if (std::sscanf(line.c_str(), " [ LUR %hu", &serial) != 1)
                serial = 0;
            key.serial = serial;
            sectionOpen = serial != 0;
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string name(Trim(std::string_view(line).substr(0, equals)));
        std::string_view value = Trim(std::string_view(line).substr(equals + 1));
        if (!value.empty() && value.front() == '"') {
            value.remove_prefix(1);
            if (!value.empty() && value.back() == '"')
                value.remove_suffix(1);
            value = Trim(value);
        }
        if (!name.empty())
            ApplyKey(name, std::string(value), key, set);
    }
    if (sectionOpen) {
        Store(key, set, outcome);
    } else if (fileSerial != 0) {
        key.serial = static_cast<uint16_t>(fileSerial);
        Store(key, set, outcome);
    }
}

CalibrationStore::StoreResult CalibrationStore::Store(const CalibrationKey& key, CalibrationSet set,
                                                      MergeOutcome* outcome)
{
    if (outcome)
        ++outcome->found;
    for (double f : set.F) {
        if (f == 0.0) {
            if (outcome)
                outcome->rejected = key;
            return StoreResult::Rejected;
        }
    }
    set.ComputeDepthCoefficients();
    auto existing = sets_.find(key);
    if (existing != sets_.end()) {
        if (existing->second.SameAs(set))
            return StoreResult::Kept;
        std::string text = Printf("Калибровочные данные для TORVAL %hu (%.02d/%.02d/%hu) уже существуют. Перезаписать?",
                                  key.serial, key.day, key.month, key.year);
        std::string caption = Printf("Перезаписать TORVAL %hu, %.02d/%.02d/%hu?", key.serial, key.day,
                                     key.month, key.year);
        OverwriteAnswer answer = ask_ ? ask_(text, caption) : OverwriteAnswer::No;
        if (answer == OverwriteAnswer::Cancel) {
            if (outcome)
                outcome->cancelled = true;
            return StoreResult::Cancelled;
        }
        if (answer == OverwriteAnswer::No)
            return StoreResult::Kept;
    }
    sets_[key] = std::move(set);
    modified_ = true;
    return StoreResult::Stored;
}

bool CalibrationStore::SaveFile(const std::string& path)
{
    std::string out;
    for (const auto& [key, set] : sets_)
        out += CalibrationSectionText(key, set);
    if (!platform::MakeDirectories(platform::DirectoryOf(path)) ||
        !platform::WriteFileAtomically(path, out).ok)
        return false;
    modified_ = false;
    return true;
}

bool CalibrationStore::RemoveSet(const CalibrationKey& key)
{
    if (sets_.erase(key) == 0)
        return false;
    modified_ = true;
    return true;
}

const CalibrationSet* CalibrationStore::FindSet(const CalibrationKey& key) const
{
    auto it = sets_.find(key);
    return it == sets_.end() ? nullptr : &it->second;
}

const CalibrationSet& CalibrationStore::SelectSet(CalibrationKey& key) const
{
    if (sets_.empty()) {
        key = kBuiltInCalibrationKey;
        return BuiltInCalibrationSet();
    }
    if (const CalibrationSet* exact = FindSet(key))
        return *exact;
    auto best = sets_.begin();
    for (auto it = std::next(sets_.begin()); it != sets_.end(); ++it) {
        const CalibrationKey& c = it->first;
        const CalibrationKey& b = best->first;
        if (c.serial != key.serial)
            continue;
        if (b.serial != key.serial)
            best = it;
        else if (key < b) {
            if (c < b)
                best = it;
        } else if (!(key < c) && b < c) {
            best = it;
        }
    }
    key = best->first;
    return best->second;
}
