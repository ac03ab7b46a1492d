// The configuration dialog's Qt view: drawing the model and forwarding the user's actions.
#include "ui/qt/QtConfigurationView.h"

#include "ui/MultiQuellanConfig.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QIcon>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace mq {

namespace {

// The dialog's size in dialog units, 225 x 183, at the usual 8 pt shell font.
constexpr int DIALOG_WIDTH = 338;
constexpr int DIALOG_HEIGHT = 298;
constexpr QSize BUTTON_IMAGE_SIZE(16, 15);

enum class ButtonImage { ADD, REMOVE, CONFIGURE };

QIcon buttonIcon(ButtonImage image) {
    QPixmap pixmap(BUTTON_IMAGE_SIZE);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case ButtonImage::ADD:
        painter.fillRect(6, 2, 4, 11, QColor(0, 128, 0));
        painter.fillRect(2, 5, 12, 4, QColor(0, 128, 0));
        break;
    case ButtonImage::REMOVE:
        painter.setPen(QPen(QColor(192, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(3, 3, 12, 11);
        painter.drawLine(12, 3, 3, 11);
        break;
    case ButtonImage::CONFIGURE: {
        // A cog: a ring with four teeth.
        QColor steel(64, 80, 112);
        painter.setPen(Qt::NoPen);
        painter.setBrush(steel);
        painter.drawRect(7, 0, 2, 15);
        painter.drawRect(0, 6, 16, 3);
        painter.drawEllipse(QRectF(2.5, 2, 11, 11));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(5.5, 5, 5, 5));
        break;
    }
    }
    return QIcon(pixmap);
}

QAction* addCommand(QToolBar& toolbar, ButtonImage image, const char* name, const char* toolTip,
                    MultiQuellanConfig& model, int id) {
    QAction* action = toolbar.addAction(buttonIcon(image), QString::fromUtf8(toolTip));
    action->setObjectName(QString::fromUtf8(name));
    action->setToolTip(QString::fromUtf8(toolTip));
    QObject::connect(action, &QAction::triggered, [&model, id] { model.command(id); });
    return action;
}

// A click on empty list space drops the selection, as the platform's own list
// control does in list mode; QListWidget would keep it.
class EmptySpaceClick final : public QObject {
public:
    explicit EmptySpaceClick(QListWidget& list) : QObject(&list), list(list) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* press = static_cast<QMouseEvent*>(event);
            if (!list.itemAt(press->position().toPoint())) list.clearSelection();
        }
        return false;
    }

private:
    QListWidget& list;
};

}  // namespace

QtConfigurationView::QtConfigurationView() = default;
QtConfigurationView::~QtConfigurationView() = default;

int QtConfigurationView::runModal(MultiQuellanConfig& model) {
    attachedModel = &model;
    dialog = std::make_unique<QDialog>();
    dialog->setWindowTitle(QString::fromUtf8(DIALOG_TITLE));
    dialog->setSizeGripEnabled(true);

    // The layout gives the resizing: the list takes every extra pixel, the
    // toolbar stays on its top edge and the buttons stay bottom-right.
    auto* layout = new QVBoxLayout(dialog.get());
    auto* toolbar = new QToolBar(dialog.get());
    toolbar->setObjectName("toolbar");
    toolbar->setIconSize(BUTTON_IMAGE_SIZE);
    toolbar->setFloatable(false);
    toolbar->setMovable(false);
    addCommand(*toolbar, ButtonImage::ADD, "add", ADD_TOOL_TIP, model, ADD_COMMAND);
    removeAction = addCommand(*toolbar, ButtonImage::REMOVE, "remove", REMOVE_TOOL_TIP, model, REMOVE_COMMAND);
    configureAction =
        addCommand(*toolbar, ButtonImage::CONFIGURE, "configure", CONFIGURE_TOOL_TIP, model, CONFIGURE_COMMAND);
    layout->addWidget(toolbar);
    layout->setSpacing(0);

    list = new QListWidget(dialog.get());
    list->setObjectName("list");
    list->setViewMode(QListView::ListMode);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->viewport()->installEventFilter(new EmptySpaceClick(*list));
    layout->addWidget(list, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog.get());
    buttons->setObjectName("buttons");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
    layout->addSpacing(8);
    layout->addWidget(buttons, 0, Qt::AlignRight);
    dialog->resize(DIALOG_WIDTH, DIALOG_HEIGHT);

    model.initialise();
    int result = dialog->exec() == QDialog::Accepted ? DIALOG_OK : DIALOG_CANCEL;

    // The timer and every widget go with the window.
    list = nullptr;
    removeAction = configureAction = nullptr;
    timer = nullptr;
    dialog.reset();
    attachedModel = nullptr;
    return result;
}

void QtConfigurationView::insertRow(std::size_t position, const std::string& text) {
    if (!list) return;
    list->insertItem(static_cast<int>(position), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtConfigurationView::removeRow(std::size_t position) {
    if (!list) return;
    std::unique_ptr<QListWidgetItem> item(list->takeItem(static_cast<int>(position)));
    // QListWidget hands the current row, and with it the selection, on to the
    // next row; the platform's list leaves nothing selected, so that a second
    // click on Remove cannot take another child.
    list->selectionModel()->clear();
}

std::optional<std::size_t> QtConfigurationView::selectedRow() const {
    if (!list) return std::nullopt;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected()) return static_cast<std::size_t>(row);
    return std::nullopt;
}

void QtConfigurationView::setButtonsEnabled(bool remove, bool configure) {
    if (removeAction) removeAction->setEnabled(remove);
    if (configureAction) configureAction->setEnabled(configure);
}

void QtConfigurationView::redraw() {
    if (list) list->viewport()->repaint();
}

void QtConfigurationView::startTimer(unsigned periodMilliseconds) {
    if (!dialog || !attachedModel) return;
    timer = new QTimer(dialog.get());
    QObject::connect(timer, &QTimer::timeout, [model = attachedModel] { model->updateButtons(); });
    timer->setInterval(static_cast<int>(periodMilliseconds));
    timer->start();
}

}  // namespace mq
