#pragma once
#include <optional>
#include <string>
#include <vector>

// Options of one lurctl command: "--name value", "--name=value" and flags, in any order
// among the positional words. Each Take* removes what it consumed; Finish() reports the rest.
class Args {
public:
    explicit Args(std::vector<std::string> words) : words_(std::move(words)) {}

    bool TakeFlag(const std::string& name);
    std::optional<std::string> TakeOption(const std::string& name);
    // Positional words left after the options; false, with error set, when an unknown
    // option remains or the count is outside [min, max].
    bool Finish(size_t min, size_t max, std::vector<std::string>& positional);

    const std::string& Error() const { return error_; }

private:
    std::vector<std::string> words_;
    std::string error_;
};

// Parses a decimal integer in [min, max]; nullopt for anything else.
std::optional<long> ParseInteger(const std::string& text, long min, long max);
