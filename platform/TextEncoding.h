// Text in the system's 8-bit code page, as plug-ins and the command line give it, turned into UTF-8.
#pragma once

#include <string>

namespace mq::platform {

// Always valid UTF-8. Windows: converted from the ANSI code page (CP_ACP).
// POSIX, where the code page is UTF-8 in practice: valid UTF-8 passes through
// unchanged, and each byte that is not part of a valid sequence (a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, a code
// point above U+10FFFF) becomes U+FFFD, one per byte.
std::string systemTextToUtf8(const std::string& text);

}  // namespace mq::platform
