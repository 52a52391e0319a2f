#include "OptionNumber.h"

#include <cstdlib>

bool TakeNumber(std::vector<std::string>& args, size_t& i, double min, double max, double& value,
                std::string& error)
{
    const std::string name = args[i];
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
    }
    const std::string& text = args[++i];
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= min && value <= max)) {
        error = name + " takes a number from " + std::to_string(static_cast<long>(min)) + " to " +
                std::to_string(static_cast<long>(max));
        return false;
    }
    return true;
}
