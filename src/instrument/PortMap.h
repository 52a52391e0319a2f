#pragma once
#include <map>
#include <mutex>
#include <string>

namespace platform {
class Registry;
}

// Turns the port names the program forms ("COM5:") into devices: a run-time override
// (--simulate points ports at pseudo-terminals), else the settings file's "Serial ports"
// entry "COM5", else /dev/rfcomm5. A name that is not of the form "COMn:" is a path.
// Made by the program's start-up and handed to what resolves ports; thread-safe.
class PortMap {
public:
    static constexpr const char* kRegistryKey = "software\\Dalmar\\LurControl\\Serial ports";

    // Takes the "Serial ports" entries of a settings file, replacing earlier ones.
    void Load(const platform::Registry& registry);
    void SetOverride(unsigned port, std::string device);
    void ClearOverrides();
    std::string Resolve(const std::string& name) const;

    // "COM%u:"
    static std::string PortName(unsigned port);

private:
    mutable std::mutex mutex_;
    std::map<unsigned, std::string> overrides_;
    std::map<unsigned, std::string> configured_;
};
