#pragma once

namespace platform {

// Lets the calling thread give way to the process's other threads: on Linux its nice value
// goes up by `steps`. Only advice: nothing changes where the kernel will not.
void LowerThisThreadPriority(int steps);

} // namespace platform
