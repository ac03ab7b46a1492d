// The configuration dialog drawn with Qt Widgets.
#pragma once

#include "ui/ConfigurationView.h"

#include <memory>

class QAction;
class QDialog;
class QListWidget;
class QTimer;

namespace mq {

// The window exists only inside runModal. Its widgets carry object names
// ("list", "toolbar", "add", "remove", "configure", "buttons") so that tests
// can find and drive them like a user.
class QtConfigurationView final : public ConfigurationView {
public:
    QtConfigurationView();
    ~QtConfigurationView() override;

    int runModal(MultiQuellanConfig& model) override;
    void insertRow(std::size_t position, const std::string& text) override;
    void removeRow(std::size_t position) override;
    std::optional<std::size_t> selectedRow() const override;
    void setButtonsEnabled(bool remove, bool configure) override;
    void redraw() override;
    void startTimer(unsigned periodMilliseconds) override;

private:
    MultiQuellanConfig* attachedModel = nullptr;
    std::unique_ptr<QDialog> dialog;
    // Owned by the dialog; null outside runModal.
    QListWidget* list = nullptr;
    QAction* removeAction = nullptr;
    QAction* configureAction = nullptr;
    QTimer* timer = nullptr;
};

}  // namespace mq
