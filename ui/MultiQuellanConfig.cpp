// The configuration dialog's model: its entries, selection and actions.
#include "ui/MultiQuellanConfig.h"

#include "config/ConfigurationFileWriter.h"
#include "interface/Identity.h"

namespace mq {

MultiQuellanConfig::MultiQuellanConfig(UserPrompts& prompts) : prompts(prompts) {}

void MultiQuellanConfig::addEntry(const std::string& path) {
    entryList.push_back(std::make_shared<Quellan>(path, prompts));
}

int MultiQuellanConfig::runModal(ConfigurationView& attached) {
    // Detached on every way out: the view's window is gone by then.
    struct Attachment {
        ConfigurationView*& slot;
        ~Attachment() { slot = nullptr; }
    } attachment{view};
    view = &attached;
    removeButtonEnabled = configureButtonEnabled = false;
    return attached.runModal(*this) == DIALOG_OK ? DIALOG_OK : DIALOG_CANCEL;
}

std::vector<std::string> MultiQuellanConfig::entryPaths() const {
    std::vector<std::string> paths;
    paths.reserve(entryList.size());
    for (const auto& entry : entryList) paths.push_back(entry->path());
    return paths;
}

void MultiQuellanConfig::initialise() {
    if (!view) return;
    updateButtons();
    view->startTimer(BUTTON_UPDATE_PERIOD_MS);
    for (std::size_t i = 0; i < entryList.size(); ++i) {
        std::string text = entryList[i]->identity();
        if (text.empty()) {
            // Shown by its path rather than left out, so that row k stays
            // entry k for remove and configure.
            prompts.showMessage(INVALID_QUELLAN_MESSAGE, "");
            text = entryList[i]->path();
        }
        view->insertRow(i, text);
    }
}

void MultiQuellanConfig::command(int id) {
    switch (id) {
    case ADD_COMMAND: add(); break;
    case REMOVE_COMMAND: remove(); break;
    case CONFIGURE_COMMAND: configure(); break;
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
    std::string text = entry->identity();
    view->insertRow(entryList.size(), text.empty() ? entry->path() : text);
    view->redraw();
    entryList.push_back(std::move(entry));
}

void MultiQuellanConfig::remove() {
    if (!view || !removeButtonEnabled) return;
    auto k = selectedEntry();
    if (!k) return;
    entryList.erase(entryList.begin() + static_cast<std::ptrdiff_t>(*k));
    view->removeRow(*k);
}

void MultiQuellanConfig::configure() {
    if (!view || !configureButtonEnabled) return;
    auto k = selectedEntry();
    if (!k) return;
    // Hold the entry: the child's own configuration may run a message loop.
    std::shared_ptr<Quellan> entry = entryList[*k];
    entry->configure();
}

void MultiQuellanConfig::updateButtons() {
    if (!view) return;
    bool selected = view->selectedRow().has_value();
    removeButtonEnabled = configureButtonEnabled = selected;
    view->setButtonsEnabled(removeButtonEnabled, configureButtonEnabled);
}

std::optional<std::size_t> MultiQuellanConfig::selectedEntry() const {
    auto row = view->selectedRow();
    if (!row || *row >= entryList.size()) return std::nullopt;
    return row;
}

void editAndSaveConfiguration(const ConfigurationRecord& record, UserPrompts& prompts, ConfigurationView& view) {
    MultiQuellanConfig dialog(prompts);
    for (const ChildEntry& child : record.settings.children) dialog.addEntry(child.path);
    if (dialog.runModal(view) != DIALOG_OK) return;
    ConfigurationSettings settings = settingsWithChildren(dialog.entryPaths());
    settings.attributes = record.settings.attributes;
    bool saved = writeConfigurationFile(record.configurationPath, settings);
    prompts.showMessage((saved ? "Configuration saved to " : "Failed to save configuration to ") +
                            record.configurationPath,
                        identityText());
}

}  // namespace mq
