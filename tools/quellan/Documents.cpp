// Answering the build's hidden requests for the manual page and the bash completion.
#include "Documents.h"

#include "Completion.h"
#include "ManPage.h"

#include <string>

namespace quellan {

namespace {

const char* const MAN_PAGE_WORD = "--internal-man";
const char* const COMPLETION_WORD = "--internal-bash-completion";

}  // namespace

bool isDocumentRequest(int argc, char** argv) {
    if (argc < 2) return false;
    const std::string word = argv[1];
    return (word == MAN_PAGE_WORD && argc == 4) || (word == COMPLETION_WORD && argc == 2);
}

int writeDocument(int argc, char** argv, std::ostream& out) {
    if (std::string(argv[1]) == MAN_PAGE_WORD && argc == 4)
        out << manPage({argv[2], argv[3]});
    else
        out << bashCompletion();
    out.flush();
    return out ? 0 : 1;
}

}  // namespace quellan
