// quellan(1): the manual page in roff, made from the command table and the help's parts.
#pragma once

#include <string>

namespace quellan {

// Where the package puts the files the page points to.
struct ManPageFiles {
    std::string readme;   // the README, which tells the library's whole story
    std::string example;  // the example configuration file, every attribute explained
};

// The whole page. Each synopsis, option and explanation is the help's own
// text, so the page and `quellan --help` cannot disagree.
std::string manPage(const ManPageFiles& files);

}  // namespace quellan
