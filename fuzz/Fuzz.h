#pragma once
#include "settings/CSettings.h"

// The settings object of a fuzz target: defaults, from files that do not exist, and never
// written (no Release()).
inline CSettings& FuzzSettings()
{
    static CSettings& settings = []() -> CSettings& {
        CSettings::SetEnvironment({"/nonexistent/lur-fuzz/settings.reg", "/nonexistent/lur-fuzz/cal.ini", {}});
        return CSettings::Instance();
    }();
    return settings;
}
