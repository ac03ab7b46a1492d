// Running the quellan tool from a test and taking its output apart.
#pragma once

#include "support/ProcessRunner.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mq::test {

// The plants' clock, 2024-05-01T12:00:00Z, and what every plant of the tool
// tests starts with: the clock, and Line1 with its Temperature.
constexpr std::int64_t CLOCK = 1714564800;
const std::string PLANT_START = "clock 1714564800\n"
                                "node Line1\n"
                                "tag Line1 Temperature float base=20 amplitude=5 period=3600\n";

// Runs the tool built beside the test with the arguments.
ProcessResult runQuellan(const std::vector<std::string>& arguments);

// The lines of an output, without line ends (either platform's).
std::vector<std::string> outputLines(const std::string& text);

// The fields of each line of CSV output that quotes nothing.
std::vector<std::vector<std::string>> csvRows(const std::string& text);

// What a test prints when a run went wrong.
std::string describe(const ProcessResult& result);

// The float a printed number stands for.
float printedFloat(const std::string& text);

// Checks a printed value against the simulated one: the same float, or the same text.
void expectPrinted(const SimValue& expected, const std::string& printed, const std::string& where);

// A test of the tool against one SimQuellan copy, named with --plugin.
class OneChildToolTest : public ::testing::Test {
protected:
    OneChildToolTest(const char* purpose, std::string sidecar) : scratch(purpose), sidecar(std::move(sidecar)) {}
    void SetUp() override { child = std::make_unique<SimChild>(scratch.path(), "Plant", sidecar); }

    // Runs the tool with --plugin naming the child, before the arguments.
    ProcessResult run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--plugin", child->libraryPath()});
        return runQuellan(arguments);
    }

    ScratchFolder scratch;
    std::string sidecar;
    std::unique_ptr<SimChild> child;
};

}  // namespace mq::test
