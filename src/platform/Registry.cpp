#include "platform/Registry.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#include "platform/ConfigDirectory.h"

namespace platform {
namespace {

constexpr size_t kMaxFileBytes = 4u << 20;
constexpr size_t kMaxValueBytes = 64u << 10;

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\', out += c;
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

// Reads a quoted text at line[pos]; pos ends after the closing quote.
std::optional<std::string> Unquote(std::string_view line, size_t& pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\') {
            if (++pos >= line.size())
                return std::nullopt;
            out += line[pos] == 'n' ? '\n' : line[pos];
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<RegistryValue> ParseData(std::string_view data)
{
    RegistryValue value;
    if (data.starts_with("dword:")) {
        data.remove_prefix(6);
        if (data.empty() || data.size() > 8)
            return std::nullopt;
        uint32_t number = 0;
        for (char c : data) {
            int d = HexDigit(c);
            if (d < 0)
                return std::nullopt;
            number = number << 4 | static_cast<uint32_t>(d);
        }
        value.kind = RegistryValue::Kind::Dword;
        for (int i = 0; i < 4; ++i)
            value.bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
        return value;
    }
    if (data.starts_with("hex:")) {
        data.remove_prefix(4);
        value.kind = RegistryValue::Kind::Binary;
        while (!data.empty()) {
            if (data.size() < 2 || value.bytes.size() >= kMaxValueBytes)
                return std::nullopt;
            int hi = HexDigit(data[0]), lo = HexDigit(data[1]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            value.bytes += static_cast<char>(hi << 4 | lo);
            data.remove_prefix(2);
            if (!data.empty()) {
                if (data[0] != ',' || data.size() == 1)
                    return std::nullopt;
                data.remove_prefix(1);
            }
        }
        return value;
    }
    size_t pos = 0;
    auto text = Unquote(data, pos);
    if (!text || pos != data.size())
        return std::nullopt;
    value.kind = RegistryValue::Kind::String;
    value.bytes = std::move(*text);
    return value;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

const RegistryValue* Registry::Find(const std::string& key, const std::string& name) const
{
    auto k = keys_.find(key);
    if (k == keys_.end())
        return nullptr;
    auto v = k->second.find(name);
    return v == k->second.end() ? nullptr : &v->second;
}

void Registry::SetDword(const std::string& key, const std::string& name, uint32_t value)
{
    RegistryValue v{RegistryValue::Kind::Dword, {}};
    for (int i = 0; i < 4; ++i)
        v.bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    keys_[key][name] = std::move(v);
}

void Registry::SetBinary(const std::string& key, const std::string& name, std::string_view bytes)
{
    keys_[key][name] = RegistryValue{RegistryValue::Kind::Binary, std::string(bytes)};
}

void Registry::SetString(const std::string& key, const std::string& name, std::string_view text)
{
    keys_[key][name] = RegistryValue{RegistryValue::Kind::String, std::string(text)};
}

std::string Registry::Serialize() const
{
    std::string out = "; LurControl settings: dword:hex number, hex:bytes, or \"text\"\n";
    for (const auto& [key, values] : keys_) {
        out += "\n[" + key + "]\n";
        for (const auto& [name, value] : values) {
            out += name.empty() ? std::string("@") : Quote(name);
            out += '=';
            switch (value.kind) {
            case RegistryValue::Kind::Dword: {
                uint32_t number = 0;
                for (size_t i = 0; i < 4 && i < value.bytes.size(); ++i)
                    number |= uint32_t(static_cast<unsigned char>(value.bytes[i])) << (8 * i);
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
                out += buffer;
                break;
            }
            case RegistryValue::Kind::Binary: {
                out += "hex:";
                char buffer[4];
                for (size_t i = 0; i < value.bytes.size(); ++i) {
                    std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x",
                                  static_cast<unsigned char>(value.bytes[i]));
                    out += buffer;
                }
                break;
            }
            case RegistryValue::Kind::String:
                out += Quote(value.bytes);
                break;
            }
            out += '\n';
        }
    }
    return out;
}

Registry Registry::Parse(std::string_view text, std::vector<std::string>& problems)
{
    Registry registry;
    std::string key;
    bool haveKey = false;
    size_t lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        auto problem = [&](const char* what) {
            problems.push_back("line " + std::to_string(lineNumber) + ": " + what);
        };
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                problem("unreadable key header, values under it are ignored");
                haveKey = false;
                continue;
            }
            key = std::string(line.substr(1, line.size() - 2));
            haveKey = true;
            continue;
        }
        std::string name;
        size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (auto quoted = Unquote(line, pos)) {
            name = std::move(*quoted);
        } else {
            problem("unreadable line ignored");
            continue;
        }
        std::string_view rest = Trim(line.substr(pos));
        if (rest.empty() || rest.front() != '=') {
            problem("value without '=' ignored");
            continue;
        }
        auto value = ParseData(Trim(rest.substr(1)));
        if (!value) {
            problem("unreadable value ignored");
            continue;
        }
        if (!haveKey) {
            problem("value outside any key ignored");
            continue;
        }
        registry.keys_[key][name] = std::move(*value);
    }
    return registry;
}

Registry Registry::LoadFile(const std::string& path, std::vector<std::string>& problems)
{
    std::string contents;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return {};
    FileResult read = ReadWholeFile(path, kMaxFileBytes, contents);
    if (!read.ok) {
        problems.push_back(read.error);
        return {};
    }
    std::vector<std::string> lineProblems;
    Registry registry = Parse(contents, lineProblems);
    for (auto& p : lineProblems)
        problems.push_back(path + ": " + p);
    return registry;
}

FileResult Registry::SaveFile(const std::string& path) const
{
    if (!MakeDirectories(DirectoryOf(path))) {
        const int error = errno;
        return {false, FailureText("Cannot create the directory of", path, error), FileFailure::Create, error};
    }
    return WriteFileAtomically(path, Serialize());
}

} // namespace platform
