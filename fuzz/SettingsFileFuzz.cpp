// Settings files of any content: whatever is read must write back and read again unchanged.
#include <string>
#include <vector>

#include "Fuzz.h"
#include "platform/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> problems;
    platform::Registry first =
        platform::Registry::Parse(std::string_view(reinterpret_cast<const char*>(data), size), problems);
    std::vector<std::string> again;
    platform::Registry second = platform::Registry::Parse(first.Serialize(), again);
    AbortIf(!again.empty() || !(second == first));
    return 0;
}
