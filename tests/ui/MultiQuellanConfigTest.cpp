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
    EXPECT_FALSE(view.removeEnabled);
    EXPECT_FALSE(view.configureEnabled);
    EXPECT_FALSE(model.removeEnabled());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConfigurationModel, OpeningStartsTheButtonTimerAndShowsEachEntryByItsIdentity) {
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
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConfigurationModel, AnEntryWithoutIdentityIsAnnouncedAndStillGetsARowShowingItsPath) {
    auto alpha = child("Alpha");
    auto silent = child("Silent", "fail getIdentity 1\n");
    auto gamma = child("Gamma");
    FakeView view;
    run({alpha->libraryPath(), silent->libraryPath(), gamma->libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Alpha plant", silent->libraryPath(), "Gamma plant"}));
    EXPECT_EQ(prompts.messages, (std::vector<ShownMessage>{{INVALID_QUELLAN_MESSAGE, ""}}));
}

TEST_F(ConfigurationModel, AMissingConfiguredFileShowsTheLoaderMessageThenTheInvalidMessage) {
    auto alpha = child("Alpha");
    std::string missing = scratch.file("Gone" MQ_LIBRARY_SUFFIX);
    FakeView view;
    run({missing, alpha->libraryPath()}, view);
    EXPECT_EQ(view.rows, (std::vector<std::string>{missing, "Alpha plant"}));
    EXPECT_EQ(prompts.messageTexts(), (std::vector<std::string>{COULD_NOT_LOAD, INVALID_QUELLAN_MESSAGE}));
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
    EXPECT_EQ(view.rows, (std::vector<std::string>{silent->libraryPath(), "Gamma plant"}));
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
    EXPECT_EQ(view.redraws, 1);
    auto configurations = beta->journal("updateConfiguration");
    ASSERT_EQ(configurations.size(), 1u);
    EXPECT_EQ(configurations[0].code(), 0u);
    EXPECT_TRUE(prompts.messages.empty());
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
    EXPECT_EQ(prompts.messageTexts(), (std::vector<std::string>{COULD_NOT_LOAD, INVALID_QUELLAN_MESSAGE}));
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

TEST_F(ConfigurationModel, ButtonsFollowTheSelectionAtEachTimerTick) {
    auto alpha = child("Alpha");
    std::vector<std::pair<bool, bool>> states;
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        v.select(0, m);
        states.emplace_back(v.removeEnabled, v.configureEnabled);
        // A click in empty list space.
        v.select(std::nullopt, m);
        states.emplace_back(v.removeEnabled, v.configureEnabled);
        return DIALOG_OK;
    });
    run({alpha->libraryPath()}, view);
    EXPECT_EQ(states, (std::vector<std::pair<bool, bool>>{{true, true}, {false, false}}));
}

TEST_F(ConfigurationModel, RemoveAndConfigureDoNothingWhileTheirButtonsAreDisabled) {
    auto alpha = child("Alpha");
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        // Selected, but no tick has enabled the buttons yet.
        v.selection = 0;
        m.remove();
        m.configure();
        return DIALOG_OK;
    });
    alpha->clearJournal();
    run({alpha->libraryPath()}, view);
    EXPECT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(model.entries().size(), 1u);
    EXPECT_TRUE(alpha->journal("updateConfiguration").empty());
}

TEST_F(ConfigurationModel, RemoveWithoutASelectionIsIgnored) {
    auto alpha = child("Alpha");
    FakeView view([&](MultiQuellanConfig& m, FakeView& v) {
        v.select(0, m);
        // The selection goes before the next tick.
        v.selection.reset();
        m.remove();
        m.configure();
        return DIALOG_OK;
    });
    run({alpha->libraryPath()}, view);
    EXPECT_EQ(model.entries().size(), 1u);
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
    EXPECT_EQ(prompts.messages, (std::vector<ShownMessage>{{"Failed to save configuration to " +
                                                               record.configurationPath,
                                                           identityText()}}));
    EXPECT_FALSE(platform::entryExists(scratch.file("no such folder")));
}

TEST_F(SavingConfiguration, AConfigurationFileReplacedByAFolderIsReportedAndTheFolderStays) {
    auto alpha = child("Alpha");
    record.settings = settingsWithChildren({alpha->libraryPath()});
    ASSERT_TRUE(platform::makeDirectory(record.configurationPath));
    FakeView view;
    editAndSaveConfiguration(record, prompts, view);
    EXPECT_EQ(prompts.messageTexts(),
              (std::vector<std::string>{"Failed to save configuration to " + record.configurationPath}));
    EXPECT_TRUE(platform::entryExists(record.configurationPath));
    EXPECT_FALSE(platform::isReadableFile(record.configurationPath));
}

}  // namespace
}  // namespace mq::test
