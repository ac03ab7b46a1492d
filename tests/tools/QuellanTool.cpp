#include "QuellanTool.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace mq::test {

ProcessResult runQuellan(const std::vector<std::string>& arguments) {
    return runProcess((std::filesystem::path(binaryFolder()) / QUELLAN_EXECUTABLE).string(), arguments);
}

std::vector<std::string> outputLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : outputLines(text)) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
        if (!line.empty() && line.back() == ',') fields.push_back("");
        rows.push_back(fields);
    }
    return rows;
}

std::string describe(const ProcessResult& result) {
    return "exit code " + std::to_string(result.exitCode) + "\nstdout:\n" + result.out + "stderr:\n" + result.err;
}

float printedFloat(const std::string& text) {
    return std::strtof(text.c_str(), nullptr);
}

void expectPrinted(const SimValue& expected, const std::string& printed, const std::string& where) {
    if (const float* value = std::get_if<float>(&expected))
        EXPECT_EQ(*value, printedFloat(printed)) << where << ": " << printed;
    else if (const std::string* text = std::get_if<std::string>(&expected))
        EXPECT_EQ(*text, printed) << where;
    else
        ADD_FAILURE() << where << ": the sidecar has no such tag";
}

}  // namespace mq::test
