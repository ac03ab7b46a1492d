// Appending to a log file, and moving it aside once it has grown to its limit.
#include "platform/LogFile.h"

#include <utility>

namespace mq::platform {

LogFile::LogFile(std::string path, std::uint64_t sizeLimit) noexcept : path(std::move(path)), limit(sizeLimit) {}

bool LogFile::open() noexcept {
    file.close();
    size = 0;
    return detail::openLogFile(path, file, size);
}

bool LogFile::append(const std::string& bytes) noexcept {
    if (!file.isOpen()) return false;
    if (size > 0 && size + bytes.size() >= limit && !rotate()) return false;
    if (!file.writeAll(bytes)) return false;
    size += bytes.size();
    return true;
}

bool LogFile::rotate() noexcept {
    file.close();
    try {
        // A failed move leaves the old file to grow: its lines matter more than its size.
        detail::moveOnto(path, path + ".1");
    } catch (...) {
        // Out of memory for the name: the file grows on.
    }
    return open();
}

}  // namespace mq::platform
