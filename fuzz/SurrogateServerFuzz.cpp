// The surrogate's end of the channel: fuzzed requests served to a real
// SimQuellan. Each input first loads, initialises and (as its first bit says)
// opens the child with valid requests, as the host does, then sends its own
// frames. The server must never crash or read past a frame, and every reply it
// writes to a request it took must decode as the host decodes that reply.
//
// Input after the first byte: frames, each a length byte and that many bytes
// of request (its first byte the request's kind).
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzPlugin.h"
#include "hosting/ProxyTree.h"
#include "hosting/isolation/MirrorValues.h"
#include "hosting/isolation/SurrogateMessages.h"
#include "hosting/isolation/SurrogateProtocol.h"
#include "hosting/isolation/SurrogateServer.h"
#include "platform/DynamicLibrary.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using mq::fuzz::fail;
using mq::fuzz::FuzzInput;
using mq::surrogate::Decoder;
using mq::surrogate::Encoder;
using mq::surrogate::Request;

namespace {

// Two nodes, a sub-node, float and string tags and a batch: something for
// every request to reach. A fixed clock keeps the runs alike.
const char* const SIDECAR = R"(clock 1700000000
journal off
node Line1
tag Line1 TT-101 float base=20 amplitude=5 period=3600
tag Line1 State string states=Running,Stopped dwell=600
node Line1/Pump
tag Line1/Pump Flow float base=120
batch Line1 B-1 1699990000 1699999000
node Line2
tag Line2 Mode string
)";

// A copy of SimQuellan with its sidecar beside the target, loaded once and
// held for the whole run: the fuzzer keeps counters inside the child, which
// must not come and go with each input's server.
const std::string& childPath() {
    static const std::string path = [] {
        const fs::path folder = fs::path(mq::platform::executablePath()).parent_path() / "fuzz_surrogate_server.child";
        fs::create_directories(folder);
        const fs::path library = folder / ("SurrogateChild" MQ_LIBRARY_SUFFIX);
        fs::copy_file(mq::fuzz::builtLibrary("SimQuellan"), library, fs::copy_options::overwrite_existing);
        std::ofstream(folder / "SurrogateChild.sim") << SIDECAR;
        std::string error;
        if (!mq::platform::loadLibrary(library.string(), error)) fail(error.c_str());
        return library.string();
    }();
    return path;
}

void expect(bool condition, const char* what) {
    if (!condition) fail(what);
}

// Decodes a reply body as the host does for the request it answers.
bool replyDecodes(const std::string& request, const std::string& body) {
    const auto kind = static_cast<Request>(static_cast<std::uint8_t>(request[0]));
    // The server took the request, so it decodes: the arguments as the host
    // would have sent them.
    Decoder asked(request.data() + 1, request.size() - 1);
    mq::surrogate::Arguments arguments;
    expect(mq::surrogate::decodeRequest(asked, kind, arguments), "a request taken that does not decode");
    Decoder in(body);
    mq::surrogate::Reply reply;
    return mq::surrogate::decodeReply(in, kind, arguments, mq::QuellanProxy::Node::MAX_DEPTH, reply);
}

// Serves one request as the surrogate's loop does. False when the server
// refused it, which ends the surrogate.
bool serve(mq::surrogate::Server& server, const std::string& request) {
    Encoder reply;
    if (!server.handle(request, reply)) return false;
    expect(reply.ok(), "a reply too large to hold");
    expect(replyDecodes(request, reply.body()), "a reply that does not decode");
    return true;
}

std::string request(Request kind, const std::string& text = std::string()) {
    mq::surrogate::Arguments arguments;
    arguments.text = text;
    // The load names the size of the frames the host takes.
    arguments.number = mq::surrogate::MAX_FRAME_BYTES;
    Encoder message(kind);
    mq::surrogate::encodeRequest(message, kind, arguments);
    return message.body();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const bool open = input.flag();
    mq::surrogate::Server server;
    expect(serve(server, request(Request::LOAD, childPath())), "the child did not load");
    expect(serve(server, request(Request::INITIALIZE)), "initialize refused");
    if (open) expect(serve(server, request(Request::OPEN)), "open refused");
    while (!input.empty()) {
        const std::string bytes = input.bytes(255);
        // Copied to a string of exactly its size: past 15 bytes its own
        // allocation, so that a read past the frame is a read past that.
        if (!serve(server, std::string(bytes.data(), bytes.size()))) break;
    }
    // What the host's close would leave behind, so that the next input meets
    // the child as this one did.
    serve(server, request(Request::CLOSE));
    serve(server, request(Request::UNINITIALIZE));
    return 0;
}
