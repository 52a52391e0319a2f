#include "survey/ByteReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "platform/HugePages.h"

ByteReader::ByteReader(std::string_view bytes) : window_(bytes), size_(bytes.size()) {}

ByteReader::ByteReader(int fd, uint64_t size, size_t window)
    : size_(size), fd_(fd),
      windowSize_(size_t(std::min<uint64_t>(std::max(window, MeasurementRecord::kSize), size))),
      // Every byte of the buffer is read into before it is looked at: no need to clear it.
      buffer_(std::make_unique_for_overwrite<char[]>(windowSize_))
{
}

bool ByteReader::Fail()
{
    ok_ = false;
    return false;
}

std::string_view ByteReader::Ahead(size_t wanted)
{
    if (pos_ >= windowStart_ && pos_ - windowStart_ <= window_.size()) {
        const std::string_view ahead = window_.substr(size_t(pos_ - windowStart_));
        if (ahead.size() >= wanted || fd_ < 0)
            return ahead;
    }
    if (fd_ < 0)
        return {};
    const size_t length = size_t(std::min<uint64_t>(windowSize_, size_ - pos_));
    size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd_, buffer_.get() + got, length - got, off_t(pos_ + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            readError_ = errno;
        if (n <= 0) // an error, or the file became shorter than it was
            break;
        got += size_t(n);
    }
    windowStart_ = pos_;
    window_ = std::string_view(buffer_.get(), got);
    return window_;
}

bool ByteReader::BytesAcrossWindows(void* out, size_t size)
{
    if (!ok_ || size > Remaining())
        return Fail();
    auto* to = static_cast<char*>(out);
    while (size > 0) {
        const std::string_view ahead = Ahead(1);
        if (ahead.empty())
            return Fail();
        const size_t n = std::min(size, ahead.size());
        std::memcpy(to, ahead.data(), n);
        to += n;
        pos_ += n;
        size -= n;
    }
    return true;
}

bool ByteReader::AppendRecords(std::vector<MeasurementRecord>& records, size_t count)
{
    constexpr size_t kSize = MeasurementRecord::kSize;
    if (!ok_ || count > Remaining() / kSize)
        return Fail();
    records.reserve(records.size() + count);
    // The records are written once, all of them, into memory fresh from the kernel.
    platform::AdviseHugePages(records.data() + records.size(), count * kSize);
    while (count > 0) {
        const std::string_view ahead = Ahead(kSize);
        if (ahead.size() < kSize)
            return Fail();
        const size_t n = std::min(count, ahead.size() / kSize);
        for (size_t k = 0; k < n; ++k)
            std::memcpy(records.emplace_back().bytes.data(), ahead.data() + k * kSize, kSize);
        pos_ += n * kSize;
        count -= n;
    }
    return true;
}

bool ByteReader::Seek(uint64_t offset)
{
    if (offset > size_)
        ok_ = false;
    else
        pos_ = offset;
    return ok_;
}
