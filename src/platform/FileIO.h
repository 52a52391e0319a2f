#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

struct FileResult {
    bool ok = false;
    std::string error; // strerror text with the path, when !ok
};

// Writes beside the target, flushes to disk, then renames over it: a crash or a full
// disk leaves either the old file or the new one, never a torn mix.
FileResult WriteFileAtomically(const std::string& path, std::string_view contents);

// Reads a whole file of at most maxBytes; a larger file is refused rather than loaded.
FileResult ReadWholeFile(const std::string& path, size_t maxBytes, std::string& contents);

// Opens a regular file of at most maxBytes for reading, refusing it as ReadWholeFile does;
// on success `fd` is the caller's to close and `size` is the file's size.
FileResult OpenRegularFile(const std::string& path, size_t maxBytes, int& fd, size_t& size);

// The text of a failure here: what "path": the reason of errno `error`.
std::string FailureText(const std::string& what, const std::string& path, int error);

// Directory part of a path ("" when there is none).
std::string DirectoryOf(const std::string& path);

} // namespace platform
