// Driving the Qt dialog and prompts of the configuration process as a user would.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>

namespace mq::test {

// Lets the event loop run until `condition` holds. The generous limit only
// keeps a broken test from hanging; no test depends on how long this takes.
inline bool waitUntil(const std::function<bool()>& condition) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Runs `steps` on the modal window of type W once it is up, from inside its
// own modal loop. A window the steps leave open is closed afterwards, so a
// failing test never leaves one behind.
template <typename W>
void whenModalOpens(std::function<void(W&)> steps) {
    QTimer::singleShot(0, [steps] {
        W* window = nullptr;
        waitUntil([&] { return (window = qobject_cast<W*>(QApplication::activeModalWidget())) != nullptr; });
        if (!window) return;
        steps(*window);
        if (window->isVisible()) {
            if (auto* dialog = qobject_cast<QDialog*>(window)) dialog->reject();
            else window->close();
        }
    });
}

}  // namespace mq::test
