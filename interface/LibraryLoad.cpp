// What loading the library does before any of its functions is called: it makes the machine-wide data folder.
#include "config/DataFolder.h"

namespace mq {

namespace {

bool makeDataFolderAtLoad() noexcept {
    // An exception here would end the host process while it loads the library.
    try {
        return !dataFolder().empty();
    } catch (...) {
        return false;
    }
}

// Here, in the library's own exports layer, and not beside dataFolder(): the
// programs that compile the configuration code in (the quellan tool, the
// surrogate) must not make the folder by merely starting.
[[maybe_unused]] const bool DATA_FOLDER_MADE_AT_LOAD = makeDataFolderAtLoad();

}  // namespace

}  // namespace mq
