#pragma once

// Command ids of the session menu (menu 128, "Сессия").
constexpr int kCommandNew = 32824;
constexpr int kCommandOpen = 32780;
constexpr int kCommandSave = 57603;
constexpr int kCommandExit = 32784;
