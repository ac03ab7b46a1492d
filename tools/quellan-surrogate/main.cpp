// quellan-surrogate: serves one child plug-in to the MultiQuellan that started it, over the channel it was handed.
//
// It takes no input but that channel: no configuration, no environment and no
// command line beyond the channel's own. It ends when the host closes the
// channel, and with the host's process, however that ends.
#include "hosting/isolation/SurrogateServer.h"
#include "platform/HelperProcess.h"

int main(int argc, char** argv) {
    mq::platform::Channel channel = mq::platform::HelperProcess::attachToHost(argc, argv);
    if (!channel.isOpen()) return 2;
    mq::surrogate::serve(channel);
    return 0;
}
