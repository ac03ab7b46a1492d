// quellan check: running the checker in a probe process and writing its results.
#include "CheckCommand.h"

#include "Checker.h"
#include "PluginLibrary.h"
#include "ToolError.h"

#include <iterator>
#include <optional>
#include <string>

namespace quellan {

void serveCheckProbe(const ProbeMessage& request, ProbeReport& report) {
    check::Checker checker(request.at(1), [&report](const ProbeMessage& message) { report.send(message); });
    checker.run();
    report.send({check::DONE});
}

int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    check::Checker checker(options.plugin);
    const ProbeRun run = runProbe({CHECK_PROBE, options.plugin}, std::nullopt);
    if (!run.started) throw ToolError(ExitCode::INTERNAL, "cannot start a process of its own to run the plug-in in");
    for (const ProbeMessage& message : run.messages) checker.apply(message);
    // As for every other command: a plug-in that cannot be loaded is exit code 4, without a table.
    if (checker.loadFailure()) throw unloadablePlugin(options.plugin, *checker.loadFailure());
    if (!checker.finished())
        checker.ended(run.ending.empty() ? "before the check was done, with exit code 0" : run.ending);
    writeTable(*makeRowWriter(out, options.format), checker.table());
    // Nothing that failed is not the same as something that passed.
    const bool nothing = checker.offeredNothing();
    if (nothing) {
        std::string rules;
        for (std::size_t k = 0; k < std::size(check::DATA_RULES); ++k)
            rules += std::string(k == 0 ? "" : k + 1 == std::size(check::DATA_RULES) ? " and " : ", ") +
                     CONFORMANCE_RULES[static_cast<std::size_t>(check::DATA_RULES[k])].name;
        err << "quellan: the plug-in offered nothing to check: " << rules
            << " could not make their calls (the table says why)\n";
    }
    return static_cast<int>(checker.anyFailure() || nothing ? ExitCode::PLUGIN_FAILED : ExitCode::SUCCESS);
}

}  // namespace quellan
