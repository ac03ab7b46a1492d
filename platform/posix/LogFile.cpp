// Opening a log file on POSIX: appending, never through a link, plain files only.
#include "platform/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mq::platform::detail {

namespace {

// Readable by its owner's group, so that operators may read it without root.
constexpr mode_t LOG_FILE_PERMISSIONS = 0640;

}  // namespace

bool openLogFile(const std::string& path, OpenFile& file, std::uint64_t& size) noexcept {
    // O_NONBLOCK: a pipe without a reader fails here instead of blocking the
    // writer; the check below refuses it anyway.
    int descriptor =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK,
               LOG_FILE_PERMISSIONS);
    if (descriptor < 0) return false;
    file.handle = descriptor;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        file.close();
        return false;
    }
    // A plain file never blocks; the flag only guarded the open.
    ::fcntl(descriptor, F_SETFL, O_APPEND);
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

}  // namespace mq::platform::detail
