#pragma once
#include <string>
#include <vector>

// lurctl session info|export: reads a session file without changing any setting.
int RunSession(const std::vector<std::string>& args);

extern const char* const kSessionUsage;
