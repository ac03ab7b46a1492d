// A text file that lines are appended to, kept below a size by moving it to PATH.1.
#pragma once

#include "platform/FileSystemPrimitives.h"

#include <cstdint>
#include <string>

namespace mq::platform {

class LogFile {
public:
    // Opens nothing yet. `path` must be absolute.
    LogFile(std::string path, std::uint64_t sizeLimit) noexcept;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens the file for appending, created (0640 on POSIX) if it is missing.
    // False when it cannot be, or when what is at the path is not a plain
    // file: a link planted in its place is not followed (POSIX O_NOFOLLOW,
    // Windows the reparse point itself), and a pipe or device would block or
    // leak the lines.
    bool open() noexcept;

    // Appends `bytes` in one write. When they would take the file to the
    // limit or past it, the file is first moved to PATH.1 (replacing the old
    // one) and a new one begun. False when the file is not open or the write failed.
    bool append(const std::string& bytes) noexcept;

private:
    bool rotate() noexcept;

    std::string path;
    std::uint64_t limit;
    std::uint64_t size = 0;
    detail::OpenFile file;
};

namespace detail {

// The platform's safe open for LogFile::open: appending, no link followed,
// plain files only; `size` is the file's length.
bool openLogFile(const std::string& path, OpenFile& file, std::uint64_t& size) noexcept;

}  // namespace detail

}  // namespace mq::platform
