// Windows: system text is in the ANSI code page, converted through UTF-16.
#include "platform/TextEncoding.h"

#include <windows.h>

#include <climits>

namespace mq::platform {

std::string systemTextToUtf8(const std::string& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX) / 4) return std::string();
    const int length = static_cast<int>(text.size());
    // Every byte of an ANSI code page becomes some UTF-16 unit (an unassigned
    // one a default character), so the conversion cannot fail on content.
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (wideLength <= 0) return std::string();
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), wideLength);
    const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) return std::string();
    std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr);
    return utf8;
}

}  // namespace mq::platform
