// Saves the configuration file over and over, alternating between two child
// lists, until it is killed. The save test ends it at random moments.
// A refused save is followed by the next one: on Windows a file cannot be
// replaced while a reader that does not share deletion (the C library's, as
// the test and the configuration reader use) has it open, and the test reads
// it all the time.
#include "config/ConfigurationFileWriter.h"
#include "SaveLists.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: reliability_save_writer CONFIGURATION-FILE\n");
        return 2;
    }
    const std::vector<std::string> lists[] = {mq::test::oldChildList(), mq::test::newChildList()};
    for (unsigned long save = 1;; ++save) {
        // Until a save succeeds the same list is tried again, so the saves
        // that land still alternate.
        while (!mq::writeConfigurationFile(argv[1], lists[save % 2])) {
        }
    }
}
