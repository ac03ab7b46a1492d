// The surrogate's side: one child, loaded in this process and served to the host over the channel.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"
#include "hosting/QuellanProxy.h"
#include "hosting/isolation/MirrorValues.h"
#include "hosting/isolation/SurrogateMessages.h"
#include "hosting/isolation/SurrogateProtocol.h"
#include "platform/Channel.h"
#include "quellan2.h"

#include <optional>
#include <string>
#include <vector>

namespace mq::surrogate {

// Runs each request on the child, through the same loader, function table,
// tree reader and fault guard as the host would, and describes the answers:
// every vector the child delivers is read whole here (and given back to the
// child), every string read and given back, so that nothing of the child's
// memory has to outlive the request. The host is the only peer, yet a request
// is still checked before it runs: a node or tag is an index into the tables
// built at the open, and a request that does not decode ends the service.
class Server {
public:
    Server() = default;
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Handles one request, writing its reply; false for bytes that are not a
    // request this child can take (the surrogate then ends).
    bool handle(const std::string& request, Encoder& reply);
    // The size of the frames the host takes, as it named it with the load.
    std::uint32_t frameBytes() const { return replyFrameBytes; }

private:
    // One handler per request (SurrogateRequests.def): it runs the decoded
    // request on the child and fills the reply; false refuses the request.
    bool onLOAD(const Arguments& arguments, Reply& reply);
    bool onINITIALIZE(const Arguments& arguments, Reply& reply);
    bool onUNINITIALIZE(const Arguments& arguments, Reply& reply);
    bool onGET_IDENTITY(const Arguments& arguments, Reply& reply);
    bool onOPEN(const Arguments& arguments, Reply& reply);
    bool onCLOSE(const Arguments& arguments, Reply& reply);
    bool onCURRENT_TIME(const Arguments& arguments, Reply& reply);
    bool onREAD_CURRENT(const Arguments& arguments, Reply& reply);
    bool onREAD_HISTORICAL(const Arguments& arguments, Reply& reply);
    bool onREAD_HISTORICAL_EX(const Arguments& arguments, Reply& reply);
    bool onREAD_BATCH(const Arguments& arguments, Reply& reply);
    bool onREAD_BATCH_EX(const Arguments& arguments, Reply& reply);
    bool onWRITE_HISTORICAL(const Arguments& arguments, Reply& reply);
    bool onWRITE_HISTORICAL_EX(const Arguments& arguments, Reply& reply);
    bool onWRITE_BATCH(const Arguments& arguments, Reply& reply);
    bool onWRITE_BATCH_EX(const Arguments& arguments, Reply& reply);
    bool onACTIVE_BATCHES(const Arguments& arguments, Reply& reply);
    bool onBATCH_TIMES(const Arguments& arguments, Reply& reply);
    bool onUPDATE_TIME(const Arguments& arguments, Reply& reply);

    // What the reads, the Ex calls and the writes share.
    bool read(Request what, const Arguments& arguments, Reply& reply);
    bool historicalEx(bool reading, const Arguments& arguments, Reply& reply);
    bool write(Request what, const Arguments& arguments, Reply& reply);

    bool tagHandles(const std::vector<std::uint64_t>& indices, std::vector<QUELLAN2_TAG>& list) const;
    NodeRecord describeNode(QuellanProxy::Node& node);
    VectorRecord describe(QUELLAN2_VECTOR vector, std::uint32_t elements, bool lengthDecides) const;
    // The vector a call delivered, described and given back to the child.
    std::optional<VectorRecord> take(QUELLAN2_VECTOR vector, std::uint32_t elements, bool lengthDecides = false) const;
    QUELLAN2_VECTOR materialize(const std::optional<VectorRecord>& lent) const;
    void giveBack(QUELLAN2_VECTOR vector) const;

    LibraryHandle library;
    ChildExports functions;
    bool loaded = false;
    std::uint32_t replyFrameBytes = MAX_FRAME_BYTES;
    QUELLAN2_CONNECTION connection = nullptr;
    bool opened = false;
    // What the child said it is, when the host asked before opening.
    std::string identity;
    // The handles of the tree, in the order of the indices the host uses.
    std::vector<QUELLAN2_NODE> nodes;
    std::vector<QUELLAN2_TAG> tags;
};

// Serves the host until it closes the channel or sends what is not a request.
void serve(platform::Channel& channel);

}  // namespace mq::surrogate
