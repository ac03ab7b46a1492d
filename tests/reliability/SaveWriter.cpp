// Saves the configuration file over and over, alternating between two child
// lists, until it is killed. The save test ends it at random moments.
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
        if (!mq::writeConfigurationFile(argv[1], lists[save % 2])) return 1;
    }
}
