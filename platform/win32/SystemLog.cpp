// The system's log on Windows: the Application event log, source "MultiQuellan".
#include "platform/SystemLog.h"

#include <windows.h>

#include <string>

namespace mq::platform {

namespace {

const wchar_t* const SOURCE = L"MultiQuellan";
// The one event every line is written as: without a message table in the
// library there is nothing to tell events apart by but their text.
constexpr DWORD GENERIC_EVENT = 1;

// The line is in the ANSI code page, as every text of the library.
std::wstring wideText(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}

// The source's key, below which the Application log finds its message file.
const wchar_t* const SOURCE_KEY = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\MultiQuellan";

std::string failure(const char* what, LSTATUS code) {
    std::string text = std::string(what) + ": error " + std::to_string(code);
    char* message = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&message), 0,
                                        nullptr);
    if (message) {
        std::string words(message, length);
        LocalFree(message);
        while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) words.pop_back();
        if (!words.empty()) text += ": " + words;
    }
    return text;
}

}  // namespace

bool installLogSource(const std::string& messageFile, std::string& problem) noexcept {
    try {
        HKEY key = nullptr;
        LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, SOURCE_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE, nullptr, &key, nullptr);
        if (status != ERROR_SUCCESS) {
            problem = failure("could not create the event source's registry key", status);
            return false;
        }
        const std::wstring file = wideText(messageFile);
        const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
        status = RegSetValueExW(key, L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                                static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
        if (status == ERROR_SUCCESS)
            status = RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                                    sizeof types);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) problem = failure("could not write the event source's registry values", status);
        return status == ERROR_SUCCESS;
    } catch (...) {
        problem = "out of memory";
        return false;
    }
}

bool removeLogSource(std::string& problem) noexcept {
    try {
        const LSTATUS status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, SOURCE_KEY);
        if (status != ERROR_SUCCESS) problem = failure("could not delete the event source's registry key", status);
        return status == ERROR_SUCCESS;
    } catch (...) {
        problem = "out of memory";
        return false;
    }
}

SystemLog::SystemLog() noexcept {
    // Registering the source in the registry is an installer's job; an
    // unregistered source still writes, under its name.
    source = RegisterEventSourceW(nullptr, SOURCE);
}

SystemLog::~SystemLog() {
    if (source) DeregisterEventSource(static_cast<HANDLE>(source));
}

bool SystemLog::isOpen() const noexcept {
    return source != nullptr;
}

void SystemLog::write(LogSeverity severity, const std::string& line) noexcept {
    if (!source) return;
    try {
        const std::wstring text = wideText(line);
        const wchar_t* strings[] = {text.c_str()};
        ReportEventW(static_cast<HANDLE>(source),
                     severity == LogSeverity::FAILURE ? EVENTLOG_ERROR_TYPE : EVENTLOG_WARNING_TYPE, 0, GENERIC_EVENT,
                     nullptr, 1, 0, strings, nullptr);
    } catch (...) {
        // Out of memory: the line is lost, the caller goes on.
    }
}

}  // namespace mq::platform
