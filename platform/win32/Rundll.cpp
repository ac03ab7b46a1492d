// The system's rundll32.exe and its command line.
#include "platform/win32/Rundll.h"

#include <windows.h>

#include <vector>

namespace mq::platform {

namespace {

constexpr std::size_t COMMAND_LINE_LIMIT = 1023;
constexpr UINT FOLDER_SIZE = 1024;

}  // namespace

std::string systemRundllPath() {
    std::vector<char> folder(FOLDER_SIZE, '\0');
    const UINT length = GetSystemDirectoryA(folder.data(), FOLDER_SIZE);
    if (length == 0 || length >= FOLDER_SIZE) return {};
    std::string path(folder.data(), length);
    if (path.back() != '\\') path += '\\';
    return path + "rundll32.exe";
}

std::string rundllCommandLine(const std::string& path, const std::string& entry) {
    const std::string shownPath = path.find(' ') == std::string::npos ? path : '"' + path + '"';
    std::string line = "rundll32.exe " + shownPath + "," + entry;
    if (line.size() > COMMAND_LINE_LIMIT) return {};
    return line;
}

}  // namespace mq::platform
