// Quoting one argument of a Windows command line, for the tests that start programs.
#pragma once

#include <string>

namespace mq::test {

// One argument quoted so that the child's run-time library splits the
// command line back into the same words: backslashes are literal except
// before a quote, where they are doubled.
inline std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + '"';
}

}  // namespace mq::test
