#include "Module.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits.h>
#include <unistd.h>

#include "platform/ConfigDirectory.h"
#include "platform/FileIO.h"

namespace {

char** arguments = nullptr;

// Where the running executable lies, however it was started (a relative path, PATH, a link).
std::string OwnDirectory()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    return platform::DirectoryOf(std::string(path, size_t(n)));
}

} // namespace

void KeepArgumentsForModules(char** argv) { arguments = argv; }

int RunModule(const std::string& command, const char* module)
{
    const std::string directory = OwnDirectory();
    if (directory.empty()) {
        std::fprintf(stderr, "lurctl %s: cannot find the directory of lurctl, where %s lies: %s\n", command.c_str(),
                     module, std::strerror(errno));
        return 1;
    }
    const std::string path = platform::JoinPath(directory, module);
    std::fflush(nullptr);
    char* const own = arguments[0];
    arguments[0] = const_cast<char*>(path.c_str());
    ::execv(path.c_str(), arguments);
    arguments[0] = own;
    std::fprintf(stderr, "lurctl %s: cannot start %s: %s (it belongs beside lurctl)\n", command.c_str(), path.c_str(),
                 std::strerror(errno));
    return 1;
}
