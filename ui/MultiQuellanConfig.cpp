// The configuration dialog's model: its entries, selection and actions.
#include "ui/MultiQuellanConfig.h"

#include "config/ConfigurationFileWriter.h"
#include "hosting/ChildMachine.h"
#include "interface/Identity.h"

#include <cctype>

namespace mq {

namespace {

// The path column's text: the path, and for a library that only a surrogate
// can load, where it is served, in the words `quellan children` uses.
std::string pathText(const std::string& path) {
    const ChildMachine machine = childMachine(path);
    return machine.note.empty() ? path : path + " (" + machine.note + ")";
}

}  // namespace

MultiQuellanConfig::MultiQuellanConfig(UserPrompts& prompts) : prompts(prompts) {}

void MultiQuellanConfig::addEntry(const std::string& path, Attributes attributes) {
    entryList.push_back({std::make_shared<Quellan>(path, prompts), std::move(attributes)});
}

int MultiQuellanConfig::runModal(ConfigurationView& attached) {
    // Detached on every way out: the view's window is gone by then.
    struct Attachment {
        ConfigurationView*& slot;
        ~Attachment() { slot = nullptr; }
    } attachment{view};
    view = &attached;
    buttons = ButtonStates{};
    return attached.runModal(*this) == DIALOG_OK ? DIALOG_OK : DIALOG_CANCEL;
}

std::vector<std::string> MultiQuellanConfig::entryPaths() const {
    std::vector<std::string> paths;
    paths.reserve(entryList.size());
    for (const Entry& entry : entryList) paths.push_back(entry.quellan->path());
    return paths;
}

std::vector<ChildEntry> MultiQuellanConfig::children() const {
    std::vector<ChildEntry> result;
    result.reserve(entryList.size());
    for (const Entry& entry : entryList) result.push_back({entry.quellan->path(), entry.attributes});
    return result;
}

void MultiQuellanConfig::initialise() {
    if (!view) return;
    updateButtons();
    view->startTimer(BUTTON_UPDATE_PERIOD_MS);
    for (std::size_t i = 0; i < entryList.size(); ++i) {
        // Held: the loader's messages may run a message loop.
        std::shared_ptr<Quellan> quellan = entryList[i].quellan;
        std::string identity = quellan->identity();
        // Shown with an empty identity rather than left out, so that row k
        // stays entry k for every command.
        if (identity.empty()) prompts.showMessage(INVALID_QUELLAN_MESSAGE, "");
        view->insertRow(i, identity, pathText(quellan->path()));
    }
}

void MultiQuellanConfig::command(int id) {
    switch (id) {
    case ADD_COMMAND: add(); break;
    case REMOVE_COMMAND: remove(); break;
    case CONFIGURE_COMMAND: configure(); break;
    case MOVE_UP_COMMAND: moveUp(); break;
    case MOVE_DOWN_COMMAND: moveDown(); break;
    default: break;
    }
}

void MultiQuellanConfig::add() {
    if (!view) return;
    std::string path;
    if (!prompts.chooseLibraryFile(path)) return;
    auto entry = std::make_shared<Quellan>(path, prompts);
    if (!entry->configure()) {
        prompts.showMessage(INVALID_QUELLAN_MESSAGE, "");
        return;
    }
    view->insertRow(entryList.size(), entry->identity(), pathText(entry->path()));
    view->redraw();
    entryList.push_back({std::move(entry), {}});
}

void MultiQuellanConfig::remove() {
    if (!view || !buttons.remove) return;
    auto k = selectedEntry();
    if (!k) return;
    entryList.erase(entryList.begin() + static_cast<std::ptrdiff_t>(*k));
    view->removeRow(*k);
}

void MultiQuellanConfig::configure() {
    if (!view || !buttons.configure) return;
    auto k = selectedEntry();
    if (!k) return;
    // Hold the child: its own configuration may run a message loop.
    std::shared_ptr<Quellan> quellan = entryList[*k].quellan;
    quellan->configure();
}

void MultiQuellanConfig::moveUp() { moveSelected(buttons.moveUp, true); }

void MultiQuellanConfig::moveDown() { moveSelected(buttons.moveDown, false); }

void MultiQuellanConfig::moveSelected(bool enabled, bool up) {
    if (!view || !enabled) return;
    auto k = selectedEntry();
    // The button may still be enabled for a row the selection has left.
    if (!k || (up ? *k == 0 : *k + 1 >= entryList.size())) return;
    std::size_t target = up ? *k - 1 : *k + 1;
    std::swap(entryList[*k], entryList[target]);
    view->moveRow(*k, target);
    view->selectRow(target);
    // Not left to the next tick: a second click must see the button of the
    // row's new place.
    updateButtons();
}

void MultiQuellanConfig::updateButtons() {
    if (!view) return;
    auto k = selectedEntry();
    buttons.remove = buttons.configure = k.has_value();
    buttons.moveUp = k && *k > 0;
    buttons.moveDown = k && *k + 1 < entryList.size();
    view->setButtonsEnabled(buttons);
}

bool MultiQuellanConfig::accept() {
    return !acceptCheck || acceptCheck();
}

std::optional<std::size_t> MultiQuellanConfig::selectedEntry() const {
    auto row = view->selectedRow();
    if (!row || *row >= entryList.size()) return std::nullopt;
    return row;
}

namespace {

// What is wrong with a configuration file that is there but gave no settings;
// empty for one whose replacement loses nothing (missing, blank or read).
std::string unusableFileReason(const ConfigurationRecord& record) {
    switch (record.fileState) {
    case ConfigurationFileState::UNREADABLE: return "cannot be read";
    case ConfigurationFileState::MALFORMED:
        return "is not well-formed XML" + (record.fileProblem.empty() ? "" : ": " + record.fileProblem);
    case ConfigurationFileState::NO_SETTINGS: return "has no settings element";
    default: return "";
    }
}

}  // namespace

void editAndSaveConfiguration(const ConfigurationRecord& record, UserPrompts& prompts, ConfigurationView& view) {
    const std::string& path = record.configurationPath;
    // What the file holds is not in the list, so a save would lose it: say
    // so before the list is seen, and replace the file only when asked again.
    const std::string reason = unusableFileReason(record);
    if (!reason.empty())
        prompts.showMessage("The configuration file " + path + " " + reason +
                                ".\n\nThe list starts empty. OK will ask before it replaces the file.",
                            identityText());
    MultiQuellanConfig dialog(prompts);
    for (const ChildEntry& child : record.settings.children) dialog.addEntry(child.path, child.attributes);
    // Saved while the dialog is still open, so that a failure loses none of
    // the user's edits; the outcome is told once it has closed.
    enum class Outcome { SAVED, LEFT_AS_IT_WAS } outcome = Outcome::SAVED;
    dialog.onAccept([&] {
        if (!reason.empty() &&
            !prompts.askYesNo("The configuration file " + path + " " + reason + ".\n\nReplace it with this list? " +
                                  "Its present contents are then kept only in " + configurationBackupPath(path) + ".",
                              identityText())) {
            outcome = Outcome::LEFT_AS_IT_WAS;
            return true;
        }
        const ConfigurationSettings settings{record.settings.attributes, dialog.children()};
        std::string why;
        if (writeConfigurationFileKeepingBackup(path, settings, &why)) return true;
        if (!why.empty()) why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
        prompts.showMessage("Failed to save configuration to " + path + (why.empty() ? "" : "\n\n" + why + "."),
                            identityText());
        return false;
    });
    if (dialog.runModal(view) != DIALOG_OK) return;
    prompts.showMessage(outcome == Outcome::SAVED ? "Configuration saved to " + path
                                                  : "Configuration not saved; " + path + " is left as it was.",
                        identityText());
}

}  // namespace mq
