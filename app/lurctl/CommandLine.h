#pragma once
#include <vector>

#include "Commands.h"

// lurctl's command line over `commands`: the global options, help and the dispatch to one
// command. lurctl and its modules (Module.h) share it, so a command handed over to a module
// reads its arguments exactly as lurctl would have.
int RunCommandLine(int argc, char** argv, const std::vector<Command>& commands);
