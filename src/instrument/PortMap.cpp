#include "instrument/PortMap.h"

#include <charconv>
#include <optional>

#include "platform/Registry.h"

namespace {

// The number of "COMn:" (colon optional), or none for anything else.
std::optional<unsigned> PortNumber(const std::string& name)
{
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0)
        return std::nullopt;
    const char* first = name.data() + 3;
    const char* last = name.data() + name.size();
    if (last[-1] == ':')
        --last;
    unsigned port = 0;
    auto [end, ec] = std::from_chars(first, last, port);
    if (ec != std::errc() || end != last || first == last)
        return std::nullopt;
    return port;
}

} // namespace

void PortMap::Load(const platform::Registry& registry)
{
    std::map<unsigned, std::string> entries;
    for (unsigned port = 0; port < 256; ++port) {
        const platform::RegistryValue* value = registry.Find(kRegistryKey, "COM" + std::to_string(port));
        if (value && value->kind == platform::RegistryValue::Kind::String && !value->bytes.empty())
            entries[port] = value->bytes;
    }
    std::lock_guard lock(mutex_);
    configured_ = std::move(entries);
}

void PortMap::SetOverride(unsigned port, std::string device)
{
    std::lock_guard lock(mutex_);
    overrides_[port] = std::move(device);
}

void PortMap::ClearOverrides()
{
    std::lock_guard lock(mutex_);
    overrides_.clear();
}

std::string PortMap::Resolve(const std::string& name) const
{
    std::optional<unsigned> port = PortNumber(name);
    if (!port)
        return name;
    std::lock_guard lock(mutex_);
    if (auto it = overrides_.find(*port); it != overrides_.end())
        return it->second;
    if (auto it = configured_.find(*port); it != configured_.end())
        return it->second;
    return "/dev/rfcomm" + std::to_string(*port);
}

std::string PortMap::PortName(unsigned port)
{
    return "COM" + std::to_string(port) + ":";
}
