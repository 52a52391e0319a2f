// lurctl-export: `lurctl session` and `lurctl invert`, whose GIS formats are written through
// GDAL, in a program of its own (Module.h).
#include "CommandLine.h"

namespace {

int RunSessionWithGdal(const std::vector<std::string>& args) { return RunSession(args, ExportToGis); }

int RunInvertWithGdal(const std::vector<std::string>& args) { return RunInvert(args, WriteInvertedGis); }

} // namespace

int main(int argc, char** argv)
{
    const std::vector<Command> commands = {{"session", kSessionSummary, kSessionUsage, RunSessionWithGdal},
                                           {"invert", kInvertSummary, kInvertUsage, RunInvertWithGdal}};
    return RunCommandLine(argc, argv, commands);
}
