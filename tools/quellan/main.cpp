// quellan: the command-line host for any Quellan 2 plug-in.
#include "CheckCommand.h"
#include "ChildrenCommand.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ConfigurationNotice.h"
#include "Documents.h"
#include "Help.h"
#include "PluginLibrary.h"
#include "PluginSession.h"
#include "ProbeProcess.h"
#include "ToolError.h"
#include "platform/Console.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <new>

namespace quellan {
namespace {

int run(const std::vector<std::string>& arguments) {
    CommandLine line = parseCommandLine(arguments);
    if (line.version) {
        std::cout << "quellan " << QUELLAN_VERSION << '\n';
        return static_cast<int>(ExitCode::SUCCESS);
    }
    if (line.help || line.command == "help") {
        // `help COMMAND` and `COMMAND --help` are about that command; `help` and `--help` about all.
        const std::string topic = line.command != "help"    ? line.command
                                  : line.operands.empty() ? std::string()
                                                          : line.operands.front();
        std::cout << (topic.empty() ? helpText() : commandHelpText(topic));
        return static_cast<int>(ExitCode::SUCCESS);
    }
    const Command& command = findCommand(line.command);

    std::ofstream file;
    if (!line.output.empty()) {
        file.open(line.output, std::ios::binary | std::ios::trunc);
        if (!file) throw ToolError(ExitCode::USAGE, "cannot write to the file " + line.output);
    }
    std::ostream& out = file.is_open() ? file : std::cout;
    if (command.inspect) return command.inspect(line, out, std::cerr);
    std::unique_ptr<RowWriter> writer = makeRowWriter(out, line.format);
    TableCollector collected;
    {
        PluginSession session(line.plugin.empty() ? defaultPluginPath() : line.plugin);
        // MultiQuellan opens silently with no child when its configuration
        // gives it none: say so (with --strict, end the run instead).
        if (line.plugin.empty() && command.opensConnection) watchConfiguration(session, line.strict, std::cerr);
        command.run(line, session, command.output == Output::STREAMED ? *writer : collected);
        session.end();
    }
    // The other commands' rows are written only once the plug-in is done
    // with, so that a failure anywhere leaves the output empty.
    if (command.output == Output::STREAMED)
        writer->finish();
    else
        writeTable(*writer, collected.table);
    return static_cast<int>(ExitCode::SUCCESS);
}

int report(const ToolError& error) {
    std::cerr << "quellan: " << error.what() << '\n';
    if (error.code() == ExitCode::USAGE) std::cerr << "Run quellan --help for the commands and options.\n";
    return static_cast<int>(error.code());
}

}  // namespace
}  // namespace quellan

int main(int argc, char** argv) {
    using namespace quellan;
    // Started by the tool itself to make calls into a plug-in that could end the process.
    if (isProbe(argc, argv)) serveProbe(argc, argv, {{CHILD_PROBE, serveChildProbe}, {CHECK_PROBE, serveCheckProbe}});
    // Asked by the build for the manual page or the bash completion.
    if (isDocumentRequest(argc, argv)) return writeDocument(argc, argv, std::cout);
    mq::platform::prepareStandardOutput();
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const OutputClosed&) {
        // The reader has gone (quellan tree | head): the output ends here.
        return static_cast<int>(ExitCode::SUCCESS);
    } catch (const ConnectionOpenError& error) {
        // The plug-in refused to open its connection: for MultiQuellan, one of
        // its children failed to load or open, and the text ends with a hint
        // to run `quellan children`.
        return report(error);
    } catch (const ToolError& error) {
        return report(error);
    } catch (const std::bad_alloc&) {
        std::cerr << "quellan: out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << "quellan: " << error.what() << '\n';
    }
    return static_cast<int>(ExitCode::INTERNAL);
}
