// What a command that opens MultiQuellan's connection says about MultiQuellan's configuration file.
#pragma once

#include <string>

namespace quellan {

// One line when MultiQuellan's configuration file, read with the library's
// own reader from the place the library computes, gives it no child: the file
// is missing, unreadable, empty, not well-formed (with the parser's line and
// column), without a settings element, names no child, or is refused. Empty
// when the file was read and names children. For the default plug-in only.
std::string configurationNotice();

}  // namespace quellan
