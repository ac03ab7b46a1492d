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

}  // namespace

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
