// The text of `quellan --help`.
#pragma once

namespace quellan {

extern const char* const HELP_TEXT;

}  // namespace quellan
