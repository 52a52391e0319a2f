#pragma once
#include <string>
#include <vector>

// Reads the number after option args[i] (advancing i) into value; false, with error set,
// when it is missing or outside [min, max].
bool TakeNumber(std::vector<std::string>& args, size_t& i, double min, double max, double& value,
                std::string& error);
