// The object that stands for one configured child.
#include "HostingFixture.h"
#include "hosting/GuardedCall.h"
#include "hosting/ProxyTree.h"
#include "hosting/Quellan.h"

namespace mq::test {
namespace {

// Prompts that remember what they were asked to show.
class RecordingPrompts : public UserPrompts {
public:
    void showMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    bool chooseLibraryFile(std::string&) override { return false; }
    std::vector<std::string> messages;
};

const char* const NOT_LOADED = "The specified Quellan could not be loaded.";
const char* const NOT_IMPLEMENTED = "The specified Quellan does not fully implement Quellan version 2.";

class QuellanObject : public HostingTest {
protected:
    QUELLAN2_STRING childString(const Quellan& quellan, const char* text) {
        QUELLAN2_STRING string = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, quellan.proxy()->functions().stringCreate(text, &string));
        return string;
    }
    RecordingPrompts prompts;
};

TEST_F(QuellanObject, OpeningAMissingLibraryFailsAndLeavesItIdle) {
    Quellan quellan(folder.file("Absent" MQ_LIBRARY_SUFFIX));
    EXPECT_FALSE(quellan.open());
    EXPECT_EQ(nullptr, quellan.proxy());
    EXPECT_EQ(0, quellan.nodeCount());
}

TEST_F(QuellanObject, OpeningRecordsTheIdentityAndTheTopNodeCount) {
    SimChild& child = makeChild();
    Quellan quellan(child.libraryPath());
    ASSERT_TRUE(quellan.open());
    EXPECT_EQ(2, quellan.nodeCount());
    EXPECT_EQ("Hosting test plant", quellan.identity());
    const std::size_t calls = child.journal().size();
    EXPECT_TRUE(quellan.open());
    EXPECT_EQ(calls, child.journal().size()) << "opening a running child calls nothing";
}

TEST_F(QuellanObject, NamesAreReadOnceAndGivenBackToTheChild) {
    SimChild& child = makeChild();
    Quellan quellan(child.libraryPath());
    ASSERT_TRUE(quellan.open());
    QuellanProxy::Node& line1 = *quellan.proxy()->connectionTree().topNodes[0];
    EXPECT_EQ("Line 1", quellan.nameOf(line1));
    EXPECT_EQ(nullptr, line1.name);
    EXPECT_EQ("Phase", quellan.nameOf(*line1.nodeTags[1]));
    const std::vector<JournalEntry> frees = child.journal("stringFree");
    ASSERT_FALSE(frees.empty());
    EXPECT_EQ(child.threadId(), frees.back().thread) << "string functions run on the calling thread";
}

TEST_F(QuellanObject, StringFromChildHandlesEmptyTextsAndFailedCopies) {
    SimChild& child = makeChild();
    Quellan quellan(child.libraryPath());
    ASSERT_TRUE(quellan.open());
    child.clearJournal();
    EXPECT_EQ("", quellan.stringFromChild(childString(quellan, "")));
    EXPECT_EQ(1u, count(child.journal(), "stringFree")) << "an empty text is still given back";

    ASSERT_EQ(0u, child.control("fail stringCopy 1 after=1 times=1"));
    child.clearJournal();
    EXPECT_EQ("", quellan.stringFromChild(childString(quellan, "abc")));
    EXPECT_EQ(1u, count(child.journal(), "stringFree")) << "the string is released all the same";
    EXPECT_EQ("abc", quellan.stringFromChild(childString(quellan, "abc")));
    EXPECT_EQ("", quellan.stringFromChild(nullptr));
}

TEST_F(QuellanObject, IdentityOfALibraryThatLacksStringCopySaysSoAndInitialisesNothing) {
    SimChild& child = makeChild(PLANT, SimVariant::MISSING_ONE);
    Quellan quellan(child.libraryPath(), prompts);
    EXPECT_EQ("", quellan.identity());
    EXPECT_EQ(std::vector<std::string>{NOT_IMPLEMENTED}, prompts.messages);
    EXPECT_EQ(0u, count(child.journal(), "initialize"));
}

TEST_F(QuellanObject, IdentityOfAFileThatIsNoLibrarySaysItCouldNotBeLoaded) {
    const std::string path = folder.file("Notes" MQ_LIBRARY_SUFFIX);
    writeFile(path, "no library");
    Quellan quellan(path, prompts);
    EXPECT_EQ("", quellan.identity());
    EXPECT_FALSE(quellan.configure());
    const std::string expected =
        std::string(NOT_LOADED) + "\n\nThe library " + path + " could not be loaded (";
    ASSERT_EQ(2u, prompts.messages.size());
    for (const std::string& message : prompts.messages) EXPECT_EQ(0u, message.rfind(expected, 0)) << message;
}

TEST_F(QuellanObject, IdentityIsReadFromTheLibraryOnlyOnce) {
    SimChild& child = makeChild();
    Quellan quellan(child.libraryPath(), prompts);
    EXPECT_EQ("Hosting test plant", quellan.identity());
    EXPECT_EQ("Hosting test plant", quellan.identity());
    EXPECT_EQ(1u, count(child.journal(), "initialize"));
    EXPECT_EQ(1u, count(child.journal(), "uninitialize"));
    EXPECT_EQ(nullptr, quellan.proxy()) << "no child is started for its identity";
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(QuellanObject, ConfigureRunsTheChildsOwnConfiguration) {
    SimChild& child = makeChild();
    Quellan quellan(child.libraryPath(), prompts);
    EXPECT_TRUE(quellan.configure());
    const std::vector<std::string> functions = functionsOf(child.journal());
    const std::vector<std::string> tail(functions.end() - 4, functions.end());
    EXPECT_EQ((std::vector<std::string>{"initialize", "updateConfiguration", "stringFree", "uninitialize"}), tail);
    EXPECT_EQ("Hosting test plant", quellan.identity());
}

TEST_F(QuellanObject, AConfigurationTheChildRefusesFailsWithoutUninitialising) {
    SimChild& child = makeChild(std::string(PLANT) + "fail updateConfiguration 1\n");
    Quellan quellan(child.libraryPath(), prompts);
    EXPECT_FALSE(quellan.configure());
    EXPECT_EQ(2u, count(child.journal(), "initialize"));
    EXPECT_EQ(1u, count(child.journal(), "uninitialize")) << "only the identity's";
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(QuellanObject, AFaultInTheChildsConfigurationIsAFailureNotACrash) {
    SimChild& child = makeChild(std::string(PLANT) + "fault updateConfiguration access\n");
    Quellan quellan(child.libraryPath(), prompts);
    EXPECT_FALSE(quellan.configure());
}

}  // namespace
}  // namespace mq::test
