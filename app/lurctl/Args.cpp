#include "Args.h"

#include <cerrno>
#include <cstdlib>

bool Args::TakeFlag(const std::string& name)
{
    for (auto it = words_.begin(); it != words_.end(); ++it) {
        if (*it == name) {
            words_.erase(it);
            return true;
        }
    }
    return false;
}

std::optional<std::string> Args::TakeOption(const std::string& name)
{
    for (auto it = words_.begin(); it != words_.end(); ++it) {
        if (*it == name) {
            if (std::next(it) == words_.end()) {
                error_ = name + " needs a value";
                words_.erase(it);
                return std::nullopt;
            }
            std::string value = *std::next(it);
            words_.erase(it, it + 2);
            return value;
        }
        if (it->rfind(name + "=", 0) == 0) {
            std::string value = it->substr(name.size() + 1);
            words_.erase(it);
            return value;
        }
    }
    return std::nullopt;
}

bool Args::Finish(size_t min, size_t max, std::vector<std::string>& positional)
{
    if (!error_.empty())
        return false;
    positional.clear();
    for (const auto& word : words_) {
        if (word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9')) {
            error_ = "unknown option " + word;
            return false;
        }
        positional.push_back(word);
    }
    if (positional.size() < min) {
        error_ = "missing argument";
        return false;
    }
    if (positional.size() > max) {
        error_ = "unexpected argument " + positional[max];
        return false;
    }
    return true;
}

std::optional<long> ParseInteger(const std::string& text, long min, long max)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < min || value > max)
        return std::nullopt;
    return value;
}
