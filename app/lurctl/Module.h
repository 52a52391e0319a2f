#pragma once
#include <string>

// The commands that paint through QtGui or write through GDAL run in programs of their own
// beside lurctl, its modules, so that every other command starts without loading (and
// dynamically linking) those libraries: lurctl-render for `render`, lurctl-export for the GIS
// formats of `session export` and of `invert`. lurctl hands such a command over whole: the
// module replaces the lurctl process and reads lurctl's own arguments, so output and exit
// status are the same as if lurctl had run the command itself.
inline constexpr const char* kRenderModule = "lurctl-render";
inline constexpr const char* kExportModule = "lurctl-export";

// Keeps the process's arguments for RunModule; argv outlives the process's commands.
void KeepArgumentsForModules(char** argv);

// Replaces this process with `module` from the directory of the running executable, after
// KeepArgumentsForModules (RunCommandLine keeps them before it runs a command). Returns
// only when the module cannot be started, having said so as `command`'s failure: 1.
int RunModule(const std::string& command, const char* module);
