// The configuration dialog's model: the child entries and what the dialog's
// commands do to them.
#pragma once

#include "config/ConfigurationRecord.h"
#include "hosting/Quellan.h"
#include "hosting/UserPrompts.h"
#include "ui/ConfigurationView.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mq {

constexpr const char* INVALID_QUELLAN_MESSAGE = "This does not seem to be a valid Quellan";

// Knows no window system: it drives a ConfigurationView and speaks to the
// user only through UserPrompts, with an empty caption (the window system's
// default). Row k of the view always shows entry k, also for an entry whose
// identity cannot be had: that one is announced and shown by its path, so
// remove and configure act on the entry the user selected and saving keeps
// every entry.
class MultiQuellanConfig {
public:
    // The prompts also go to every Quellan this model creates, for the
    // loader's own messages.
    explicit MultiQuellanConfig(UserPrompts& prompts);

    MultiQuellanConfig(const MultiQuellanConfig&) = delete;
    MultiQuellanConfig& operator=(const MultiQuellanConfig&) = delete;
    virtual ~MultiQuellanConfig() = default;

    // Appends an entry for a configured path; loads nothing and makes no row
    // (rows are made by initialise()).
    void addEntry(const std::string& path);

    // Runs `view` modally with this model attached; DIALOG_OK or
    // DIALOG_CANCEL. The entries stay, to be read after the run.
    int runModal(ConfigurationView& view);

    // The paths the entries were created with, in list order.
    std::vector<std::string> entryPaths() const;
    const std::vector<std::shared_ptr<Quellan>>& entries() const { return entryList; }

    // Called by the attached view (see ConfigurationView). Each does nothing
    // when no view is attached. Virtual, so that a view built into another
    // module reaches them through the object alone, not by their names.

    // Button states, the button-update timer, then one row per entry with its
    // identity, loading each child briefly.
    virtual void initialise();

    // Dispatches ADD_COMMAND, REMOVE_COMMAND or CONFIGURE_COMMAND; other
    // identifiers are ignored.
    virtual void command(int id);

    // Asks for a library file, runs the child's own configuration, and
    // appends a row and an entry only when that succeeded.
    void add();

    // Removes the entry of the selected row and the row itself.
    void remove();

    // Runs the selected entry's own configuration; the list stays as it is.
    void configure();

    // Enables remove and configure exactly while a row is selected.
    virtual void updateButtons();

    bool removeEnabled() const { return removeButtonEnabled; }
    bool configureEnabled() const { return configureButtonEnabled; }

private:
    // The selected row when it addresses an entry.
    std::optional<std::size_t> selectedEntry() const;

    UserPrompts& prompts;
    ConfigurationView* view = nullptr;
    std::vector<std::shared_ptr<Quellan>> entryList;
    bool removeButtonEnabled = false;
    bool configureButtonEnabled = false;
};

// Shows the dialog seeded with the record's children and, on OK, writes the
// entries' paths, with the settings' attributes, to `record.configurationPath` and shows the outcome with the
// library's identity as caption. Cancel touches no file and shows nothing.
void editAndSaveConfiguration(const ConfigurationRecord& record, UserPrompts& prompts, ConfigurationView& view);

}  // namespace mq
