// The example configuration file the packages install: the real reader takes it whole, and it shows every attribute.
#include "config/CallOptions.h"
#include "config/ConfigurationFileReader.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace mq {
namespace {

using Names = std::set<std::string>;

Names namesOf(const Attributes& attributes) {
    Names names;
    for (const Attribute& attribute : attributes) names.insert(attribute.name);
    return names;
}

TEST(ExampleConfiguration, IsReadWithEveryAttributeAndNoValueIgnored) {
    const ConfigurationFile file = readConfigurationSettings(MQ_EXAMPLE_CONFIGURATION);
    ASSERT_EQ(file.state, ConfigurationFileState::READ) << describe(file.state) << ": " << file.problem;
    ASSERT_FALSE(file.settings.children.empty());

    // Every value is one the library takes, not one it ignores with a problem.
    EXPECT_EQ(settingsProblems(file.settings), std::vector<std::string>{});
    const std::vector<std::string>& settingsNames = settingsAttributeNames();
    EXPECT_EQ(namesOf(file.settings.attributes), Names(settingsNames.begin(), settingsNames.end()));

    // Each child's attributes are the ones the library reads, and together
    // they show all of them ("path" is the entry's own field).
    Names childNames;
    for (const ChildEntry& child : file.settings.children) {
        SCOPED_TRACE(child.path);
        EXPECT_FALSE(child.path.empty());
        EXPECT_EQ(childProblems(child), std::vector<std::string>{});
        const Names names = namesOf(child.attributes);
        childNames.insert(names.begin(), names.end());
    }
    childNames.insert(PATH_ATTRIBUTE);
    const std::vector<std::string>& childNamesKnown = childAttributeNames();
    EXPECT_EQ(childNames, Names(childNamesKnown.begin(), childNamesKnown.end()));
    // The isolated child restarts, so restart is shown doing something.
    bool restarts = false;
    for (const ChildEntry& child : file.settings.children) restarts = restarts || childRestarts(child);
    EXPECT_TRUE(restarts);
}

}  // namespace
}  // namespace mq
