#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// What failed, so that a caller can say it in its own words.
enum class FileFailure {
    None,
    Create,     // no new file could be made in the target's folder
    Write,      // the contents could not be written out (a full disk, say)
    Replace,    // the new file could not take the target's place
    Open,
    Read,
    NotRegular, // a folder or a device, not a file
    TooLarge,
};

struct FileResult {
    bool ok = false;
    std::string error; // strerror text with the path, when !ok
    FileFailure failure = FileFailure::None;
    int errorNumber = 0; // errno of the failed call, 0 when the system refused nothing
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
