#pragma once
#include <string>

// The reason behind a failed system call, as an operator reads it: "нет места на диске".
// Unknown numbers are named by their number, never in the system's English.
std::string ReasonInWords(int errorNumber);

// The reason a file could not be written into the folder of `path`: a refused permission
// names the folder, since that is what the operator can change.
std::string WriteFailureInWords(int errorNumber, const std::string& path);
