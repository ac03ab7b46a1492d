// A stand-in for quellan-rundll in the configuration-process tests: the real
// runner's body, preceded by a Qt application of its own that plays the user.
//
// The test places this program beside the library under the runner's name.
// It reads two environment variables, which only this test program knows:
//   MQ_TEST_RUNNER_LOG     a file to which it appends what it saw:
//                          "argument <text>" per command-line argument,
//                          "rows <text>|<text>..." when the dialog opens,
//                          "message <caption>|<text>" per message box,
//                          "exit <status>" at the end;
//   MQ_TEST_DIALOG_SCRIPT  steps for the dialog separated by ';': "select N",
//                          "remove", "configure", "accept", "cancel".
// Message boxes are answered with OK. The real dialog and prompts of the
// library do the rest; UpdateConfiguration uses this program's application.
#include "tools/quellan-rundll/Runner.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QTreeWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void log(const std::string& line) {
    std::ofstream(environment("MQ_TEST_RUNNER_LOG"), std::ios::app) << line << '\n';
}

std::vector<std::string> scriptSteps() {
    std::vector<std::string> steps;
    std::istringstream script(environment("MQ_TEST_DIALOG_SCRIPT"));
    for (std::string step; std::getline(script, step, ';');)
        if (!step.empty()) steps.push_back(step);
    return steps;
}

// Plays one step at a time whenever a modal window is up; a step that must
// wait (remove and configure until their buttons are enabled) stays next.
class User {
public:
    User() : steps(scriptSteps()) {}

    void tick() {
        QWidget* window = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            log("message " + box->windowTitle().toStdString() + "|" + box->text().toStdString());
            box->button(QMessageBox::Ok)->click();
            return;
        }
        auto* dialog = qobject_cast<QDialog*>(window);
        auto* list = dialog ? dialog->findChild<QTreeWidget*>("list") : nullptr;
        if (!list) return;
        if (dialog != seen) {
            seen = dialog;
            std::string rows = "rows";
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                rows += (row ? "|" : " ") + list->topLevelItem(row)->text(0).toStdString();
            log(rows);
        }
        if (next == steps.size()) return;
        const std::string step = steps[next];
        if (step == "remove" || step == "configure") {
            auto* action = dialog->findChild<QAction*>(QString::fromStdString(step));
            if (!action || !action->isEnabled()) return;
            ++next;
            action->trigger();
            return;
        }
        ++next;
        if (step.rfind("select ", 0) == 0) {
            list->setCurrentItem(list->topLevelItem(std::stoi(step.substr(7))));
        } else if (step == "accept") {
            // The OK button, as the user presses it: the model decides whether
            // the dialog closes. Pressed from the event loop, not from this
            // tick: the save's message box waits for the next tick, and a
            // timer does not fire again while its own slot runs.
            QPushButton* ok = dialog->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok);
            QMetaObject::invokeMethod(ok, &QPushButton::click, Qt::QueuedConnection);
        } else if (step == "cancel") {
            dialog->reject();
        }
    }

private:
    std::vector<std::string> steps;
    std::size_t next = 0;
    QDialog* seen = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) log(std::string("argument ") + argv[i]);
    int status = 0;
    {
        int qtArgc = 1;
        QApplication application(qtArgc, argv);
        User user;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&user] { user.tick(); });
        timer.start(20);
        status = mq::tools::runEntryPoint(argc, argv);
    }
    log("exit " + std::to_string(status));
    return status;
}
