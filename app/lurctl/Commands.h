#pragma once
#include <string>
#include <vector>

#include "GisExport.h"
#include "InvertCommand.h"

// One lurctl command: its word, a one-line summary, its full usage, and what runs it.
struct Command {
    const char* name;
    const char* summary;
    const char* usage;
    int (*run)(const std::vector<std::string>& args);
};

// lurctl's commands; `render` and the GIS formats of `session export` are handed over to
// their modules (Module.h).
const std::vector<Command>& AllCommands();

// Command handlers take the words after the command name and return the exit status;
// 2 is a usage error.
int RunCalibration(const std::vector<std::string>& args);
int RunSettings(const std::vector<std::string>& args);
int RunGps(const std::vector<std::string>& args);
// `session`, its GIS formats written by `gisExport`.
int RunSession(const std::vector<std::string>& args, GisExport gisExport);
int RunRead(const std::vector<std::string>& args);
int RunBattery(const std::vector<std::string>& args);
int RunSurvey(const std::vector<std::string>& args);
int RunRender(const std::vector<std::string>& args); // lurctl-render only
int RunForward(const std::vector<std::string>& args);
// `session recover`, reached through RunSession.
int RunSessionRecover(const std::vector<std::string>& args);

extern const char* const kCalibrationUsage;
extern const char* const kSettingsUsage;
extern const char* const kGpsUsage;
extern const char* const kSessionUsage;
extern const char* const kReadUsage;
extern const char* const kBatteryUsage;
extern const char* const kRenderUsage;
extern const char* const kSurveyUsage;
extern const char* const kForwardUsage;
extern const char* const kInvertUsage;
// The one-line summaries of the commands their modules run too.
extern const char* const kSessionSummary;
extern const char* const kRenderSummary;
extern const char* const kInvertSummary;

// Reports a usage error of `command` on standard error and returns 2.
int UsageError(const std::string& command, const std::string& message);
