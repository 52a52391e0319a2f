#include "platform/ConfigDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace platform {
namespace {

std::string& Override()
{
    static std::string value;
    return value;
}

std::string XdgBase(const char* variable, const char* fallbackUnderHome)
{
    const char* xdg = std::getenv(variable);
    if (xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return JoinPath(home && *home ? home : "/tmp", fallbackUnderHome);
}

} // namespace

std::string ConfigDirectory()
{
    if (!Override().empty())
        return Override();
    return JoinPath(XdgBase("XDG_CONFIG_HOME", ".config"), "Dalmar/LurControl");
}

void SetConfigDirectoryOverride(std::string directory)
{
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    Override() = std::move(directory);
}

std::string DataDirectory()
{
    return JoinPath(XdgBase("XDG_DATA_HOME", ".local/share"), "Dalmar/LurControl");
}

bool MakeDirectories(const std::string& directory)
{
    if (directory.empty())
        return true;
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        std::string prefix = directory.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    return ::stat(directory.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace platform
