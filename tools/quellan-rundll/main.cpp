// quellan-rundll LIBRARY,ENTRY [arguments]: the configuration process's runner
// where the platform has no rundll32.
#include "tools/quellan-rundll/Runner.h"

int main(int argc, char** argv) {
    return mq::tools::runEntryPoint(argc, argv);
}
