// A view without windows and prompts answered by the test, for the dialog's model.
#pragma once

#include "hosting/UserPrompts.h"
#include "ui/ConfigurationView.h"
#include "ui/MultiQuellanConfig.h"

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mq {

// For readable failures.
inline void PrintTo(const ButtonStates& states, std::ostream* out) {
    *out << "{remove " << states.remove << ", configure " << states.configure << ", up " << states.moveUp
         << ", down " << states.moveDown << "}";
}
inline void PrintTo(const Attribute& attribute, std::ostream* out) {
    *out << attribute.name << "=\"" << attribute.value << '"';
}
inline void PrintTo(const ChildEntry& child, std::ostream* out) {
    *out << "{path=\"" << child.path << '"';
    for (const Attribute& attribute : child.attributes) PrintTo(attribute, &(*out << ' '));
    *out << "}";
}

}  // namespace mq

namespace mq::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    bool operator==(const ShownMessage& other) const { return text == other.text && caption == other.caption; }
};

// Answers the open-file dialog and the questions from queues (nothing
// queued: the user cancels, or answers No) and records every message box and
// every question.
class ScriptedPrompts final : public UserPrompts {
public:
    void showMessage(const std::string& text, const std::string& caption) override {
        messages.push_back({text, caption});
    }
    bool askYesNo(const std::string& question, const std::string& caption) override {
        questions.push_back({question, caption});
        if (answers.empty()) return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool chooseLibraryFile(std::string& path) override {
        ++fileDialogs;
        if (chosenFiles.empty()) return false;
        std::optional<std::string> answer = chosenFiles.front();
        chosenFiles.pop_front();
        if (!answer) return false;
        path = *answer;
        return true;
    }

    void willChoose(const std::string& path) { chosenFiles.push_back(path); }
    void willCancelFileDialog() { chosenFiles.push_back(std::nullopt); }
    void willAnswer(bool yes) { answers.push_back(yes); }

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& message : messages) texts.push_back(message.text);
        return texts;
    }

    std::vector<ShownMessage> messages;
    std::vector<ShownMessage> questions;
    int fileDialogs = 0;

private:
    std::deque<std::optional<std::string>> chosenFiles;
    std::deque<bool> answers;
};

// Keeps rows, selection and button states as plain values. runModal lets the
// model initialise, then plays the user's part and ends with its result. OK
// is pressed as in a window: the model may refuse to close, and the user then
// cancels (counted in refusedOks).
class FakeView final : public ConfigurationView {
public:
    using User = std::function<int(MultiQuellanConfig&, FakeView&)>;

    explicit FakeView(User user = [](MultiQuellanConfig&, FakeView&) { return DIALOG_OK; }) : user(std::move(user)) {}

    int runModal(MultiQuellanConfig& model) override {
        ++modalRuns;
        model.initialise();
        int result = user(model, *this);
        if (result == DIALOG_OK && !model.accept()) {
            ++refusedOks;
            result = DIALOG_CANCEL;
        }
        timerPeriod.reset();
        return result;
    }
    void insertRow(std::size_t position, const std::string& identity, const std::string& path) override {
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(position), identity);
        paths.insert(paths.begin() + static_cast<std::ptrdiff_t>(position), path);
    }
    void removeRow(std::size_t position) override {
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(position));
        paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(position));
        if (selection && *selection == position) selection.reset();
    }
    void moveRow(std::size_t from, std::size_t to) override {
        for (auto* column : {&rows, &paths}) {
            std::string moved = (*column)[from];
            column->erase(column->begin() + static_cast<std::ptrdiff_t>(from));
            column->insert(column->begin() + static_cast<std::ptrdiff_t>(to), moved);
        }
        selection.reset();
    }
    void selectRow(std::size_t position) override { selection = position; }
    std::optional<std::size_t> selectedRow() const override { return selection; }
    void setButtonsEnabled(const ButtonStates& states) override {
        buttons = states;
        ++buttonUpdates;
    }
    void redraw() override { ++redraws; }
    void startTimer(unsigned periodMilliseconds) override { timerPeriod = periodMilliseconds; }

    // The user clicks a row (or empty space), and the timer ticks once.
    void select(std::optional<std::size_t> row, MultiQuellanConfig& model) {
        selection = row;
        model.updateButtons();
    }

    User user;
    // The identity column and the path column.
    std::vector<std::string> rows;
    std::vector<std::string> paths;
    std::optional<std::size_t> selection;
    // All enabled until the model says otherwise.
    ButtonStates buttons{true, true, true, true};
    int buttonUpdates = 0;
    int redraws = 0;
    int modalRuns = 0;
    int refusedOks = 0;
    std::optional<unsigned> timerPeriod;
};

}  // namespace mq::test
