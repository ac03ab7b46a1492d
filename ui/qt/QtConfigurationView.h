// The configuration dialog drawn with Qt Widgets.
#pragma once

#include "ui/ConfigurationView.h"

#include <memory>

class QAction;
class QDialog;
class QTreeWidget;
class QTimer;

namespace mq {

// The window exists only inside runModal. Its widgets carry object names
// ("list", "toolbar", "add", "remove", "configure", "moveUp", "moveDown",
// "note", "buttons") so that tests can find and drive them like a user. The
// list is a flat two-column tree: identity, then path.
class QtConfigurationView final : public ConfigurationView {
public:
    QtConfigurationView();
    ~QtConfigurationView() override;

    int runModal(MultiQuellanConfig& model) override;
    void insertRow(std::size_t position, const std::string& identity, const std::string& path) override;
    void removeRow(std::size_t position) override;
    void moveRow(std::size_t from, std::size_t to) override;
    void selectRow(std::size_t position) override;
    std::optional<std::size_t> selectedRow() const override;
    void setButtonsEnabled(const ButtonStates& states) override;
    void redraw() override;
    void startTimer(unsigned periodMilliseconds) override;

private:
    // Before the window first shows: wider than designed where a row needs it.
    void widenForRows();

    MultiQuellanConfig* attachedModel = nullptr;
    std::unique_ptr<QDialog> dialog;
    // Owned by the dialog; null outside runModal.
    QTreeWidget* list = nullptr;
    QAction* removeAction = nullptr;
    QAction* configureAction = nullptr;
    QAction* moveUpAction = nullptr;
    QAction* moveDownAction = nullptr;
    QTimer* timer = nullptr;
};

}  // namespace mq
