// UTF-8 text as a terminal shows it: control characters escaped, width in columns.
#pragma once

#include <cstddef>
#include <string>

namespace quellan {

// C0 controls, DEL and C1 controls as \xNN (the code point in hexadecimal),
// so that no name can move the cursor or change the terminal's state.
std::string escapeControls(const std::string& utf8);

// The columns a terminal gives the text: one per code point, two for East
// Asian wide and full-width characters, none for combining marks.
std::size_t displayWidth(const std::string& utf8);

}  // namespace quellan
