// The configuration dialog's model, driven through a view without windows and
// prompts answered by the test; the children are real SimQuellan copies.
#include "ConfigurationFakes.h"

#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationFileWriter.h"
#include "config/ConfigurationRecord.h"
#include "interface/Identity.h"
#include "platform/FileSystem.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"
#include "ui/MultiQuellanConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace mq::test {
namespace {

const std::string COULD_NOT_LOAD = "The specified Quellan could not be loaded.";
const std::string NOT_FULLY_IMPLEMENTED = "The specified Quellan does not fully implement Quellan version 2.";

class ConfigurationModel : public ::testing::Test {
protected:
    std::unique_ptr<SimChild> child(const std::string& name, const std::string& extraLines = "",
                                    SimVariant variant = SimVariant::FULL) {
        return std::make_unique<SimChild>(scratch.path(), name,
                                          "identity " + name + " plant\nnode " + name + "Area\n" + extraLines,
                                          variant);
    }

    // A model seeded with `paths`, run once through `view`.
    int run(const std::vector<std::string>& paths, FakeView& view) {
        for (const auto& path : paths) model.addEntry(path);
        return model.runModal(view);
    }

    ScratchFolder scratch{"ui model"};
    ScriptedPrompts prompts;
    MultiQuellanConfig model{prompts};
};

// --- opening ---------------------------------------------------------------

TEST_F(ConfigurationModel, AnEmptyConfigurationOpensWithNoRowsAndOnlyAddEnabled) {
    FakeView view;
    EXPECT_EQ(run({}, view), DIALOG_OK);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.buttons, ButtonStates{});
    EXPECT_EQ(model.buttonStates(), ButtonStates{});
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConfigurationModel, OpeningStartsTheButtonTimerAndShowsEachEntryByItsIdentityAndPath) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    std::optional<unsigned> period;
    FakeView view([&](MultiQuellanConfig&, FakeView& v) {
        period = v.timerPeriod;
        return DIALOG_OK;
    });
    run({alpha->libraryPath(), beta->libraryPath()}, view);
    EXPECT_EQ(period, BUTTON_UPDATE_PERIOD_MS);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "Beta plant"}));
    EXPECT_EQ(view.paths, (std::vector<std::string>{alpha->libraryPath(), beta->libraryPath()}));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConfigurationModel, AnEntryWithoutIdentityIsAnnouncedAndStillGetsARowWithItsPath) {
    auto alpha = child("Alpha");
    auto silent = child("Silent", "fail getIdentity 1\n");
    auto gamma = child("Gamma");
    FakeView view;
    run({alpha->libraryPath(), silent->libraryPath(), gamma->libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "", "Gamma plant"}));
    EXPECT_EQ(view.paths,
              (std::vector<std::string>{alpha->libraryPath(), silent->libraryPath(), gamma->libraryPath()}));
    EXPECT_EQ(prompts.messages, (std::vector<ShownMessage>{{INVALID_QUELLAN_MESSAGE, ""}}));
}

TEST_F(ConfigurationModel, AMissingConfiguredFileShowsTheLoaderMessageThenTheInvalidMessage) {
    auto alpha = child("Alpha");
    std::string missing = scratch.file("Gone" MQ_LIBRARY_SUFFIX);
    FakeView view;
    run({missing, alpha->libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"", "Alpha plant"}));
    EXPECT_EQ(prompts.messageTexts(),
              (std::vector<std::string>{COULD_NOT_LOAD + "\n\nThe file " + missing + " does not exist.",
                                        INVALID_QUELLAN_MESSAGE}));
}

TEST_F(ConfigurationModel, RemoveAndConfigureActOnTheEntryOfTheSelectedRowPastAnEntryWithoutIdentity) {
    auto silent = child("Silent", "fail getIdentity 1\n");
    auto beta = child("Beta");
    auto gamma = child("Gamma");
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        v.select(1, m);
        m.configure();
        m.remove();
        return DIALOG_OK;
    });
    beta->clearJournal();
    gamma->clearJournal();
    run({silent->libraryPath(), beta->libraryPath(), gamma->libraryPath()}, view);
    EXPECT_EQ(beta->journal("updateConfiguration").size(), 1u);
    EXPECT_TRUE(gamma->journal("updateConfiguration").empty());
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{silent->libraryPath(), gamma->libraryPath()}));
    EXPECT_EQ(view.rows, (std::vector<std::string>{"", "Gamma plant"}));
    EXPECT_EQ(view.paths, model.entryPaths());
}

// A 32-bit library cannot be loaded into the 64-bit Windows host: its
// identity is read in quellan-surrogate32, and its path says so.
TEST_F(ConfigurationModel, A32BitChildShowsItsIdentityReadInItsSurrogateAndWhereItIsServed) {
    if (simMachines().size() < 2) GTEST_SKIP() << "this build has no 32-bit surrogate";
    auto alpha = child("Alpha");
    SimChild narrow(scratch.path(), "Narrow", "identity Narrow plant\nnode NarrowArea\n", SimVariant::FULL,
                    SimMachine::X86);
    FakeView view;
    run({alpha->libraryPath(), narrow.libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "Narrow plant"}));
    EXPECT_EQ(view.paths, (std::vector<std::string>{alpha->libraryPath(),
                                                    narrow.libraryPath() +
                                                        " (32-bit, served in quellan-surrogate32.exe)"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), narrow.libraryPath()}));
    EXPECT_TRUE(prompts.messages.empty());
}

// --- add -------------------------------------------------------------------

TEST_F(ConfigurationModel, AddingAValidChildRunsItsConfigurationAndAppendsOneRowAndEntry) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    prompts.willChoose(beta->libraryPath());
    beta->clearJournal();
    FakeView view([](MultiQuellanConfig& m, FakeView&) {
        m.command(ADD_COMMAND);
        return DIALOG_OK;
    });
    run({alpha->libraryPath()}, view);
    EXPECT_EQ(prompts.fileDialogs, 1);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "Beta plant"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), beta->libraryPath()}));
    EXPECT_EQ(view.paths, model.entryPaths());
    EXPECT_EQ(view.redraws, 1);
    auto configurations = beta->journal("updateConfiguration");
    ASSERT_EQ(configurations.size(), 1u);
    EXPECT_EQ(configurations[0].code(), 0u);
    EXPECT_TRUE(prompts.messages.empty());
}

// Its own configuration cannot run in the 64-bit process, nor in the
// surrogate: it is added with its identity, and the user is told.
TEST_F(ConfigurationModel, Adding32BitChildAppendsItWithItsIdentityAndSaysItsConfigurationWasNotRun) {
    if (simMachines().size() < 2) GTEST_SKIP() << "this build has no 32-bit surrogate";
    SimChild narrow(scratch.path(), "Narrow", "identity Narrow plant\nnode NarrowArea\n", SimVariant::FULL,
                    SimMachine::X86);
    prompts.willChoose(narrow.libraryPath());
    FakeView view([](MultiQuellanConfig& m, FakeView&) {
        m.command(ADD_COMMAND);
        return DIALOG_OK;
    });
    run({}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Narrow plant"}));
    EXPECT_EQ(view.paths,
              (std::vector<std::string>{narrow.libraryPath() + " (32-bit, served in quellan-surrogate32.exe)"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{narrow.libraryPath()}));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find("32-bit: its own configuration cannot run"), std::string::npos)
        << prompts.messages[0].text;
    EXPECT_TRUE(narrow.journal("updateConfiguration").empty());
    EXPECT_FALSE(narrow.journal("getIdentity").empty());
}

TEST_F(ConfigurationModel, AddingTheSameLibraryTwiceGivesTwoRowsAndTwoEntries) {
    auto alpha = child("Alpha");
    prompts.willChoose(alpha->libraryPath());
    prompts.willChoose(alpha->libraryPath());
    FakeView view([](MultiQuellanConfig& m, FakeView&) {
        m.add();
        m.add();
        return DIALOG_OK;
    });
    run({}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "Alpha plant"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), alpha->libraryPath()}));
}

TEST_F(ConfigurationModel, CancellingTheFileDialogChangesNothing) {
    auto alpha = child("Alpha");
    prompts.willCancelFileDialog();
    FakeView view([](MultiQuellanConfig& m, FakeView&) {
        m.add();
        return DIALOG_OK;
    });
    run({alpha->libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant"}));
    EXPECT_EQ(model.entries().size(), 1u);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConfigurationModel, AFileThatIsNotALibraryIsRefusedWithBothMessagesAndLeavesTheList) {
    auto alpha = child("Alpha");
    std::string notALibrary = scratch.file("Notes" MQ_LIBRARY_SUFFIX);
    writeFile(notALibrary, "just some text\n");
    prompts.willChoose(notALibrary);
    FakeView view([](MultiQuellanConfig& m, FakeView&) {
        m.add();
        return DIALOG_OK;
    });
    run({alpha->libraryPath()}, view);
    // The fixed text, and under it the platform's reason.
    ASSERT_EQ(prompts.messageTexts().size(), 2u);
    EXPECT_EQ(prompts.messageTexts()[0].rfind(COULD_NOT_LOAD + "\n\nThe library " + notALibrary + " could not be loaded (", 0), 0u)
        << prompts.messageTexts()[0];
    EXPECT_EQ(prompts.messageTexts()[1], INVALID_QUELLAN_MESSAGE);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath()}));
}

TEST_F(ConfigurationModel, ALibraryMissingFunctionsIsRefusedWithBothMessages) {
    auto partial = child("Partial", "", SimVariant::MISSING_ONE);
    prompts.willChoose(partial->libraryPath());
    FakeView view([](MultiQuellanConfig& m, FakeView&) {
        m.add();
        return DIALOG_OK;
    });
    run({}, view);
    EXPECT_EQ(prompts.messageTexts(), (std::vector<std::string>{NOT_FULLY_IMPLEMENTED, INVALID_QUELLAN_MESSAGE}));
    EXPECT_TRUE(view.rows.empty());
    EXPECT_TRUE(model.entries().empty());
}

TEST_F(ConfigurationModel, AChildWhoseOwnConfigurationIsCancelledIsNotAdded) {
    auto alpha = child("Alpha");
    auto refusing = child("Refusing", "fail updateConfiguration 1\n");
    prompts.willChoose(refusing->libraryPath());
    FakeView view([](MultiQuellanConfig& m, FakeView&) {
        m.add();
        return DIALOG_OK;
    });
    run({alpha->libraryPath()}, view);
    EXPECT_EQ(refusing->journal("updateConfiguration").size(), 1u);
    EXPECT_EQ(prompts.messages, (std::vector<ShownMessage>{{INVALID_QUELLAN_MESSAGE, ""}}));
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath()}));
}

// --- remove and configure --------------------------------------------------

TEST_F(ConfigurationModel, RemovingTheMiddleOfThreeKeepsTheOtherTwoInOrder) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    auto gamma = child("Gamma");
    FakeView view([](MultiQuellanConfig& m, FakeView& v) {
        v.select(1, m);
        m.command(REMOVE_COMMAND);
        return DIALOG_OK;
    });
    run({alpha->libraryPath(), beta->libraryPath(), gamma->libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "Gamma plant"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), gamma->libraryPath()}));
}

TEST_F(ConfigurationModel, ConfigureRunsOnlyTheSelectedChildsConfigurationAndKeepsTheList) {
    auto alpha = child("Alpha");
    auto beta = child("Beta", "fail updateConfiguration 1\n");
    FakeView view([](MultiQuellanConfig& m, FakeView& v) {
        v.select(1, m);
        m.command(CONFIGURE_COMMAND);
        return DIALOG_OK;
    });
    alpha->clearJournal();
    beta->clearJournal();
    run({alpha->libraryPath(), beta->libraryPath()}, view);
    EXPECT_TRUE(alpha->journal("updateConfiguration").empty());
    EXPECT_EQ(beta->journal("updateConfiguration").size(), 1u);
    // Its failure is not the dialog's business.
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "Beta plant"}));
    EXPECT_EQ(model.entries().size(), 2u);
}

// --- buttons -----------------------------------------------------------------

struct SelectionCase {
    const char* name;
    std::optional<std::size_t> row;
    ButtonStates buttons;
};
void PrintTo(const SelectionCase& c, std::ostream* out) { *out << c.name; }

class ButtonsFollowTheSelection : public ConfigurationModel, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(ButtonsFollowTheSelection, AtTheNextTimerTick) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    auto gamma = child("Gamma");
    std::vector<ButtonStates> states;
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        v.select(GetParam().row, m);
        states.push_back(v.buttons);
        // A click in empty list space.
        v.select(std::nullopt, m);
        states.push_back(v.buttons);
        return DIALOG_OK;
    });
    run({alpha->libraryPath(), beta->libraryPath(), gamma->libraryPath()}, view);
    EXPECT_EQ(states, (std::vector<ButtonStates>{GetParam().buttons, ButtonStates{}}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ButtonsFollowTheSelection,
    ::testing::Values(SelectionCase{"Nothing", std::nullopt, {false, false, false, false}},
                      SelectionCase{"First", 0, {true, true, false, true}},
                      SelectionCase{"Middle", 1, {true, true, true, true}},
                      SelectionCase{"Last", 2, {true, true, true, false}}),
    [](const ::testing::TestParamInfo<SelectionCase>& info) { return info.param.name; });

TEST_F(ConfigurationModel, CommandsDoNothingWhileTheirButtonsAreDisabled) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        // Selected, but no tick has enabled the buttons yet.
        v.selection = 0;
        m.remove();
        m.configure();
        m.moveDown();
        return DIALOG_OK;
    });
    alpha->clearJournal();
    run({alpha->libraryPath(), beta->libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "Beta plant"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), beta->libraryPath()}));
    EXPECT_TRUE(alpha->journal("updateConfiguration").empty());
}

TEST_F(ConfigurationModel, CommandsWithoutASelectionAreIgnored) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        v.select(0, m);
        // The selection goes before the next tick.
        v.selection.reset();
        m.remove();
        m.configure();
        m.moveDown();
        return DIALOG_OK;
    });
    run({alpha->libraryPath(), beta->libraryPath()}, view);
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), beta->libraryPath()}));
}

TEST_F(ConfigurationModel, MoveUpStillEnabledForARowTheSelectionLeftForTheFirstDoesNothing) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        v.select(1, m);
        // The first row is selected before the next tick.
        v.selection = 0;
        m.moveUp();
        return DIALOG_OK;
    });
    run({alpha->libraryPath(), beta->libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", "Beta plant"}));
    EXPECT_EQ(model.entryPaths(), (std::vector<std::string>{alpha->libraryPath(), beta->libraryPath()}));
}

TEST_F(ConfigurationModel, CommandsOutsideTheModalRunDoNothing) {
    auto alpha = child("Alpha");
    prompts.willChoose(alpha->libraryPath());
    model.addEntry(alpha->libraryPath());
    model.command(ADD_COMMAND);
    model.remove();
    EXPECT_EQ(prompts.fileDialogs, 0);
    EXPECT_EQ(model.entries().size(), 1u);
}

TEST_F(ConfigurationModel, TheModalResultIsOkOrCancel) {
    FakeView ok([](MultiQuellanConfig&, FakeView&) { return DIALOG_OK; });
    FakeView cancel([](MultiQuellanConfig&, FakeView&) { return DIALOG_CANCEL; });
    EXPECT_EQ(model.runModal(ok), DIALOG_OK);
    EXPECT_EQ(model.runModal(cancel), DIALOG_CANCEL);
}

// --- moving ----------------------------------------------------------------

struct MoveCase {
    const char* name;
    std::size_t selected;
    std::vector<int> commands;
    // Where Alpha (0), Beta (1) and Gamma (2) end up.
    std::vector<std::size_t> order;
    std::size_t selectedAfter;
    ButtonStates buttonsAfter;
};
void PrintTo(const MoveCase& c, std::ostream* out) { *out << c.name; }

class MovingTheSelectedRow : public ConfigurationModel, public ::testing::WithParamInterface<MoveCase> {};

// No tick comes between the commands: the buttons follow each move at once.
TEST_P(MovingTheSelectedRow, MovesRowAndEntryTogetherAndTheSelectionFollows) {
    const char* const names[] = {"Alpha", "Beta", "Gamma"};
    std::vector<std::unique_ptr<SimChild>> children;
    for (const char* name : names) children.push_back(child(name));
    FakeView view([](MultiQuellanConfig& m, FakeView& v) {
        v.select(GetParam().selected, m);
        for (int command : GetParam().commands) m.command(command);
        return DIALOG_OK;
    });
    run({children[0]->libraryPath(), children[1]->libraryPath(), children[2]->libraryPath()}, view);
    std::vector<std::string> rows, paths;
    for (std::size_t k : GetParam().order) {
        rows.push_back(std::string(names[k]) + " plant");
        paths.push_back(children[k]->libraryPath());
    }
    EXPECT_EQ(view.rows, rows);
    EXPECT_EQ(view.paths, paths);
    EXPECT_EQ(model.entryPaths(), paths);
    EXPECT_EQ(view.selection, GetParam().selectedAfter);
    EXPECT_EQ(view.buttons, GetParam().buttonsAfter);
}

constexpr ButtonStates AT_TOP{true, true, false, true};
constexpr ButtonStates AT_BOTTOM{true, true, true, false};

INSTANTIATE_TEST_SUITE_P(
    Commands, MovingTheSelectedRow,
    ::testing::Values(MoveCase{"UpFromTheMiddle", 1, {MOVE_UP_COMMAND}, {1, 0, 2}, 0, AT_TOP},
                      MoveCase{"DownFromTheMiddle", 1, {MOVE_DOWN_COMMAND}, {0, 2, 1}, 2, AT_BOTTOM},
                      MoveCase{"UpTwiceFromTheBottom", 2, {MOVE_UP_COMMAND, MOVE_UP_COMMAND}, {2, 0, 1}, 0, AT_TOP},
                      MoveCase{"DownAndUpAgain", 0, {MOVE_DOWN_COMMAND, MOVE_UP_COMMAND}, {0, 1, 2}, 0, AT_TOP},
                      MoveCase{"UpAtTheTopDoesNothing", 0, {MOVE_UP_COMMAND}, {0, 1, 2}, 0, AT_TOP},
                      MoveCase{"DownAtTheBottomDoesNothing", 2, {MOVE_DOWN_COMMAND}, {0, 1, 2}, 2, AT_BOTTOM},
                      MoveCase{"PastTheBottomStopsThere", 1, {MOVE_DOWN_COMMAND, MOVE_DOWN_COMMAND}, {0, 2, 1}, 2,
                               AT_BOTTOM}),
    [](const ::testing::TestParamInfo<MoveCase>& info) { return info.param.name; });

// --- saving ----------------------------------------------------------------

class SavingConfiguration : public ConfigurationModel {
protected:
    SavingConfiguration() {
        record.configurationPath = scratch.file("MultiQuellanConfiguration.xml");
    }
    ConfigurationRecord record;
};

TEST_F(SavingConfiguration, OkWritesTheEntriesInListOrderAndReportsIt) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    auto gamma = child("Gamma");
    record.settings = settingsWithChildren({alpha->libraryPath(), beta->libraryPath(), gamma->libraryPath()});
    FakeView view([](MultiQuellanConfig& m, FakeView& v) {
        v.select(1, m);
        m.remove();
        return DIALOG_OK;
    });
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_EQ(readConfigurationFile(record.configurationPath),
              (std::vector<std::string>{alpha->libraryPath(), gamma->libraryPath()}));
    EXPECT_EQ(prompts.messages,
              (std::vector<ShownMessage>{{"Configuration saved to " + record.configurationPath, identityText()}}));
    // The record itself is not edited.
    EXPECT_EQ(record.settings.children.size(), 3u);
}

TEST_F(SavingConfiguration, OkKeepsEveryAttributeOfTheSettingsAndOfEachChildThatStays) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    auto gamma = child("Gamma");
    auto delta = child("Delta");
    const Attributes settingsAttributes{{"parallel", "true"}, {"site", "north & south"}, {"log", "system"}};
    record.settings = {settingsAttributes,
                       {{alpha->libraryPath(), {{"timeout", "10"}}},
                        {beta->libraryPath(), {}},
                        {gamma->libraryPath(), {{"timeout", "7"}, {"future", "kept"}}}}};
    prompts.willChoose(delta->libraryPath());
    FakeView view([](MultiQuellanConfig& m, FakeView& v) {
        v.select(2, m);
        m.moveUp();
        v.select(0, m);
        m.remove();
        m.add();
        return DIALOG_OK;
    });
    editAndSaveConfiguration(record, prompts, view);
    ConfigurationFile saved = readConfigurationSettings(record.configurationPath);
    ASSERT_EQ(saved.state, ConfigurationFileState::READ);
    EXPECT_EQ(saved.settings.attributes, settingsAttributes);
    EXPECT_EQ(saved.settings.children,
              (std::vector<ChildEntry>{{gamma->libraryPath(), {{"timeout", "7"}, {"future", "kept"}}},
                                       {beta->libraryPath(), {}},
                                       {delta->libraryPath(), {}}}));
}

// A file in the layout that saving writes comes back unchanged from an OK
// without edits, whatever attributes it carries.
struct UneditedFile {
    const char* name;
    const char* settingsAttributes;
    const char* childAttributes;
};
void PrintTo(const UneditedFile& c, std::ostream* out) { *out << c.name; }

class SavingAnUneditedFile : public SavingConfiguration, public ::testing::WithParamInterface<UneditedFile> {};

TEST_P(SavingAnUneditedFile, LeavesItByteForByte) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    const std::string lineEnd = platform::LINE_END;
    std::string original = "<?xml version=\"1.0\" ?>" + lineEnd + "<settings" + GetParam().settingsAttributes + ">" +
                           lineEnd;
    for (const auto* sim : {alpha.get(), beta.get()})
        original += "    <quellan path=\"" + sim->libraryPath() + "\"" + GetParam().childAttributes + " />" + lineEnd;
    original += "</settings>" + lineEnd;
    writeFile(record.configurationPath, original);
    ConfigurationFile file = readConfigurationSettings(record.configurationPath);
    ASSERT_EQ(file.state, ConfigurationFileState::READ);
    record.settings = file.settings;
    FakeView view;
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_EQ(prompts.messageTexts(), (std::vector<std::string>{"Configuration saved to " + record.configurationPath}));
    EXPECT_EQ(readFile(record.configurationPath), original);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SavingAnUneditedFile,
    ::testing::Values(UneditedFile{"WithPathsOnly", "", ""},
                      UneditedFile{"WithMoreAttributes", " parallel=\"true\" site=\"a &amp; b\"",
                                   " timeout=\"10\" future=\"&lt;kept&gt;\""}),
    [](const ::testing::TestParamInfo<UneditedFile>& info) { return info.param.name; });

TEST_F(SavingConfiguration, OkKeepsAnEntryWithoutIdentity) {
    auto silent = child("Silent", "fail getIdentity 1\n");
    auto beta = child("Beta");
    record.settings = settingsWithChildren({silent->libraryPath(), beta->libraryPath()});
    FakeView view;
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_EQ(readConfigurationFile(record.configurationPath), childPaths(record.settings));
}

TEST_F(SavingConfiguration, OkAfterRemovingEveryEntryWritesAnEmptyList) {
    auto alpha = child("Alpha");
    record.settings = settingsWithChildren({alpha->libraryPath()});
    ASSERT_TRUE(writeConfigurationFile(record.configurationPath, record.settings));
    FakeView view([](MultiQuellanConfig& m, FakeView& v) {
        v.select(0, m);
        m.remove();
        return DIALOG_OK;
    });
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_TRUE(platform::isReadableFile(record.configurationPath));
    EXPECT_TRUE(readConfigurationFile(record.configurationPath).empty());
    EXPECT_NE(readFile(record.configurationPath).find("settings"), std::string::npos);
}

TEST_F(SavingConfiguration, CancelLeavesTheFileByteForByteAndShowsNothing) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    record.settings = settingsWithChildren({alpha->libraryPath()});
    const std::string original = "<?xml version=\"1.0\" ?>\n<settings><quellan path=\"" + alpha->libraryPath() +
                                 "\"/></settings>  \n";
    writeFile(record.configurationPath, original);
    prompts.willChoose(beta->libraryPath());
    FakeView view([](MultiQuellanConfig& m, FakeView& v) {
        m.add();
        v.select(0, m);
        m.remove();
        return DIALOG_CANCEL;
    });
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_EQ(readFile(record.configurationPath), original);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(SavingConfiguration, AnUnwritableFolderIsReportedAndNothingIsCreated) {
    auto alpha = child("Alpha");
    record.settings = settingsWithChildren({alpha->libraryPath()});
    record.configurationPath = scratch.file("no such folder") + platform::PATH_SEPARATOR + "Configuration.xml";
    FakeView view;
    editAndSaveConfiguration(record, prompts, view);
    // Why, under the fixed text; the dialog stayed open with the list.
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, identityText());
    EXPECT_EQ(prompts.messages[0].text.rfind("Failed to save configuration to " + record.configurationPath +
                                                 "\n\nNo new file could be made beside it (",
                                             0),
              0u)
        << prompts.messages[0].text;
    EXPECT_EQ(view.refusedOks, 1);
    EXPECT_FALSE(platform::entryExists(scratch.file("no such folder")));
}

TEST_F(SavingConfiguration, AConfigurationFileReplacedByAFolderIsReportedAndTheFolderStays) {
    auto alpha = child("Alpha");
    record.settings = settingsWithChildren({alpha->libraryPath()});
    ASSERT_TRUE(platform::makeDirectory(record.configurationPath));
    FakeView view;
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_EQ(prompts.messageTexts(), (std::vector<std::string>{"Failed to save configuration to " +
                                                                 record.configurationPath + "\n\nIt is a folder."}));
    EXPECT_EQ(view.refusedOks, 1);
    EXPECT_TRUE(platform::entryExists(record.configurationPath));
    EXPECT_FALSE(platform::isReadableFile(record.configurationPath));
}

TEST_F(SavingConfiguration, AFailedSaveKeepsTheEditedListForASecondTry) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    record.settings = settingsWithChildren({alpha->libraryPath(), beta->libraryPath()});
    ASSERT_TRUE(platform::makeDirectory(record.configurationPath));
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        v.select(1, m);
        m.remove();
        EXPECT_FALSE(m.accept());
        std::filesystem::remove(record.configurationPath);
        return DIALOG_OK;
    });
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_EQ(readConfigurationFile(record.configurationPath), (std::vector<std::string>{alpha->libraryPath()}));
    EXPECT_EQ(prompts.messageTexts().back(), "Configuration saved to " + record.configurationPath);
}

TEST_F(SavingConfiguration, EverySaveKeepsThePreviousFileBesideIt) {
    auto alpha = child("Alpha");
    auto beta = child("Beta");
    const std::string original = "<settings><quellan path=\"" + alpha->libraryPath() + "\"/></settings>\n";
    writeFile(record.configurationPath, original);
    record.settings = settingsWithChildren({alpha->libraryPath()});
    prompts.willChoose(beta->libraryPath());
    FakeView view([](MultiQuellanConfig& m, FakeView&) {
        m.add();
        return DIALOG_OK;
    });
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_EQ(readFile(record.configurationPath + ".bak"), original);

    const std::string firstSave = readFile(record.configurationPath);
    FakeView unchanged;
    editAndSaveConfiguration(record, prompts, unchanged);
    EXPECT_EQ(readFile(record.configurationPath + ".bak"), firstSave);
    EXPECT_TRUE(prompts.questions.empty());
}

// A file that is there but gave no list: what it holds would be lost.
struct UnusableFile {
    const char* name;
    const char* text;
    const char* reason;
};
void PrintTo(const UnusableFile& c, std::ostream* out) { *out << c.name; }

class SavingOverAnUnusableFile : public SavingConfiguration, public ::testing::WithParamInterface<UnusableFile> {
protected:
    SavingOverAnUnusableFile() {
        writeFile(record.configurationPath, GetParam().text);
        ConfigurationFile file = readConfigurationSettings(record.configurationPath);
        record.fileState = file.state;
        record.fileProblem = file.problem;
        record.settings = file.settings;
    }
    std::string problem() const {
        return "The configuration file " + record.configurationPath + " " + GetParam().reason + ".";
    }
    // Adds a child and presses OK, noting how many messages the user had seen by the time the dialog opened.
    FakeView addingAChild(const SimChild& added) {
        prompts.willChoose(added.libraryPath());
        return FakeView([this](MultiQuellanConfig& m, FakeView&) {
            messagesBeforeTheDialog = prompts.messages.size();
            m.add();
            return DIALOG_OK;
        });
    }
    std::size_t messagesBeforeTheDialog = 0;
};

TEST_P(SavingOverAnUnusableFile, IsAnnouncedAtOnceAndOkWithoutConsentLeavesIt) {
    auto alpha = child("Alpha");
    FakeView view = addingAChild(*alpha);
    prompts.willAnswer(false);
    editAndSaveConfiguration(record, prompts, view);

    EXPECT_EQ(messagesBeforeTheDialog, 1u);
    EXPECT_EQ(prompts.messages,
              (std::vector<ShownMessage>{
                  {problem() + "\n\nThe list starts empty. OK will ask before it replaces the file.", identityText()},
                  {"Configuration not saved; " + record.configurationPath + " is left as it was.", identityText()}}));
    EXPECT_EQ(prompts.questions,
              (std::vector<ShownMessage>{{problem() + "\n\nReplace it with this list? Its present contents are then "
                                                      "kept only in " + record.configurationPath + ".bak.",
                                          identityText()}}));
    EXPECT_EQ(readFile(record.configurationPath), GetParam().text);
    EXPECT_FALSE(platform::entryExists(record.configurationPath + ".bak"));
}

TEST_P(SavingOverAnUnusableFile, OkWithConsentReplacesItAndKeepsItBesideIt) {
    auto alpha = child("Alpha");
    FakeView view = addingAChild(*alpha);
    prompts.willAnswer(true);
    editAndSaveConfiguration(record, prompts, view);

    EXPECT_EQ(prompts.messageTexts().back(), "Configuration saved to " + record.configurationPath);
    EXPECT_EQ(readConfigurationFile(record.configurationPath), (std::vector<std::string>{alpha->libraryPath()}));
    EXPECT_EQ(readFile(record.configurationPath + ".bak"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SavingOverAnUnusableFile,
    ::testing::Values(UnusableFile{"OneElementLeftOpen",
                                   "<settings parallel=\"true\">\n  <quellan path=\"a\" timeout=\"5\">\n</settings>\n",
                                   "is not well-formed XML: unexpected end of data at line 4, column 1"},
                      UnusableFile{"WithoutSettings", "<Settings><quellan path=\"a\"/></Settings>\n",
                                   "has no settings element"}),
    [](const ::testing::TestParamInfo<UnusableFile>& info) { return info.param.name; });

}  // namespace
}  // namespace mq::test
