// Finding what the library will not read in a configuration file, and what it will make of each child's file.
#include "ConfigurationCheck.h"

#include "config/TrustedConfiguration.h"
#include "hosting/ChildFunctionTable.h"
#include "hosting/ChildMachine.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "platform/LibraryExports.h"

#include <algorithm>
#include <cctype>

namespace quellan {

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Letters added, dropped or changed to make one text the other.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

const mq::TrustFacts& privilegedHost() {
    static const mq::TrustFacts facts{[] { return true; }, mq::platformTrustFacts().readAdministeredFile};
    return facts;
}

const char* describe(Severity severity) {
    switch (severity) {
    case Severity::PROBLEM: return "problem";
    case Severity::WARNING: return "warning";
    case Severity::NOTE: return "note";
    }
    return "problem";
}

std::string nearestName(const std::string& name, const std::vector<std::string>& known) {
    const std::string lower = lowerCase(name);
    const std::size_t allowed = name.size() <= 4 ? 1 : 2;
    std::string best;
    std::size_t bestDistance = allowed + 1;
    for (const std::string& candidate : known) {
        const std::size_t distance = editDistance(lower, lowerCase(candidate));
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string unknownAttribute(const mq::Attribute& attribute, const std::vector<std::string>& known) {
    const std::string text =
        "unknown attribute " + attribute.name + "=\"" + attribute.value + "\", which the library ignores";
    const std::string nearest = nearestName(attribute.name, known);
    return nearest.empty() ? text : text + "; did you mean " + nearest + "?";
}

std::vector<std::string> unknownAttributes(const mq::Attributes& attributes, const std::vector<std::string>& known) {
    std::vector<std::string> texts;
    for (const mq::Attribute& attribute : attributes)
        if (std::find(known.begin(), known.end(), attribute.name) == known.end())
            texts.push_back(unknownAttribute(attribute, known));
    return texts;
}

std::vector<Finding> childFileFindings(const std::string& configuredPath) {
    std::vector<Finding> findings;
    const std::string path = mq::platform::absolutePath(configuredPath);
    if (path != configuredPath) {
        if (const std::string refusal = mq::childPathRefusal(configuredPath); !refusal.empty())
            return {{Severity::PROBLEM, refusal}};
        findings.push_back({Severity::NOTE, configuredPath + " is relative: from this folder it names " + path +
                                                ", and a host takes it from the folder it was started in"});
        if (const std::string refusal = mq::childPathRefusal(configuredPath, privilegedHost()); !refusal.empty())
            findings.push_back({Severity::WARNING, "a privileged host leaves this child out: " + refusal});
    }
    const auto problem = [&findings](const std::string& text) {
        findings.push_back({Severity::PROBLEM, text});
        return findings;
    };
    if (!mq::platform::entryExists(path)) return problem(path + " does not exist, so the host's open fails as a whole");
    if (!mq::platform::isReadableFile(path))
        return problem(path + " cannot be read, so the host's open fails as a whole");
    // The machine type first, as the library reads it, from the header alone.
    const mq::ChildMachine machine = mq::childMachine(path);
    if (!machine.refusal.empty()) return problem(path + ": " + machine.refusal);
    if (!machine.note.empty()) findings.push_back({Severity::NOTE, machine.note});
    std::string why;
    const std::optional<mq::platform::LibraryFile> library = mq::platform::readLibraryFile(path, why);
    if (!library) return problem(path + ": " + why + "; the host leaves this child out");
    if (const std::string foreign = mq::platform::foreignLibrary(*library); !foreign.empty())
        return problem(path + " is " + foreign + "; the host leaves this child out");
    if (!library->exports) {
        findings.push_back({Severity::WARNING, path + " keeps no export table that can be read without loading it, so "
                                                      "its functions are not checked"});
        return findings;
    }
    std::vector<std::string> missing;
    for (const mq::ChildFunction& function : mq::CHILD_FUNCTIONS)
        if (function.required && std::find(library->exports->begin(), library->exports->end(), function.name) ==
                                     library->exports->end())
            missing.push_back(function.name);
    if (!missing.empty()) return problem(mq::missingFunctions(missing, path) + " The host leaves this child out.");
    return findings;
}

}  // namespace quellan
