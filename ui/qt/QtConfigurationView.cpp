// The configuration dialog's Qt view: drawing the model and forwarding the user's actions.
#include "ui/qt/QtConfigurationView.h"

#include "ui/MultiQuellanConfig.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace mq {

namespace {

// The dialog's size in dialog units, 225 x 183, at the usual 8 pt shell font.
constexpr int DIALOG_WIDTH = 338;
constexpr int DIALOG_HEIGHT = 298;
constexpr QSize BUTTON_IMAGE_SIZE(16, 15);

enum class ButtonImage { ADD, REMOVE, CONFIGURE, MOVE_UP, MOVE_DOWN };

enum Column { IDENTITY_COLUMN, PATH_COLUMN, COLUMN_COUNT };

// An arrow of a head and a stem, pointing up, or down when mirrored.
void drawArrow(QPainter& painter, bool up) {
    const qreal last = BUTTON_IMAGE_SIZE.height() - 1;
    auto y = [&](qreal fromTop) { return up ? fromTop : last - fromTop; };
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(32, 96, 176));
    painter.drawPolygon(QPolygonF{{QPointF(7.5, y(1)), QPointF(14, y(8)), QPointF(1, y(8))}});
    painter.drawRect(QRectF(5.5, up ? y(8) : y(14), 4, 6));
}

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
    case ButtonImage::MOVE_UP: drawArrow(painter, true); break;
    case ButtonImage::MOVE_DOWN: drawArrow(painter, false); break;
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
// control does; QTreeWidget would keep it.
class EmptySpaceClick final : public QObject {
public:
    explicit EmptySpaceClick(QTreeWidget& list) : QObject(&list), list(list) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* press = static_cast<QMouseEvent*>(event);
            if (!list.itemAt(press->position().toPoint())) list.clearSelection();
        }
        return false;
    }

private:
    QTreeWidget& list;
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
    toolbar->addSeparator();
    moveUpAction = addCommand(*toolbar, ButtonImage::MOVE_UP, "moveUp", MOVE_UP_TOOL_TIP, model, MOVE_UP_COMMAND);
    moveDownAction =
        addCommand(*toolbar, ButtonImage::MOVE_DOWN, "moveDown", MOVE_DOWN_TOOL_TIP, model, MOVE_DOWN_COMMAND);
    layout->addWidget(toolbar);
    layout->setSpacing(0);

    // Rows of a flat tree: the identity whole, the path in what width is
    // left, cut in the middle so that both its root and its file name show.
    list = new QTreeWidget(dialog.get());
    list->setObjectName("list");
    list->setColumnCount(COLUMN_COUNT);
    list->setHeaderLabels({QString::fromUtf8(IDENTITY_COLUMN_TITLE), QString::fromUtf8(PATH_COLUMN_TITLE)});
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setTextElideMode(Qt::ElideMiddle);
    list->header()->setSectionResizeMode(IDENTITY_COLUMN, QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(true);
    list->header()->setSectionsMovable(false);
    list->viewport()->installEventFilter(new EmptySpaceClick(*list));
    layout->addWidget(list, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog.get());
    buttons->setObjectName("buttons");
    // The model decides whether OK may close: a save that fails keeps the dialog.
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), [this] {
        if (attachedModel && attachedModel->accept()) dialog->accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
    // The note takes the width left of the buttons, wrapping where it must.
    auto* note = new QLabel(QString::fromUtf8(NEXT_CONNECTION_NOTE), dialog.get());
    note->setObjectName("note");
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    note->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(note, 1);
    bottom->addWidget(buttons, 0, Qt::AlignRight | Qt::AlignVCenter);
    layout->addSpacing(8);
    layout->addLayout(bottom);
    // Never smaller than designed, so the note always has its room.
    dialog->setMinimumSize(DIALOG_WIDTH, DIALOG_HEIGHT);
    dialog->resize(DIALOG_WIDTH, DIALOG_HEIGHT);
    // The note keeps the height it needs at the narrowest, so that a wider
    // dialog gives every extra pixel of height to the list, as designed.
    layout->activate();
    note->setFixedHeight(note->heightForWidth(note->width()));

    model.initialise();
    widenForRows();
    int result = dialog->exec() == QDialog::Accepted ? DIALOG_OK : DIALOG_CANCEL;

    // The timer and every widget go with the window.
    list = nullptr;
    removeAction = configureAction = moveUpAction = moveDownAction = nullptr;
    timer = nullptr;
    dialog.reset();
    attachedModel = nullptr;
    return result;
}

void QtConfigurationView::widenForRows() {
    if (!list || list->topLevelItemCount() == 0) return;
    // The list is laid out at the template size. What its columns ask for
    // to show their texts whole (public only in the base class).
    const QAbstractItemView& rows = *list;
    const int identity =
        std::max(rows.sizeHintForColumn(IDENTITY_COLUMN), list->header()->sectionSizeHint(IDENTITY_COLUMN));
    const int needed = identity + rows.sizeHintForColumn(PATH_COLUMN);
    int room = list->width() - 2 * list->frameWidth();
    // Rows taller than the list bring a vertical scroll bar, which takes its width from them.
    const int rowsHeight = list->header()->sizeHint().height() + list->topLevelItemCount() * rows.sizeHintForRow(0);
    if (rowsHeight > list->height() - 2 * list->frameWidth())
        room -= list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list->verticalScrollBar());
    const int grow = needed - room;
    if (grow <= 0) return;
    // Where a dialog without a parent opens: on the screen under the pointer
    // where there are several.
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = dialog->screen();
    const int widest = screen->availableGeometry().width() * FIRST_WIDTH_MAX_PERCENT / 100;
    dialog->resize(std::max(dialog->width(), std::min(dialog->width() + grow, widest)), dialog->height());
}

void QtConfigurationView::insertRow(std::size_t position, const std::string& identity, const std::string& path) {
    if (!list) return;
    auto text = [](const std::string& bytes) {
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    auto* item = new QTreeWidgetItem;
    item->setText(IDENTITY_COLUMN, text(identity));
    item->setText(PATH_COLUMN, text(path));
    // The whole path, where the column shows only part of it.
    item->setToolTip(PATH_COLUMN, text(path));
    list->insertTopLevelItem(static_cast<int>(position), item);
}

void QtConfigurationView::removeRow(std::size_t position) {
    if (!list) return;
    std::unique_ptr<QTreeWidgetItem> item(list->takeTopLevelItem(static_cast<int>(position)));
    // QTreeWidget hands the current row, and with it the selection, on to the
    // next row; the platform's list leaves nothing selected, so that a second
    // click on Remove cannot take another child.
    list->selectionModel()->clear();
}

void QtConfigurationView::moveRow(std::size_t from, std::size_t to) {
    if (!list) return;
    QTreeWidgetItem* item = list->takeTopLevelItem(static_cast<int>(from));
    if (item) list->insertTopLevelItem(static_cast<int>(to), item);
}

void QtConfigurationView::selectRow(std::size_t position) {
    if (!list) return;
    QTreeWidgetItem* item = list->topLevelItem(static_cast<int>(position));
    if (!item) return;
    // In single selection, making it current selects it alone.
    list->setCurrentItem(item);
    list->scrollToItem(item);
}

std::optional<std::size_t> QtConfigurationView::selectedRow() const {
    if (!list) return std::nullopt;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        if (list->topLevelItem(row)->isSelected()) return static_cast<std::size_t>(row);
    return std::nullopt;
}

void QtConfigurationView::setButtonsEnabled(const ButtonStates& states) {
    if (removeAction) removeAction->setEnabled(states.remove);
    if (configureAction) configureAction->setEnabled(states.configure);
    if (moveUpAction) moveUpAction->setEnabled(states.moveUp);
    if (moveDownAction) moveDownAction->setEnabled(states.moveDown);
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
