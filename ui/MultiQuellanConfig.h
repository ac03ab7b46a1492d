// The configuration dialog's model: the child entries and what the dialog's
// commands do to them.
#pragma once

#include "config/ConfigurationRecord.h"
#include "config/ConfigurationSettings.h"
#include "hosting/Quellan.h"
#include "hosting/UserPrompts.h"
#include "ui/ConfigurationView.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mq {

constexpr const char* INVALID_QUELLAN_MESSAGE = "This does not seem to be a valid Quellan";

// Knows no window system: it drives a ConfigurationView and speaks to the
// user only through UserPrompts, with an empty caption (the window system's
// default). Row k of the view always shows entry k, with its identity and its
// path (a 32-bit library's followed by where it is served), also for an entry
// whose identity cannot be had: that one is announced and shown with an empty
// identity, so remove, configure and the moves act on the entry the user
// selected and saving keeps every entry.
class MultiQuellanConfig {
public:
    // One child as the dialog holds it: the library, and the attributes its
    // element carried in the file besides "path", which the dialog does not
    // edit but a save must keep. A child added in the dialog has none.
    struct Entry {
        std::shared_ptr<Quellan> quellan;
        Attributes attributes;
    };

    // The prompts also go to every Quellan this model creates, for the
    // loader's own messages.
    explicit MultiQuellanConfig(UserPrompts& prompts);

    MultiQuellanConfig(const MultiQuellanConfig&) = delete;
    MultiQuellanConfig& operator=(const MultiQuellanConfig&) = delete;
    virtual ~MultiQuellanConfig() = default;

    // Appends an entry for a configured child; loads nothing and makes no row
    // (rows are made by initialise()).
    void addEntry(const std::string& path, Attributes attributes = {});

    // Runs `view` modally with this model attached; DIALOG_OK or
    // DIALOG_CANCEL. The entries stay, to be read after the run.
    int runModal(ConfigurationView& view);

    const std::vector<Entry>& entries() const { return entryList; }
    // The paths the entries were created with, in list order.
    std::vector<std::string> entryPaths() const;
    // The entries as the configuration file's children, in list order.
    std::vector<ChildEntry> children() const;

    // Called by the attached view (see ConfigurationView). Each does nothing
    // when no view is attached. Virtual, so that a view built into another
    // module reaches them through the object alone, not by their names.

    // Button states, the button-update timer, then one row per entry with its
    // identity and path, loading each child briefly.
    virtual void initialise();

    // Dispatches one of TOOLBAR_COMMANDS; other identifiers are ignored.
    virtual void command(int id);

    // Asks for a library file, runs the child's own configuration, and
    // appends a row and an entry only when that succeeded.
    void add();

    // Removes the entry of the selected row and the row itself.
    void remove();

    // Runs the selected entry's own configuration; the list stays as it is.
    void configure();

    // Swap the selected entry with the one above or below it, row and entry
    // alike; the selection goes with the moved row and the buttons follow at
    // once. Nothing happens at the list's edge.
    void moveUp();
    void moveDown();

    // Enables remove and configure exactly while a row is selected, move up
    // while that row is not the first and move down while it is not the last.
    virtual void updateButtons();

    // The user pressed OK: true when the dialog may close. Runs what
    // onAccept() gave, so that a save that fails keeps the dialog open with
    // the list as the user left it; true when nothing was given.
    virtual bool accept();

    // What OK does before the dialog may close; false keeps it open.
    void onAccept(std::function<bool()> check) { acceptCheck = std::move(check); }

    const ButtonStates& buttonStates() const { return buttons; }

private:
    // The selected row when it addresses an entry.
    std::optional<std::size_t> selectedEntry() const;
    // Moves the selected entry one place up or down, when its button is
    // enabled and the place exists.
    void moveSelected(bool enabled, bool up);

    UserPrompts& prompts;
    ConfigurationView* view = nullptr;
    std::vector<Entry> entryList;
    ButtonStates buttons;
    std::function<bool()> acceptCheck;
};

// Shows the dialog seeded with the record's children and, on OK, writes the
// settings' attributes and the entries, each with its own attributes, to
// `record.configurationPath`, keeping the file as it was beside it
// (configurationBackupPath), and shows the outcome with the library's
// identity as caption. A save that fails says why and keeps the dialog open
// with the user's list, to try again or cancel. Cancel touches no file and
// shows nothing more. A file
// that is there but could not be read, parsed or understood is announced
// before the dialog opens, and OK replaces it only when the user says Yes to
// a second question; No leaves it as it was, and says so.
void editAndSaveConfiguration(const ConfigurationRecord& record, UserPrompts& prompts, ConfigurationView& view);

}  // namespace mq
