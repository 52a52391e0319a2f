#pragma once
#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "support/TempDir.h"

struct LurctlResult {
    int status;
    std::string out;
};

// Runs `program` (lurctl, or a copy of it) with a private configuration directory, its
// journals under `dataHome` (or the configuration directory); `errors` redirects standard
// error ("&1" joins it).
inline LurctlResult LurctlAt(const std::string& program, const testing_support::TempDir& config,
                             const std::string& arguments, const std::string& errors = "&1",
                             const std::string& dataHome = "")
{
    const std::string command = "XDG_DATA_HOME='" + (dataHome.empty() ? config.path() : dataHome) + "' '" + program +
                                "' --config-dir '" + config.path() + "' " + arguments + " 2>" + errors;
    LurctlResult r{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return r;
    std::array<char, 4096> buffer;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        r.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline LurctlResult Lurctl(const testing_support::TempDir& config, const std::string& arguments,
                           const std::string& errors = "&1", const std::string& dataHome = "")
{
    return LurctlAt(LURCTL_PATH, config, arguments, errors, dataHome);
}

// The cells of each data row of a CSV export.
inline std::vector<std::vector<std::string>> CsvRows(const std::string& csv)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line); // header
    while (std::getline(lines, line)) {
        std::vector<std::string>& cells = rows.emplace_back();
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, ',');)
            cells.push_back(cell);
    }
    return rows;
}
