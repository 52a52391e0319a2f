#include "platform/ThreadPriority.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

void LowerThisThreadPriority(int steps)
{
#ifdef __linux__
    // Linux keeps a nice value per thread, addressed by the thread's id.
    const pid_t thread = gettid();
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, id_t(thread));
    if (errno == 0)
        setpriority(PRIO_PROCESS, id_t(thread), now + steps);
#else
    (void)steps;
#endif
}

} // namespace platform
