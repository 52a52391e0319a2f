#pragma once
#include <cstddef>

#include "settings/CSettings.h"

// A page field that mirrors a setting of the same meaning one to one.
template <class Page, class T> struct SettingsField {
    T CSettings::*setting;
    T Page::*field;
};

// Copies the fields from the settings (load) or back into them (store).
template <class Page, class T, size_t N>
void CopySettingsFields(CSettings& settings, Page& page, const SettingsField<Page, T> (&fields)[N], bool store)
{
    for (const SettingsField<Page, T>& f : fields) {
        if (store)
            settings.*f.setting = page.*f.field;
        else
            page.*f.field = settings.*f.setting;
    }
}
