// quellan check: SimQuellan passes every rule, and each of its misbehaviours fails the rule that is about it.
#include "QuellanTool.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <map>

namespace mq::test {
namespace {

const char* const PLANT = R"(node Area1
tag Area1 Temperature float base=20 amplitude=5 period=3600
tag Area1 State string states=Running,Idle dwell=900
node Area1/Pump1
tag Area1/Pump1 Flow float base=120
batch Area1 B-1 1600000000 1600003600
node Area2
tag Area2 Pressure float base=3.2
)";

// A plant without a tag or a batch: the data rules have nothing to work on.
const char* const NO_TAGS = "node Area1\n";

// Each rule's result, by rule name.
std::map<std::string, std::string> results(const ProcessResult& run) {
    std::map<std::string, std::string> byRule;
    const auto rows = csvRows(run.out);
    for (std::size_t k = 1; k < rows.size(); ++k)
        if (rows[k].size() >= 2) byRule[rows[k][0]] = rows[k][1];
    return byRule;
}

class QuellanCheck : public ::testing::Test {
protected:
    // `quellan check --csv` of a SimQuellan copy with the plant and the control lines.
    ProcessResult checkWith(const std::string& control, const std::string& plant = PLANT) {
        SimChild child(scratch.path(), "Sim", plant + control + "\n");
        return runQuellan({"check", "--plugin", child.libraryPath(), "--csv"});
    }

    ScratchFolder scratch{"quellan-check"};
};

TEST_F(QuellanCheck, SimQuellanPassesEveryRule) {
    SimChild child(scratch.path(), "Sim", PLANT);
    ProcessResult run = runQuellan({"check", "--plugin", child.libraryPath(), "--csv"});
    ASSERT_EQ(0, run.exitCode) << describe(run);
    const auto byRule = results(run);
    EXPECT_FALSE(byRule.empty());
    for (const auto& [rule, result] : byRule) EXPECT_EQ("PASS", result) << rule << "\n" << run.out;
}

TEST_F(QuellanCheck, AMissingRequiredFunctionFailsExportsInTheLibrarysWords) {
    SimChild child(scratch.path(), "Sim", PLANT, SimVariant::MISSING_ONE);
    ProcessResult run = runQuellan({"check", "--plugin", child.libraryPath()});
    EXPECT_EQ(1, run.exitCode) << describe(run);
    EXPECT_NE(std::string::npos, run.out.find("quellan2_stringCopy was not found in " + child.libraryPath())) << run.out;
}

// A misbehaviour, on PLANT unless another plant is given, and the result of
// the rule that is about it: FAIL, or for a rule that had nothing to
// exercise SKIP or WARN, never PASS.
struct Misbehaviour {
    const char* control;
    const char* rule;
    const char* result = "FAIL";
    const char* plant = PLANT;
    const char* err = "";  // in standard error
};

class QuellanCheckCatches : public QuellanCheck, public ::testing::WithParamInterface<Misbehaviour> {};

TEST_P(QuellanCheckCatches, TheMisbehaviourGivesItsRuleItsResultAndTheExitCodeIsOne) {
    ProcessResult run = checkWith(GetParam().control, GetParam().plant);
    EXPECT_EQ(1, run.exitCode) << describe(run);
    EXPECT_EQ(GetParam().result, results(run)[GetParam().rule]) << run.out;
    EXPECT_NE(std::string::npos, run.err.find(GetParam().err)) << run.err;
}

// Faults and unwritten values where there is no tag to make the calls with.
const char* const UNEXERCISED = "fault connectionReadHistoricalData access\nunwritten tagGetUpdateTime";
const char* const NOTHING = "the plug-in offered nothing to check: current-data, historical-data, batches and times";

// Every kind of control SimQuellan has, but the faults that end the process
// they happen in (abort, exit, heap), which QuellanCheckOutlives takes.
INSTANTIATE_TEST_SUITE_P(
    EveryKind, QuellanCheckCatches,
    ::testing::Values(Misbehaviour{"fail initialize 1", "start-up"},
                      Misbehaviour{"fail connectionOpen 2", "start-up"},
                      Misbehaviour{"fail uninitialize 1", "shut-down"},
                      Misbehaviour{"fail stringCopy 1", "strings"},
                      Misbehaviour{"fail vectorGetLength 1", "vectors"},
                      Misbehaviour{"fail connectionGetNumNodes 1", "tree-counts"},
                      Misbehaviour{"fail connectionReadHistoricalData 1", "historical-data"},
                      Misbehaviour{"fail nodeGetBatchTimes 1", "batches"},
                      Misbehaviour{"fail tagGetUpdateTime 1", "times"},
                      Misbehaviour{"fault connectionGetNumNodes access", "no-faults"},
                      Misbehaviour{"fault nodeGetTag divide", "no-faults"},
                      Misbehaviour{"fault tagGetName throw", "names"},
                      Misbehaviour{"fault vectorGetType stack", "no-faults"},
                      Misbehaviour{"sleep connectionGetCurrentTime 2500", "prompt-answers"},
                      Misbehaviour{"unwritten connectionGetNumNodes", "out-values"},
                      Misbehaviour{"unwritten tagGetUpdateTime", "out-values"},
                      Misbehaviour{"vector connectionReadCurrentData none", "current-data"},
                      Misbehaviour{"vector connectionReadCurrentData short=1", "current-data"},
                      Misbehaviour{"vector connectionReadCurrentData badtype=0", "current-data"},
                      Misbehaviour{"vector connectionReadCurrentData failget=1", "current-data"},
                      Misbehaviour{"vector connectionReadHistoricalDataEx short=1", "historical-data"},
                      Misbehaviour{"vector nodeGetActiveBatches badtype=0", "batches"},
                      Misbehaviour{"refuse connectionGetNode 1", "tree-counts"},
                      Misbehaviour{"refuse nodeGetNode Area1 0", "tree-counts"},
                      Misbehaviour{"refuse nodeGetTag Area1 0", "tree-counts"},
                      Misbehaviour{"refuse nodeGetName Area2", "names"},
                      Misbehaviour{"refuse tagGetName Area1 State", "names"},
                      Misbehaviour{UNEXERCISED, "historical-data", "SKIP", NO_TAGS, NOTHING},
                      Misbehaviour{UNEXERCISED, "current-data", "SKIP", NO_TAGS, NOTHING},
                      Misbehaviour{UNEXERCISED, "times", "WARN", NO_TAGS, NOTHING},
                      Misbehaviour{UNEXERCISED, "out-values", "WARN", NO_TAGS, NOTHING},
                      Misbehaviour{UNEXERCISED, "no-faults", "WARN", NO_TAGS, NOTHING},
                      Misbehaviour{"", "names", "SKIP", "", NOTHING}));

// A plug-in that ends its process: the rule whose calls were under way fails
// with how it ended, the rules done before it keep their results, the later
// ones are not checked.
struct ProcessEnd {
    const char* control;
    const char* failingRule;
    const char* passedRule;
    const char* skippedRule;
};

class QuellanCheckOutlives : public QuellanCheck, public ::testing::WithParamInterface<ProcessEnd> {};

TEST_P(QuellanCheckOutlives, APlugInThatAbortsFailsTheRuleUnderWayAndNoFaults) {
    ProcessResult run = checkWith(GetParam().control);
    EXPECT_EQ(1, run.exitCode) << describe(run);
    auto byRule = results(run);
    EXPECT_EQ("FAIL", byRule[GetParam().failingRule]) << run.out;
    EXPECT_EQ("FAIL", byRule["no-faults"]) << run.out;
    EXPECT_EQ("PASS", byRule[GetParam().passedRule]) << run.out;
    EXPECT_EQ("SKIP", byRule[GetParam().skippedRule]) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("ended the process it ran in (aborted)")) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Abort, QuellanCheckOutlives,
                         ::testing::Values(ProcessEnd{"fault connectionOpen abort", "start-up", "exports", "strings"},
                                           ProcessEnd{"fault connectionReadHistoricalData abort", "historical-data",
                                                      "current-data", "batches"}));

}  // namespace
}  // namespace mq::test
