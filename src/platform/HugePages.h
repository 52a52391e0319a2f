#pragma once
#include <cstddef>

namespace platform {

// Asks the kernel to back the whole pages of [data, data + size) with huge pages where it
// can: a large buffer filled at once then faults in a few times per 2 MB instead of once per
// 4 KB page. Only advice: nothing changes if the kernel will not.
void AdviseHugePages(void* data, size_t size);

} // namespace platform
