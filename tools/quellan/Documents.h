// The documents the build makes by running the tool: its manual page and its bash completion.
#pragma once

#include <ostream>

namespace quellan {

// Whether the command line is the build's hidden request for a document:
//   quellan --internal-man README EXAMPLE   the manual page, naming those installed files
//   quellan --internal-bash-completion      the bash completion script
bool isDocumentRequest(int argc, char** argv);

// Writes the document asked for; the exit code.
int writeDocument(int argc, char** argv, std::ostream& out);

}  // namespace quellan
