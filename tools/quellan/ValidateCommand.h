// quellan validate: a configuration file checked as the library reads it, without loading any child.
#pragma once

#include "Table.h"

#include <ostream>
#include <string>

namespace quellan {

struct ValidateOptions {
    // The file to check; empty for MultiQuellan's own configuration file.
    std::string file;
    OutputFormat format = OutputFormat::TABLE;
    // Warnings count as problems.
    bool strict = false;
};

// Checks the XML (with the parser's line and column), every element and
// attribute against those the library reads (naming the nearest known name
// for one it does not), every value the library would ignore, each child's
// file (ConfigurationCheck.h) and whether a privileged host would refuse the
// file. One finding a line, "FILE:LINE:COLUMN: problem: TEXT", then a
// summary; CSV and JSON give the findings as rows. Returns 0 when there is
// no problem (and, with `strict`, no warning), otherwise ExitCode::PLUGIN_FAILED.
int runValidate(const ValidateOptions& options, std::ostream& out);

}  // namespace quellan
