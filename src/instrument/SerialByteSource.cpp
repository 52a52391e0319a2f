#include "instrument/SerialByteSource.h"

#include <cerrno>

bool SerialByteSource::Read(uint8_t* buffer, size_t count, size_t& read)
{
    errno = 0;
    if (port_.Read(buffer, count, read))
        return true;
    // A hang-up reads as end of file, which leaves errno clear.
    lastError_ = errno != 0 ? errno : EIO;
    return false;
}
