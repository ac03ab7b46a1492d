// quellan validate: each kind of mistake in a configuration file found at its line and column, no child loaded.
#include "QuellanTool.h"
#include "support/MachineConfiguration.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace mq::test {
namespace {

// A file body in which GOOD and SHORT stand for two children's paths (a full
// SimQuellan and one that lacks two required functions), and the finding
// expected for it, after "FILE:".
struct Mistake {
    const char* name;
    const char* body;
    const char* finding;
    int exitCode;
};

std::string replaced(std::string text, const std::string& word, const std::string& by) {
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + by.size()))
        text.replace(at, word.size(), by);
    return text;
}

class QuellanValidating : public ::testing::Test {
protected:
    void SetUp() override {
        good = std::make_unique<SimChild>(scratch.path(), "Good", PLANT_START);
        shortOfTwo = std::make_unique<SimChild>(scratch.path(), "Short", PLANT_START, SimVariant::MISSING_TWO);
    }

    // COLUMN is where the word after GOOD's path attribute begins.
    std::string body(const char* text) const {
        const std::string column = std::to_string(20 + good->libraryPath().size());
        return replaced(replaced(replaced(text, "GOOD", good->libraryPath()), "SHORT", shortOfTwo->libraryPath()),
                        "{COLUMN}", column);
    }

    ScratchFolder scratch{"quellan-validate"};
    std::unique_ptr<SimChild> good;
    std::unique_ptr<SimChild> shortOfTwo;
};

class QuellanValidate : public QuellanValidating, public ::testing::WithParamInterface<Mistake> {};

TEST_P(QuellanValidate, FindsTheMistakeWhereItIsWithoutLoadingAChild) {
    const std::string file = scratch.file("Configuration.xml");
    std::ofstream(file, std::ios::binary) << body(GetParam().body);
    const ProcessResult result = runQuellan({"validate", file});
    EXPECT_EQ(GetParam().exitCode, result.exitCode) << describe(result);
    const std::vector<std::string> lines = outputLines(result.out);
    ASSERT_EQ(2u, lines.size()) << result.out;
    EXPECT_EQ(file + ":" + body(GetParam().finding), lines[0]);
    EXPECT_EQ(file + (GetParam().exitCode ? ": 1 problem, 0 warnings" : ": 0 problems, 1 warning"), lines[1]);
    EXPECT_TRUE(good->journal().empty()) << "no child was loaded";
}

INSTANTIATE_TEST_SUITE_P(
    Files, QuellanValidate,
    ::testing::Values(
        Mistake{"NotWellFormed", "<settings>\n  <quellan path=\"GOOD\"\n</settings>\n",
                " problem: not well-formed XML: expected > at line 3, column 1, so the library has no children", 1},
        Mistake{"MisspeltElement", "<settings>\n  <quellan path=\"GOOD\"/>\n  <quelan path=\"GOOD\"/>\n</settings>\n",
                "3:4: problem: unknown element <quelan> inside <settings>, which the library ignores; did you mean "
                "<quellan>?",
                1},
        Mistake{"MisspeltAttribute", "<settings>\n  <quellan path=\"GOOD\" isolaton=\"process\"/>\n</settings>\n",
                "2:{COLUMN}: problem: unknown attribute isolaton=\"process\", which the library ignores; did you "
                "mean isolation?",
                1},
        Mistake{"MalformedValue", "<settings parallel=\"yes\">\n  <quellan path=\"GOOD\"/>\n</settings>\n",
                "1:11: problem: parallel=\"yes\" is neither \"true\" nor \"false\"; children are called one after "
                "another",
                1},
        Mistake{"MissingFunctions", "<settings>\n  <quellan path=\"SHORT\"/>\n</settings>\n",
                "2:12: problem: quellan2_nodeGetName and quellan2_stringCopy was not found in SHORT. The host "
                "leaves this child out.",
                1},
        Mistake{"SecondSettings", "<settings>\n  <quellan path=\"GOOD\"/>\n</settings>\n<settings/>\n",
                "4:2: warning: a second <settings> element is ignored: the library reads the first alone", 0}),
    [](const ::testing::TestParamInfo<Mistake>& info) { return std::string(info.param.name); });

TEST_F(QuellanValidating, ByDefaultChecksMultiQuellansOwnFileAndStrictCountsWarnings) {
    const MachineConfiguration configuration;
    configuration.writeBytes(body("<settings>\n  <quellan path=\"GOOD\">\n    <extra/>\n  </quellan>\n</settings>\n"));
    const ProcessResult result = runQuellan({"validate"});
    EXPECT_EQ(0, result.exitCode) << describe(result);
    EXPECT_EQ((std::vector<std::string>{configuration.filePath() + ":3:6: warning: <extra> inside <quellan> is ignored",
                                        configuration.filePath() + ": 0 problems, 1 warning"}),
              outputLines(result.out));
    EXPECT_EQ(1, runQuellan({"--strict", "validate"}).exitCode);
}

}  // namespace
}  // namespace mq::test
