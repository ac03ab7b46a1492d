// RunEntryHost LIBRARY ENTRY: a host program for the runner tests, which
// starts the configuration runner on ENTRY of LIBRARY from wherever it lies.
#include "platform/Process.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    return mq::platform::runLibraryEntry(argv[1], argv[2]) ? 0 : 1;
}
