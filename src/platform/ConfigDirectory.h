#pragma once
#include <string>

namespace platform {

// $XDG_CONFIG_HOME/Dalmar/LurControl (default ~/.config/Dalmar/LurControl), without a
// trailing slash, unless an override is set (tests, lurctl --config-dir).
std::string ConfigDirectory();
void SetConfigDirectoryOverride(std::string directory);

// $XDG_DATA_HOME/Dalmar/LurControl (default ~/.local/share/Dalmar/LurControl).
std::string DataDirectory();

// Creates the directory and its parents; true if it exists afterwards.
bool MakeDirectories(const std::string& directory);

// "dir/name", tolerating an empty dir.
std::string JoinPath(const std::string& dir, const std::string& name);

} // namespace platform
