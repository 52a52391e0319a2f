// lurctl-export: `lurctl session`, whose GIS formats are written through GDAL, in a program of
// its own (Module.h).
#include "CommandLine.h"

namespace {

int RunSessionWithGdal(const std::vector<std::string>& args) { return RunSession(args, ExportToGis); }

} // namespace

int main(int argc, char** argv)
{
    const std::vector<Command> commands = {{"session", kSessionSummary, kSessionUsage, RunSessionWithGdal}};
    return RunCommandLine(argc, argv, commands);
}
