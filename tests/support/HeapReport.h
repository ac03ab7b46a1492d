// What the C library writes when its heap checks end a process, for death tests.
#pragma once

namespace mq::test {

// A pattern for the standard error of a process that a double free ended.
// glibc ("double free detected") and AddressSanitizer ("double-free") name
// it; the Windows heap fails fast without a word, so there anything matches.
const char* doubleFreeReport();

}  // namespace mq::test
