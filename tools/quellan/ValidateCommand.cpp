// Checking a configuration file element by element, attribute by attribute and child by child.
#include "ValidateCommand.h"

#include "ConfigurationCheck.h"
#include "ToolError.h"
#include "config/CallOptions.h"
#include "config/ConfigurationOutline.h"
#include "config/ConfigurationRecord.h"
#include "config/TrustedConfiguration.h"
#include "platform/DynamicLibrary.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

namespace quellan {

namespace {

struct PlacedFinding {
    std::optional<mq::TextPlace> place;
    Finding finding;
};

class Validation {
public:
    void add(std::optional<mq::TextPlace> place, Severity severity, std::string text) {
        findings.push_back({place, {severity, std::move(text)}});
    }

    // The first settings element, beside what the library's reader made of
    // it: its children are the child elements with a path, in this order.
    void settings(const mq::OutlineElement& element, const mq::ConfigurationSettings& read) {
        attributes(element, mq::settingsAttributeNames(), mq::settingsProblems(read));
        auto entry = read.children.begin();
        for (const mq::OutlineElement& inner : element.elements) {
            if (inner.name != mq::CHILD_ELEMENT) {
                unknownElement(inner, {mq::CHILD_ELEMENT}, "inside <" + element.name + ">");
                continue;
            }
            const mq::OutlineAttribute* path = findAttribute(inner, mq::PATH_ATTRIBUTE);
            if (!path || entry == read.children.end()) {
                add(inner.place, Severity::PROBLEM,
                    std::string("<") + mq::CHILD_ELEMENT + "> has no " + mq::PATH_ATTRIBUTE +
                        "=, so the library skips it");
                attributes(inner, mq::childAttributeNames(), {});
                continue;
            }
            const mq::ChildEntry& child = *entry++;
            attributes(inner, mq::childAttributeNames(), mq::childProblems(child));
            for (Finding& finding : childFileFindings(child.path)) add(path->place, finding.severity, finding.text);
            for (const mq::OutlineElement& nested : inner.elements)
                add(nested.place, Severity::WARNING, "<" + nested.name + "> inside <" + inner.name + "> is ignored");
        }
    }

    void unknownElement(const mq::OutlineElement& element, const std::vector<std::string>& known,
                        const std::string& where) {
        std::string text = "unknown element <" + element.name + "> " + where + ", which the library ignores";
        const std::string nearest = nearestName(element.name, known);
        add(element.place, Severity::PROBLEM, nearest.empty() ? text : text + "; did you mean <" + nearest + ">?");
    }

    std::vector<PlacedFinding> findings;

private:
    static const mq::OutlineAttribute* findAttribute(const mq::OutlineElement& element, const std::string& name) {
        for (const mq::OutlineAttribute& attribute : element.attributes)
            if (attribute.name == name) return &attribute;
        return nullptr;
    }

    // Unknown names, and each value problem at the attribute it names (the
    // library's texts begin with NAME="), else at the element.
    void attributes(const mq::OutlineElement& element, const std::vector<std::string>& known,
                    const std::vector<std::string>& problems) {
        for (const mq::OutlineAttribute& attribute : element.attributes)
            if (std::find(known.begin(), known.end(), attribute.name) == known.end())
                add(attribute.place, Severity::PROBLEM, unknownAttribute({attribute.name, attribute.value}, known));
        for (const std::string& problem : problems) {
            mq::TextPlace place = element.place;
            for (const mq::OutlineAttribute& attribute : element.attributes)
                if (problem.rfind(attribute.name + "=\"", 0) == 0) place = attribute.place;
            add(place, Severity::PROBLEM, problem);
        }
    }
};

std::optional<std::string> wholeText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void checkFile(const std::string& path, Validation& validation) {
    const mq::ConfigurationFile file = mq::readConfigurationSettings(path);
    const std::string outcome = ", so the library has no children";
    switch (file.state) {
    case mq::ConfigurationFileState::MISSING:
        return validation.add({}, Severity::PROBLEM, "it does not exist" + outcome);
    case mq::ConfigurationFileState::UNREADABLE:
        return validation.add({}, Severity::PROBLEM, "it cannot be read" + outcome);
    case mq::ConfigurationFileState::EMPTY: return validation.add({}, Severity::PROBLEM, "it is empty" + outcome);
    case mq::ConfigurationFileState::MALFORMED:
        return validation.add({}, Severity::PROBLEM, "not well-formed XML: " + file.problem + outcome);
    case mq::ConfigurationFileState::NO_SETTINGS:
    case mq::ConfigurationFileState::READ: break;
    }
    const std::optional<std::string> text = wholeText(path);
    if (!text) return validation.add({}, Severity::PROBLEM, "it cannot be read" + outcome);
    bool settingsSeen = false;
    for (const mq::OutlineElement& element : mq::outlineOf(*text)) {
        if (element.name != mq::SETTINGS_ELEMENT) {
            validation.unknownElement(element, {mq::SETTINGS_ELEMENT}, "at the top");
        } else if (settingsSeen) {
            validation.add(element.place, Severity::WARNING,
                           "a second <settings> element is ignored: the library reads the first alone");
        } else {
            settingsSeen = true;
            validation.settings(element, file.settings);
        }
    }
    if (!settingsSeen)
        validation.add({}, Severity::PROBLEM,
                       std::string("it has no <") + mq::SETTINGS_ELEMENT + "> element" + outcome);
    else if (file.settings.children.empty())
        validation.add({}, Severity::NOTE, "it names no child, so the library has no children");
    std::string refusal;
    mq::readTrustedConfiguration(path, refusal, privilegedHost());
    if (!refusal.empty())
        validation.add({}, mq::platformTrustFacts().isPrivilegedProcess() ? Severity::PROBLEM : Severity::WARNING,
                       "a privileged host refuses this file: " + refusal);
}

std::string countOf(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

int runValidate(const ValidateOptions& options, std::ostream& out) {
    std::string path = options.file;
    if (path.empty()) {
        mq::ConfigurationRecord record;
        mq::loadConfiguration(record, mq::ConfigurationUse::EDIT);
        if (record.configurationPath.empty())
            throw ToolError(ExitCode::PLUGIN_FAILED, "MultiQuellan has no data folder for its configuration file");
        path = record.configurationPath;
    }
    path = mq::platform::absolutePath(path);
    Validation validation;
    checkFile(path, validation);
    // In the file's order; what concerns the whole file first.
    std::stable_sort(validation.findings.begin(), validation.findings.end(),
                     [](const PlacedFinding& a, const PlacedFinding& b) {
                         const auto key = [](const PlacedFinding& f) {
                             return f.place ? std::make_pair(f.place->line, f.place->column) : std::make_pair(0ul, 0ul);
                         };
                         return key(a) < key(b);
                     });

    std::size_t counts[3] = {};
    for (const PlacedFinding& placed : validation.findings) ++counts[static_cast<int>(placed.finding.severity)];
    if (options.format == OutputFormat::TABLE) {
        for (const PlacedFinding& placed : validation.findings)
            out << path << (placed.place ? ":" + std::to_string(placed.place->line) + ":" +
                                               std::to_string(placed.place->column)
                                         : std::string())
                << ": " << describe(placed.finding.severity) << ": " << placed.finding.text << '\n';
        out << path << ": " << countOf(counts[0], "problem") << ", " << countOf(counts[1], "warning") << '\n';
    } else {
        Table table{{"line", "column", "severity", "finding"}, {}};
        for (const PlacedFinding& placed : validation.findings)
            table.rows.push_back({placed.place ? Cell(std::uint64_t(placed.place->line)) : Cell(),
                                  placed.place ? Cell(std::uint64_t(placed.place->column)) : Cell(),
                                  std::string(describe(placed.finding.severity)), placed.finding.text});
        writeTable(*makeRowWriter(out, options.format), table);
    }
    const bool clean = counts[0] == 0 && (!options.strict || counts[1] == 0);
    return static_cast<int>(clean ? ExitCode::SUCCESS : ExitCode::PLUGIN_FAILED);
}

}  // namespace quellan
