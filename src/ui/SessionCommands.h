#pragma once

// Command ids of the session menu (menu 128, "Сессия").
constexpr int kCommandNew = 32824;
constexpr int kCommandOpen = 32780;
constexpr int kCommandSave = 57603;
// Not a command of the hand-held: sessions leave for GIS and gridding tools.
constexpr int kCommandExport = 32850;
constexpr int kCommandExit = 32784;
