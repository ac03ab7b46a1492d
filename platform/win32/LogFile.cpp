// Opening a log file on Windows: appending, never through a link, plain files only.
#include "platform/LogFile.h"

#include <windows.h>

namespace mq::platform::detail {

bool openLogFile(const std::string& path, OpenFile& file, std::uint64_t& size) noexcept {
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself rather than what it
    // leads to; it is then refused below as no plain file.
    HANDLE opened = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    file.handle = reinterpret_cast<std::intptr_t>(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    LARGE_INTEGER length{};
    if (GetFileType(opened) != FILE_TYPE_DISK || !GetFileInformationByHandle(opened, &information) ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        !GetFileSizeEx(opened, &length)) {
        file.close();
        return false;
    }
    size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

}  // namespace mq::platform::detail
