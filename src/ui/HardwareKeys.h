#pragma once
#include <QKeyEvent>

// The hand-held's key codes that the program acts on, and the desktop keys that stand for
// them (listed in README.md).
namespace hardware_key {
constexpr int kEnter = 13;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDown = 40;
constexpr int kStartF10 = 121;
constexpr int kPreviousPage = 193;
constexpr int kFrequencyDown = 194;
constexpr int kFrequencyUp = 195;
constexpr int kNextPage = 196;
constexpr int kStartA = 197;
constexpr int kStartB = 198;
} // namespace hardware_key

// The hand-held key code of a desktop key press, or 0 for a key the program leaves alone.
int HardwareKeyCode(const QKeyEvent& event);
