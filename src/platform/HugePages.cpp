#include "platform/HugePages.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {

void AdviseHugePages(void* data, size_t size)
{
    const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
    const uintptr_t begin = (uintptr_t(data) + page - 1) / page * page;
    const uintptr_t end = (uintptr_t(data) + size) / page * page;
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace platform
