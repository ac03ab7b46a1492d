// The window side of the configuration dialog, and the window system of the
// configuration process.
#pragma once

#include "hosting/UserPrompts.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace mq {

class MultiQuellanConfig;

// Results of the modal run, the window system's own OK and Cancel values.
constexpr int DIALOG_OK = 1;
constexpr int DIALOG_CANCEL = 2;

// Toolbar commands, in the order of their buttons and images.
constexpr int ADD_COMMAND = 40002;
constexpr int REMOVE_COMMAND = 40003;
constexpr int CONFIGURE_COMMAND = 40004;
constexpr int MOVE_UP_COMMAND = 40005;
constexpr int MOVE_DOWN_COMMAND = 40006;
constexpr int TOOLBAR_COMMANDS[] = {ADD_COMMAND, REMOVE_COMMAND, CONFIGURE_COMMAND, MOVE_UP_COMMAND,
                                    MOVE_DOWN_COMMAND};

constexpr unsigned BUTTON_UPDATE_PERIOD_MS = 100;

constexpr const char* DIALOG_TITLE = "MultiQuellan Configuration";
constexpr const char* ADD_TOOL_TIP = "Add a new Quellan";
constexpr const char* REMOVE_TOOL_TIP = "Remove selected Quellan";
constexpr const char* CONFIGURE_TOOL_TIP = "Configure selected Quellan";
constexpr const char* MOVE_UP_TOOL_TIP = "Move selected Quellan up";
constexpr const char* MOVE_DOWN_TOOL_TIP = "Move selected Quellan down";

// The line under the list: an edited list is not what a running connection
// uses.
constexpr const char* NEXT_CONNECTION_NOTE = "Changes take effect at the host's next connection.";

// At open the dialog widens until its longest row shows whole, but never
// beyond this share of the width of the screen's work area; the template
// size stays its smallest.
constexpr int FIRST_WIDTH_MAX_PERCENT = 80;

// The titles of the list's two columns: each row shows a child's identity
// and, beside it, the library's path.
constexpr const char* IDENTITY_COLUMN_TITLE = "Quellan";
constexpr const char* PATH_COLUMN_TITLE = "Path";

// Which of the buttons that act on the selected row are enabled; add always is.
struct ButtonStates {
    bool remove = false;
    bool configure = false;
    bool moveUp = false;
    bool moveDown = false;
    bool operator==(const ButtonStates& other) const {
        return remove == other.remove && configure == other.configure && moveUp == other.moveUp &&
               moveDown == other.moveDown;
    }
};

// The open-file dialog of UserPrompts::chooseLibraryFile. Its filter and
// default extension name the platform's library files, so each window
// system's prompts keep those themselves: "Quellan (*.dll)|*.dll|All Files
// (*.*)|*.*||" with ".dll" on Windows, "Quellan (*.so)" and all files with
// ".so" under Qt; both accept only an existing file in an existing folder.
constexpr const char* OPEN_LIBRARY_TITLE = "Open Arvola Application Program Interface";

// What a window system does for the dialog. The view only draws: every
// decision (which rows exist, which buttons are enabled, what a command does)
// is the model's, which is what lets the model be tested without windows.
// Row texts are the model's 8-bit texts, passed through unchanged.
//
// Calls from the view into the model, all on the thread that runs runModal:
//   - model.initialise() once, after the window and its controls exist and
//     before the user can act;
//   - model.command(id) for a toolbar command (or model.add(), remove(),
//     configure(), moveUp(), moveDown() directly);
//   - model.updateButtons() at every tick of the timer started by startTimer.
class ConfigurationView {
public:
    virtual ~ConfigurationView() = default;

    // Creates the dialog window, lets the model initialise it, and runs it
    // modally until OK (DIALOG_OK) or Cancel or the close box (DIALOG_CANCEL).
    // The window and its timer are gone when this returns. The model stays
    // attached only for this call.
    virtual int runModal(MultiQuellanConfig& model) = 0;

    // Inserts a list row at `position` (0 to the row count) showing the
    // child's identity (which may be empty) and its library's path; later rows
    // move down by one.
    virtual void insertRow(std::size_t position, const std::string& identity, const std::string& path) = 0;

    // Deletes list row `position`; later rows move up by one.
    virtual void removeRow(std::size_t position) = 0;

    // Moves list row `from`, with its texts, to position `to`; the rows
    // between close up behind it. Whether it stays selected is not said.
    virtual void moveRow(std::size_t from, std::size_t to) = 0;

    // Selects row `position` alone, as a click on it would, and scrolls it
    // into view.
    virtual void selectRow(std::size_t position) = 0;

    // The first selected row, searched from the start; nothing when no row is
    // selected.
    virtual std::optional<std::size_t> selectedRow() const = 0;

    // The add button is always enabled; the others as the model says.
    virtual void setButtonsEnabled(const ButtonStates& states) = 0;

    // Repaints the list at once, not at the next idle moment.
    virtual void redraw() = 0;

    // Starts a repeating timer that calls model.updateButtons() every
    // `periodMilliseconds` until the window goes.
    virtual void startTimer(unsigned periodMilliseconds) = 0;
};

// The window system of the configuration process: set up once by
// UpdateConfiguration, alive until it returns.
class ConfigurationApplication {
public:
    virtual ~ConfigurationApplication() = default;

    // Real message boxes and the real open-file dialog.
    virtual UserPrompts& prompts() = 0;

    // A new, windowless view; its window exists only during runModal.
    virtual std::unique_ptr<ConfigurationView> createView() = 0;
};

// Defined once per window system (ui/qt, ui/win32), chosen by the build.
// `commandLine` and `showCommand` are what the runner handed to
// UpdateConfiguration. Null when the window system cannot be set up.
std::unique_ptr<ConfigurationApplication> createConfigurationApplication(const std::string& commandLine,
                                                                         int showCommand);

}  // namespace mq
