// quellan: the command-line host for any Quellan 2 plug-in.
#include "CommandLine.h"
#include "Commands.h"
#include "DiagnosticCommands.h"
#include "Help.h"
#include "PluginLibrary.h"
#include "PluginSession.h"
#include "ToolError.h"

#include <exception>
#include <iostream>
#include <new>

namespace quellan {
namespace {

int run(const std::vector<std::string>& arguments) {
    CommandLine line = parseCommandLine(arguments);
    if (line.help || line.command == "help") {
        std::cout << HELP_TEXT;
        return static_cast<int>(ExitCode::SUCCESS);
    }
    if (line.command.empty()) throw usageError("no command given");
    if (std::optional<int> code = runDiagnosticCommand(line, std::cout, std::cerr)) return *code;
    const Command& command = findCommand(line.command);
    checkUsage(command, line);

    Table table;
    {
        PluginSession session(line.plugin.empty() ? defaultPluginPath() : line.plugin);
        table = command.run(line, session);
        session.end();
    }
    // Written only once the plug-in is done with, so that a failure anywhere
    // leaves stdout empty.
    writeTable(std::cout, table, line.format);
    std::cout.flush();
    if (!std::cout) throw ToolError(ExitCode::INTERNAL, "cannot write the output");
    return static_cast<int>(ExitCode::SUCCESS);
}

}  // namespace
}  // namespace quellan

int main(int argc, char** argv) {
    using namespace quellan;
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const ToolError& error) {
        std::cerr << "quellan: " << error.what() << '\n';
        if (error.code() == ExitCode::USAGE) std::cerr << "Run quellan --help for the commands and options.\n";
        return static_cast<int>(error.code());
    } catch (const std::bad_alloc&) {
        std::cerr << "quellan: out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << "quellan: " << error.what() << '\n';
    }
    return static_cast<int>(ExitCode::INTERNAL);
}
