#pragma once
#include <memory>
#include <string>
#include <vector>

#include "sim/InstrumentSimulator.h"

extern const char* const kInstrumentModeUsage;

// Builds the instrument simulator from the options of "lursim instrument"; null, with
// error set, when an option is wrong. The simulator is not started.
std::unique_ptr<InstrumentSimulator> MakeInstrumentSimulator(std::vector<std::string>& args, std::string& error);
