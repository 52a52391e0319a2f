#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileIO.h"

namespace platform {

// One value: a 32-bit integer (4 little-endian bytes), raw bytes, or UTF-8 text.
struct RegistryValue {
    enum class Kind { Dword, Binary, String };
    Kind kind = Kind::Binary;
    std::string bytes;

    bool operator==(const RegistryValue&) const = default;
};

// A small hierarchical key/value store in the shape of the Windows registry, kept as one
// human-readable text file (".reg" style). Keys are backslash-separated paths; the empty
// value name is the key's unnamed default value. Not thread-safe: the UI thread owns it.
class Registry {
public:
    const RegistryValue* Find(const std::string& key, const std::string& name) const;
    void SetDword(const std::string& key, const std::string& name, uint32_t value);
    void SetBinary(const std::string& key, const std::string& name, std::string_view bytes);
    void SetString(const std::string& key, const std::string& name, std::string_view text);

    std::string Serialize() const;
    // Lines that cannot be read are skipped; each one adds a problem text.
    static Registry Parse(std::string_view text, std::vector<std::string>& problems);

    // A missing file is an empty store and no problem.
    static Registry LoadFile(const std::string& path, std::vector<std::string>& problems);
    FileResult SaveFile(const std::string& path) const;

    bool operator==(const Registry&) const = default;

private:
    std::map<std::string, std::map<std::string, RegistryValue>> keys_;
};

} // namespace platform
