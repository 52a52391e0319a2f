#pragma once
#include <QString>
#include <cstdint>

// The work types as the mode list names them (resource strings 2, 3, 4 and 31).
inline constexpr int32_t kWorkTypeIds[] = {2, 3, 4, 31};
inline constexpr const char* kWorkTypeNames[] = {"Карта", "Ограниченный профиль", "Профиль", "GPS трек"};

// The name of a work type, or its number when it has none.
inline QString WorkTypeName(int32_t workType)
{
    for (size_t i = 0; i < std::size(kWorkTypeIds); ++i)
        if (kWorkTypeIds[i] == workType)
            return QString::fromUtf8(kWorkTypeNames[i]);
    return QString::number(workType);
}
