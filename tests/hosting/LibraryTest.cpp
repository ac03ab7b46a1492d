// Loading a child library and resolving its function table.
#include "HostingFixture.h"
#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"
#include "hosting/QuellanProxy.h"
#include "interface/Exception.h"
#include "support/TestEnvironment.h"

#include <functional>
#include <type_traits>

namespace mq::test {
namespace {

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& exception) {
        return exception.message();
    }
    return "(nothing raised)";
}

using Library = HostingTest;

TEST_F(Library, AMissingFileIsReportedAsNotExisting) {
    const std::string path = folder.file("Absent" MQ_LIBRARY_SUFFIX);
    LibraryHandle library;
    EXPECT_EQ("The file " + path + " does not exist.", messageOf([&] { library.load(path); }));
    EXPECT_FALSE(library.loaded());
}

TEST_F(Library, AFileThatIsNoLibraryIsRefusedWithTheReasonNamingIt) {
    const std::string path = folder.file("Notes" MQ_LIBRARY_SUFFIX);
    writeFile(path, std::string(4096, 'x'));
    LibraryHandle library;
    const std::string message = messageOf([&] { library.load(path); });
    const std::string head = "The library " + path + " could not be loaded (";
    ASSERT_EQ(0u, message.find(head)) << message;
    // The platform's own reason names the file, with no placeholder left unfilled.
    const std::string reason = message.substr(head.size());
    EXPECT_NE(std::string::npos, reason.find(path)) << reason;
    EXPECT_EQ(std::string::npos, reason.find("%1")) << reason;
    EXPECT_FALSE(library.reload(path)) << "reload raises nothing";
}

TEST_F(Library, ResolveGivesTheEntryOrNullAndNeedsALoadedModule) {
    SimChild& child = makeChild("", SimVariant::NO_EX);
    LibraryHandle library;
    EXPECT_THROW(library.resolve("quellan2_initialize"), Exception);
    ASSERT_TRUE(library.reload(child.libraryPath()));
    EXPECT_NE(nullptr, library.resolve("quellan2_initialize"));
    EXPECT_EQ(nullptr, library.resolve("quellan2_connectionReadHistoricalDataEx"));
    EXPECT_FALSE(library.isThisLibrary());
}

TEST(MissingNames, AreJoinedWithCommasAndAFinalAnd) {
    EXPECT_EQ("", joinNames({}));
    EXPECT_EQ("a", joinNames({"a"}));
    EXPECT_EQ("a and b", joinNames({"a", "b"}));
    EXPECT_EQ("a, b and c", joinNames({"a", "b", "c"}));
    EXPECT_EQ("a, b, c and d", joinNames({"a", "b", "c", "d"}));
}

TEST_F(Library, EveryMissingRequiredNameIsReportedInTableOrderBeforeTheChildRuns) {
    struct Case {
        SimVariant variant;
        std::string names;
    } cases[] = {
        {SimVariant::MISSING_ONE, "quellan2_stringCopy"},
        {SimVariant::MISSING_TWO, "quellan2_nodeGetName and quellan2_stringCopy"},
        {SimVariant::MISSING_THREE,
         "quellan2_connectionGetCurrentTime, quellan2_nodeGetName and quellan2_stringCopy"},
    };
    int number = 0;
    for (const Case& missing : cases) {
        SimChild& child = makeChild(PLANT, missing.variant, "Missing" + std::to_string(++number));
        EXPECT_EQ(missing.names + " was not found in " + child.libraryPath() + ".",
                  messageOf([&] { QuellanProxy proxy(child.libraryPath(), ""); }));
        EXPECT_TRUE(child.journal().empty()) << "no child function was called";
    }
}

TEST_F(Library, ALibraryWithNoFunctionOfTheListIsRefusedNamingEveryRequiredOneInListOrder) {
    // The runner's probe library exports no function of the list.
    const std::string path = libraryPath("RundllProbe");
    const std::string message = messageOf([&] { QuellanProxy proxy(path, ""); });
    const std::string head =
        "quellan2_initialize, quellan2_uninitialize, quellan2_getIdentity, quellan2_updateConfiguration, "
        "quellan2_connectionOpen, quellan2_connectionClose, quellan2_connectionGetNumNodes, ";
    EXPECT_EQ(0u, message.find(head)) << message;
    const std::string tail = ", quellan2_stringFree and quellan2_stringCopy was not found in " + path + ".";
    ASSERT_GE(message.size(), tail.size());
    EXPECT_EQ(tail, message.substr(message.size() - tail.size()));
}

// Whether a table type has an entry of the name.
#define MQ_ENTRY_TRAIT(entry)                                                    \
    template <typename Table, typename = void>                                   \
    struct Has_##entry : std::false_type {};                                     \
    template <typename Table>                                                    \
    struct Has_##entry<Table, std::void_t<decltype(&Table::entry)>> : std::true_type {};
MQ_ENTRY_TRAIT(initialize)
MQ_ENTRY_TRAIT(uninitialize)
MQ_ENTRY_TRAIT(getIdentity)
MQ_ENTRY_TRAIT(updateConfiguration)
MQ_ENTRY_TRAIT(connectionOpen)
MQ_ENTRY_TRAIT(connectionClose)
#undef MQ_ENTRY_TRAIT

TEST(ChildFunctionTable, HasNoEntryForTheCallsThatOnlyTheModuleMakes) {
    EXPECT_FALSE(Has_initialize<ChildFunctionTable>::value);
    EXPECT_FALSE(Has_uninitialize<ChildFunctionTable>::value);
    EXPECT_FALSE(Has_getIdentity<ChildFunctionTable>::value);
    EXPECT_FALSE(Has_updateConfiguration<ChildFunctionTable>::value);
    EXPECT_FALSE(Has_connectionOpen<ChildFunctionTable>::value);
    EXPECT_TRUE(Has_connectionClose<ChildFunctionTable>::value);
    // A loaded library's exports still hold them all.
    EXPECT_TRUE(Has_initialize<ChildExports>::value);
    EXPECT_TRUE(Has_uninitialize<ChildExports>::value);
    EXPECT_TRUE(Has_getIdentity<ChildExports>::value);
    EXPECT_TRUE(Has_updateConfiguration<ChildExports>::value);
    EXPECT_TRUE(Has_connectionOpen<ChildExports>::value);
}

TEST_F(Library, AChildWithoutTheSixOptionalFunctionsIsAccepted) {
    SimChild& child = makeChild(PLANT, SimVariant::NO_EX);
    QuellanProxy proxy(child.libraryPath(), "");
    const ChildFunctionTable& table = proxy.functions();
    EXPECT_EQ(nullptr, table.connectionReadHistoricalDataEx);
    EXPECT_EQ(nullptr, table.connectionReadBatchDataEx);
    EXPECT_EQ(nullptr, table.connectionWriteHistoricalDataEx);
    EXPECT_EQ(nullptr, table.connectionWriteBatchDataEx);
    EXPECT_EQ(nullptr, table.nodeGetNumNodes);
    EXPECT_EQ(nullptr, table.nodeGetNode);
    EXPECT_NE(nullptr, table.stringCopy);
}

}  // namespace
}  // namespace mq::test
