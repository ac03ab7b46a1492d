// The Qt dialog and prompts, under the offscreen platform, driven through
// their real widgets; the model behind them is the real one.
#include "ConfigurationFakes.h"
#include "qt/QtDriver.h"

#include "support/SimChild.h"
#include "support/TestEnvironment.h"
#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationFileWriter.h"
#include "config/ConfigurationRecord.h"
#include "ui/ConfigurationView.h"
#include "ui/MultiQuellanConfig.h"
#include "ui/qt/QtPrompts.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace mq::test {
namespace {

// One column of the list: 0 the identities, 1 the paths.
QStringList rowTexts(const QTreeWidget& list, int column = 0) {
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row) texts << list.topLevelItem(row)->text(column);
    return texts;
}

QStringList pathTexts(std::initializer_list<const SimChild*> children) {
    QStringList texts;
    for (const SimChild* child : children) texts << QString::fromStdString(child->libraryPath());
    return texts;
}

// A left-button press and release at `point` of `widget`, or a double click there.
void click(QWidget& widget, QPoint point, bool twice = false) {
    QPointF at(point);
    QPointF global = widget.mapToGlobal(at);
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    if (!twice) return;
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

// A widget's place in the dialog's coordinates.
QRect placeIn(QDialog& dialog, QWidget& widget) { return QRect(widget.mapTo(&dialog, QPoint(0, 0)), widget.size()); }

struct DialogParts {
    explicit DialogParts(QDialog& dialog)
        : list(dialog.findChild<QTreeWidget*>("list")),
          toolbar(dialog.findChild<QToolBar*>("toolbar")),
          add(dialog.findChild<QAction*>("add")),
          remove(dialog.findChild<QAction*>("remove")),
          configure(dialog.findChild<QAction*>("configure")),
          moveUp(dialog.findChild<QAction*>("moveUp")),
          moveDown(dialog.findChild<QAction*>("moveDown")),
          note(dialog.findChild<QLabel*>("note")),
          buttons(dialog.findChild<QDialogButtonBox*>("buttons")) {}
    bool complete() const {
        return list && toolbar && add && remove && configure && moveUp && moveDown && note && buttons;
    }
    // What a click on the row does.
    void select(int row) const { list->setCurrentItem(list->topLevelItem(row)); }
    std::optional<int> selectedRow() const {
        QList<QTreeWidgetItem*> selected = list->selectedItems();
        if (selected.size() != 1) return std::nullopt;
        return list->indexOfTopLevelItem(selected[0]);
    }
    QPushButton* ok() const { return buttons->button(QDialogButtonBox::Ok); }
    QPushButton* cancel() const { return buttons->button(QDialogButtonBox::Cancel); }

    QTreeWidget* list;
    QToolBar* toolbar;
    QAction* add;
    QAction* remove;
    QAction* configure;
    QAction* moveUp;
    QAction* moveDown;
    QLabel* note;
    QDialogButtonBox* buttons;
};

class QtConfigurationDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application = createConfigurationApplication("", 1).release(); }
    static void TearDownTestSuite() {
        std::unique_ptr<ConfigurationApplication> owned(application);
        application = nullptr;
    }

    void TearDown() override {
        for (QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->windowTitle().toStdString();
    }

    std::unique_ptr<SimChild> child(const std::string& name, const std::string& extraLines = "") {
        return std::make_unique<SimChild>(scratch.path(), name,
                                          "identity " + name + " plant\nnode " + name + "Area\n" + extraLines);
    }

    // Runs the real Qt view over the model, with `steps` acting in the dialog.
    int run(const std::vector<std::string>& paths, std::function<void(QDialog&, DialogParts&)> steps) {
        for (const auto& path : paths) model.addEntry(path);
        auto view = application->createView();
        whenModalOpens<QDialog>([steps](QDialog& dialog) {
            DialogParts parts(dialog);
            ASSERT_TRUE(parts.complete());
            steps(dialog, parts);
        });
        return model.runModal(*view);
    }

    static ConfigurationApplication* application;
    ScratchFolder scratch{"ui qt"};
    ScriptedPrompts prompts;
    MultiQuellanConfig model{prompts};
};

ConfigurationApplication* QtConfigurationDialog::application = nullptr;

TEST_F(QtConfigurationDialog, HasItsTitleToolbarListAndButtons) {
    int result = run({}, [](QDialog& dialog, DialogParts& parts) {
        EXPECT_EQ(dialog.windowTitle(), "MultiQuellan Configuration");
        QList<QAction*> commands;
        for (QAction* action : parts.toolbar->actions())
            if (!action->isSeparator()) commands << action;
        EXPECT_EQ(commands, (QList<QAction*>{parts.add, parts.remove, parts.configure, parts.moveUp, parts.moveDown}));
        EXPECT_EQ(parts.add->toolTip(), "Add a new Quellan");
        EXPECT_EQ(parts.remove->toolTip(), "Remove selected Quellan");
        EXPECT_EQ(parts.configure->toolTip(), "Configure selected Quellan");
        EXPECT_EQ(parts.moveUp->toolTip(), "Move selected Quellan up");
        EXPECT_EQ(parts.moveDown->toolTip(), "Move selected Quellan down");
        for (QAction* action : commands) EXPECT_TRUE(action->icon().availableSizes().contains(QSize(16, 15)));
        EXPECT_EQ(parts.toolbar->iconSize(), QSize(16, 15));
        ASSERT_EQ(parts.list->columnCount(), 2);
        EXPECT_EQ(parts.list->headerItem()->text(0), "Quellan");
        EXPECT_EQ(parts.list->headerItem()->text(1), "Path");
        EXPECT_FALSE(parts.list->rootIsDecorated());
        EXPECT_EQ(parts.list->selectionMode(), QAbstractItemView::SingleSelection);
        // The toolbar sits directly on the list.
        EXPECT_LE(parts.toolbar->geometry().bottom(), parts.list->geometry().top());
        EXPECT_EQ(parts.toolbar->geometry().left(), parts.list->geometry().left());
        ASSERT_NE(parts.ok(), nullptr);
        ASSERT_NE(parts.cancel(), nullptr);
        EXPECT_TRUE(parts.add->isEnabled());
        for (QAction* action : {parts.remove, parts.configure, parts.moveUp, parts.moveDown})
            EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
        auto* timer = dialog.findChild<QTimer*>();
        ASSERT_NE(timer, nullptr);
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 100);
        parts.cancel()->click();
    });
    EXPECT_EQ(result, DIALOG_CANCEL);
}

TEST_F(QtConfigurationDialog, ShowsTheEntriesByIdentityAndPathAndOkEndsWithOk) {
    auto alpha = child("Alpha");
    auto silent = child("Silent", "fail getIdentity 1\n");
    QStringList rows, paths;
    int result = run({alpha->libraryPath(), silent->libraryPath()}, [&](QDialog&, DialogParts& parts) {
        rows = rowTexts(*parts.list);
        paths = rowTexts(*parts.list, 1);
        parts.ok()->click();
    });
    EXPECT_EQ(result, DIALOG_OK);
    EXPECT_EQ(rows, (QStringList{"Alpha plant", ""}));
    EXPECT_EQ(paths, pathTexts({alpha.get(), silent.get()}));
    EXPECT_EQ(prompts.messageTexts(), (std::vector<std::string>{INVALID_QUELLAN_MESSAGE}));
}

TEST_F(QtConfigurationDialog, TheCloseBoxEndsWithCancel) {
    int result = run({}, [](QDialog& dialog, DialogParts&) { dialog.close(); });
    EXPECT_EQ(result, DIALOG_CANCEL);
}

TEST_F(QtConfigurationDialog, TheAddButtonAppendsAValidChild) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    prompts.willChoose(beta->libraryPath());
    QStringList rows, paths;
    run({alpha->libraryPath()}, [&](QDialog&, DialogParts& parts) {
        parts.add->trigger();
        rows = rowTexts(*parts.list);
        paths = rowTexts(*parts.list, 1);
        parts.ok()->click();
    });
    EXPECT_EQ(rows, (QStringList{"Alpha plant", "Beta plant"}));
    EXPECT_EQ(paths, pathTexts({alpha.get(), beta.get()}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), beta->libraryPath()}));
}

TEST_F(QtConfigurationDialog, SelectingARowEnablesRemoveWhichDeletesThatRow) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    auto gamma = child("Gamma");
    QStringList rows;
    run({alpha->libraryPath(), beta->libraryPath(), gamma->libraryPath()}, [&](QDialog&, DialogParts& parts) {
        parts.select(1);
        ASSERT_TRUE(waitUntil([&] { return parts.remove->isEnabled() && parts.configure->isEnabled(); }));
        parts.remove->trigger();
        rows = rowTexts(*parts.list);
        parts.ok()->click();
    });
    EXPECT_EQ(rows, (QStringList{"Alpha plant", "Gamma plant"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), gamma->libraryPath()}));
}

// However fast the user clicks Remove again, before the next tick or after
// it, nothing is selected once a row has gone.
enum class RepeatedRemove { TWO_CLICKS, DOUBLE_CLICK };

class QtRemovingARow : public QtConfigurationDialog, public ::testing::WithParamInterface<RepeatedRemove> {};

TEST_P(QtRemovingARow, LeavesNoRowSelectedSoOnlyTheChosenChildIsRemovedAndSaved) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    auto gamma = child("Gamma");
    ConfigurationRecord record{scratch.file("MultiQuellanConfiguration.xml"), ConfigurationFileState::READ,
                               settingsWithChildren({alpha->libraryPath(), beta->libraryPath(), gamma->libraryPath()})};
    QStringList rows;
    bool selectionAfterRemove = true;
    bool buttonsDisabled = false;
    auto view = application->createView();
    whenModalOpens<QDialog>([&](QDialog& dialog) {
        DialogParts parts(dialog);
        ASSERT_TRUE(parts.complete());
        click(*parts.list->viewport(), parts.list->visualItemRect(parts.list->topLevelItem(1)).center());
        ASSERT_TRUE(waitUntil([&] { return parts.remove->isEnabled(); }));
        QWidget* removeButton = parts.toolbar->widgetForAction(parts.remove);
        ASSERT_NE(removeButton, nullptr);
        QPoint middle = removeButton->rect().center();
        if (GetParam() == RepeatedRemove::DOUBLE_CLICK) {
            click(*removeButton, middle, true);
        } else {
            click(*removeButton, middle);
            click(*removeButton, middle);
        }
        rows = rowTexts(*parts.list);
        selectionAfterRemove = !parts.list->selectedItems().isEmpty() || parts.list->currentItem() != nullptr;
        buttonsDisabled = waitUntil([&] { return !parts.remove->isEnabled() && !parts.configure->isEnabled(); });
        click(*removeButton, middle);
        parts.ok()->click();
    });
    editAndSaveConfiguration(record, prompts, *view);
    EXPECT_EQ(rows, (QStringList{"Alpha plant", "Gamma plant"}));
    EXPECT_FALSE(selectionAfterRemove);
    EXPECT_TRUE(buttonsDisabled);
    EXPECT_EQ(readConfigurationFile(record.configurationPath),
              (std::vector<std::string>{alpha->libraryPath(), gamma->libraryPath()}));
}

INSTANTIATE_TEST_SUITE_P(Clicks, QtRemovingARow,
                         ::testing::Values(RepeatedRemove::TWO_CLICKS, RepeatedRemove::DOUBLE_CLICK),
                         [](const ::testing::TestParamInfo<RepeatedRemove>& info) {
                             return info.param == RepeatedRemove::TWO_CLICKS ? "TwoClicks" : "DoubleClick";
                         });

TEST_F(QtConfigurationDialog, TheMoveButtonsMoveTheSelectedRowWithItsPathAndTheSelectionFollows) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    auto gamma = child("Gamma");
    QStringList rows, paths;
    std::vector<std::optional<int>> selected;
    std::vector<std::pair<bool, bool>> moves;
    auto note = [&](DialogParts& parts) {
        selected.push_back(parts.selectedRow());
        moves.emplace_back(parts.moveUp->isEnabled(), parts.moveDown->isEnabled());
    };
    run({alpha->libraryPath(), beta->libraryPath(), gamma->libraryPath()}, [&](QDialog&, DialogParts& parts) {
        parts.select(1);
        ASSERT_TRUE(waitUntil([&] { return parts.moveUp->isEnabled() && parts.moveDown->isEnabled(); }));
        parts.moveUp->trigger();
        note(parts);
        parts.moveDown->trigger();
        parts.moveDown->trigger();
        note(parts);
        rows = rowTexts(*parts.list);
        paths = rowTexts(*parts.list, 1);
        parts.ok()->click();
    });
    EXPECT_EQ(selected, (std::vector<std::optional<int>>{0, 2}));
    EXPECT_EQ(moves, (std::vector<std::pair<bool, bool>>{{false, true}, {true, false}}));
    EXPECT_EQ(rows, (QStringList{"Alpha plant", "Gamma plant", "Beta plant"}));
    EXPECT_EQ(paths, pathTexts({alpha.get(), gamma.get(), beta.get()}));
    EXPECT_EQ(model.entryPaths(),
              (std::vector<std::string>{alpha->libraryPath(), gamma->libraryPath(), beta->libraryPath()}));
}

TEST_F(QtConfigurationDialog, AClickInEmptyListSpaceDisablesRemoveAndConfigure) {
    auto alpha = child("Alpha");
    bool disabled = false;
    run({alpha->libraryPath()}, [&](QDialog&, DialogParts& parts) {
        parts.select(0);
        ASSERT_TRUE(waitUntil([&] { return parts.remove->isEnabled(); }));
        QWidget* space = parts.list->viewport();
        QPointF point(space->width() - 3, space->height() - 3);
        ASSERT_EQ(parts.list->itemAt(point.toPoint()), nullptr);
        QMouseEvent press(QEvent::MouseButtonPress, point, space->mapToGlobal(point), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, point, space->mapToGlobal(point), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(space, &press);
        QApplication::sendEvent(space, &release);
        disabled = waitUntil([&] { return !parts.remove->isEnabled() && !parts.configure->isEnabled(); });
        parts.ok()->click();
    });
    EXPECT_TRUE(disabled);
    EXPECT_EQ(model.entries().size(), 1u);
}

TEST_F(QtConfigurationDialog, TheConfigureButtonRunsTheSelectedChildsConfiguration) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    alpha->clearJournal();
    beta->clearJournal();
    run({alpha->libraryPath(), beta->libraryPath()}, [&](QDialog&, DialogParts& parts) {
        // Opening read both identities; only what configure does counts.
        alpha->clearJournal();
        beta->clearJournal();
        parts.select(0);
        ASSERT_TRUE(waitUntil([&] { return parts.configure->isEnabled(); }));
        parts.configure->trigger();
        parts.ok()->click();
    });
    EXPECT_EQ(alpha->journal("updateConfiguration").size(), 1u);
    EXPECT_TRUE(beta->journal("updateConfiguration").empty());
}

TEST_F(QtConfigurationDialog, ResizingGrowsTheListAndKeepsTheButtonsBottomRight) {
    run({}, [](QDialog& dialog, DialogParts& parts) {
        QApplication::processEvents();
        QRect list = parts.list->geometry();
        QRect ok = parts.ok()->geometry();
        QPoint okFromCorner = dialog.rect().bottomRight() - parts.ok()->mapTo(&dialog, QPoint(0, 0));
        QRect note = placeIn(dialog, *parts.note);
        dialog.resize(dialog.width() + 120, dialog.height() + 90);
        ASSERT_TRUE(waitUntil([&] { return parts.list->width() == list.width() + 120; }));
        EXPECT_EQ(parts.list->geometry().topLeft(), list.topLeft());
        EXPECT_EQ(parts.list->height(), list.height() + 90);
        EXPECT_EQ(parts.ok()->size(), ok.size());
        EXPECT_EQ(dialog.rect().bottomRight() - parts.ok()->mapTo(&dialog, QPoint(0, 0)), okFromCorner);
        // The note keeps to the bottom-left and takes the new width.
        EXPECT_EQ(placeIn(dialog, *parts.note), note.translated(0, 90).adjusted(0, 0, 120, 0));
        parts.ok()->click();
    });
}

TEST_F(QtConfigurationDialog, TheNoteUnderTheListSaysWhenChangesTakeEffectBesideTheButtons) {
    run({}, [](QDialog& dialog, DialogParts& parts) {
        const QRect note = placeIn(dialog, *parts.note);
        EXPECT_EQ(parts.note->text(), "Changes take effect at the host's next connection.");
        EXPECT_EQ(dialog.size(), dialog.minimumSize());
        EXPECT_GT(note.top(), placeIn(dialog, *parts.list).bottom());
        EXPECT_FALSE(note.intersects(placeIn(dialog, *parts.buttons)));
        // Every line of it shows.
        EXPECT_LE(parts.note->heightForWidth(parts.note->width()), parts.note->height());
        parts.cancel()->click();
    });
}

// The first width against the row of a child in a folder of that many
// characters below the scratch folder.
enum class FirstWidth { DESIGNED, WHOLE_ROW, SCREEN_SHARE };
class QtFirstWidth : public QtConfigurationDialog,
                     public ::testing::WithParamInterface<std::pair<std::size_t, FirstWidth>> {};

TEST_P(QtFirstWidth, ShowsTheLongestRowWholeUpToAShareOfTheScreen) {
    const auto [folderLength, expected] = GetParam();
    const std::string folder = scratch.file(std::string(folderLength, 'q'));
    std::filesystem::create_directories(folder);
    SimChild alpha(folder, "Alpha", "identity Alpha plant\n");
    const std::string file = scratch.file("MultiQuellanConfiguration.xml");
    ASSERT_TRUE(writeConfigurationFile(file, std::vector<std::string>{alpha.libraryPath()}));
    QSize size, designed;
    int screenShare = 0;
    bool rowWhole = false;
    run(readConfigurationFile(file), [&](QDialog& dialog, DialogParts& parts) {
        size = dialog.size();
        designed = dialog.minimumSize();
        screenShare = dialog.screen()->availableGeometry().width() * FIRST_WIDTH_MAX_PERCENT / 100;
        // Each column as wide as the list asks for its texts, within its visible width.
        const QAbstractItemView& rows = *parts.list;
        const QHeaderView& header = *parts.list->header();
        rowWhole = header.sectionSize(0) >= rows.sizeHintForColumn(0) &&
                   header.sectionSize(1) >= rows.sizeHintForColumn(1) && header.length() <= rows.viewport()->width();
        parts.cancel()->click();
    });
    EXPECT_EQ(size.height(), designed.height());
    EXPECT_EQ(size.width() > designed.width(), expected != FirstWidth::DESIGNED);
    EXPECT_EQ(size.width() == screenShare, expected == FirstWidth::SCREEN_SHARE);
    EXPECT_EQ(rowWhole, expected != FirstWidth::SCREEN_SHARE);
}

INSTANTIATE_TEST_SUITE_P(Rows, QtFirstWidth,
                         ::testing::Values(std::pair{0u, FirstWidth::DESIGNED}, std::pair{30u, FirstWidth::WHOLE_ROW},
                                           std::pair{200u, FirstWidth::SCREEN_SHARE}));

TEST_F(QtConfigurationDialog, AScreenshotWithThreeChildren) {
    auto alpha = child("Fermentation");
    auto beta = child("Utilities");
    auto gamma = child("Packaging");
    QPixmap shot;
    run({alpha->libraryPath(), beta->libraryPath(), gamma->libraryPath()}, [&](QDialog& dialog, DialogParts& parts) {
        parts.select(1);
        ASSERT_TRUE(waitUntil([&] { return parts.remove->isEnabled(); }));
        shot = dialog.grab();
        parts.cancel()->click();
    });
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QString::fromUtf8(MQ_UI_SCREENSHOT_PATH), "PNG"));
    EXPECT_FALSE(readFile(MQ_UI_SCREENSHOT_PATH).empty());
}

// --- the prompts -----------------------------------------------------------

class QtConfigurationPrompts : public QtConfigurationDialog {
protected:
    QtPrompts qtPrompts;
};

TEST_F(QtConfigurationPrompts, AMessageBoxShowsTextAndCaptionWithOnlyAnOkButton) {
    QString text, title;
    int buttonCount = 0;
    whenModalOpens<QMessageBox>([&](QMessageBox& box) {
        text = box.text();
        title = box.windowTitle();
        buttonCount = static_cast<int>(box.buttons().size());
        ASSERT_NE(box.button(QMessageBox::Ok), nullptr);
        box.button(QMessageBox::Ok)->click();
    });
    qtPrompts.showMessage("Configuration saved to /x/y.xml", "MultiQuellan (test)");
    EXPECT_EQ(text, "Configuration saved to /x/y.xml");
    EXPECT_EQ(title, "MultiQuellan (test)");
    EXPECT_EQ(buttonCount, 1);
}

TEST_F(QtConfigurationPrompts, AQuestionOffersYesAndNoWithNoTheDefault) {
    for (bool yes : {true, false}) {
        QString text, title;
        bool noIsDefault = false, noOnEscape = false;
        whenModalOpens<QMessageBox>([&](QMessageBox& box) {
            text = box.text();
            title = box.windowTitle();
            noIsDefault = box.defaultButton() == box.button(QMessageBox::No);
            noOnEscape = box.escapeButton() == box.button(QMessageBox::No);
            ASSERT_NE(box.button(QMessageBox::Yes), nullptr);
            box.button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        EXPECT_EQ(qtPrompts.askYesNo("Replace /x/y.xml with this list?", "MultiQuellan (test)"), yes);
        EXPECT_EQ(text, "Replace /x/y.xml with this list?");
        EXPECT_EQ(title, "MultiQuellan (test)");
        EXPECT_TRUE(noIsDefault);
        EXPECT_TRUE(noOnEscape);
    }
}

TEST_F(QtConfigurationPrompts, TheOpenFileDialogAsksForAnExistingLibrary) {
    auto alpha = child("Alpha");
    QString title;
    QStringList filters;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QString suffix;
    whenModalOpens<QFileDialog>([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        filters = dialog.nameFilters();
        mode = dialog.fileMode();
        suffix = dialog.defaultSuffix();
        dialog.selectFile(QString::fromStdString(alpha->libraryPath()));
        static_cast<QDialog&>(dialog).accept();
    });
    std::string chosen;
    EXPECT_TRUE(qtPrompts.chooseLibraryFile(chosen));
    EXPECT_EQ(chosen, alpha->libraryPath());
    EXPECT_EQ(title, "Open Arvola Application Program Interface");
    EXPECT_EQ(filters, (QStringList{"Quellan (*.so)", "All Files (*)"}));
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
    EXPECT_EQ(suffix, "so");
}

TEST_F(QtConfigurationPrompts, CancellingTheOpenFileDialogChoosesNothing) {
    whenModalOpens<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    std::string chosen = "unchanged";
    EXPECT_FALSE(qtPrompts.chooseLibraryFile(chosen));
    EXPECT_EQ(chosen, "unchanged");
}

}  // namespace
}  // namespace mq::test
