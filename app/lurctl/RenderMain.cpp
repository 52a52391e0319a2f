// lurctl-render: `lurctl render`, which paints through QtGui, in a program of its own
// (Module.h).
#include "CommandLine.h"

int main(int argc, char** argv)
{
    const std::vector<Command> commands = {{"render", kRenderSummary, kRenderUsage, RunRender}};
    return RunCommandLine(argc, argv, commands);
}
