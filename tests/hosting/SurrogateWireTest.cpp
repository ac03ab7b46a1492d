// The surrogate's wire format as bytes: a request and a reply that a library and a surrogate of one build exchange.
#include "hosting/isolation/SurrogateMessages.h"

#include <gtest/gtest.h>

#include <string>

namespace mq::test {
namespace {

using surrogate::Request;

// Little-endian fixed widths; a text is its 32-bit length and its bytes; a
// request begins with its kind, a reply (but LOAD's) with the child's status.
const std::string READ_BATCH_REQUEST("\x0B"                                  // kind 11
                                     "\x02\x00\x00\x00"                      // two tags
                                     "\x01\x00\x00\x00\x00\x00\x00\x00"      // tag 1
                                     "\x05\x04\x03\x02\x01\x00\x00\x00"      // tag 0x0102030405
                                     "\x04\x00\x00\x00" "B-07",              // the batch
                                     1 + 4 + 16 + 4 + 4);
const std::string BATCH_TIMES_REPLY("\x00\x00\x00\x00"                       // status 0
                                    "\x00\xF1\x53\x65"                       // start 1700000000
                                    "\xFF\xFF\xFF\xFF",                      // end left unwritten
                                    12);

TEST(SurrogateWire, ARequestIsTheseBytesBothWays) {
    surrogate::Arguments sent;
    sent.tags = {1, 0x0102030405};
    sent.text = "B-07";
    surrogate::Encoder out(Request::READ_BATCH);
    surrogate::encodeRequest(out, Request::READ_BATCH, sent);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(READ_BATCH_REQUEST, out.body());

    surrogate::Decoder in(READ_BATCH_REQUEST);
    ASSERT_EQ(static_cast<std::uint8_t>(Request::READ_BATCH), in.u8());
    surrogate::Arguments received;
    ASSERT_TRUE(surrogate::decodeRequest(in, Request::READ_BATCH, received));
    EXPECT_EQ(sent.tags, received.tags);
    EXPECT_EQ(sent.text, received.text);
}

TEST(SurrogateWire, AReplyIsTheseBytesBothWays) {
    surrogate::Reply sent;
    sent.number = 1700000000;
    sent.secondNumber = 0xFFFFFFFFu;
    surrogate::Encoder out;
    surrogate::encodeReply(out, Request::BATCH_TIMES, sent);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(BATCH_TIMES_REPLY, out.body());

    surrogate::Decoder in(BATCH_TIMES_REPLY);
    surrogate::Reply received;
    ASSERT_TRUE(surrogate::decodeReply(in, Request::BATCH_TIMES, surrogate::Arguments{}, 1, received));
    EXPECT_EQ(0u, received.status);
    EXPECT_EQ(sent.number, received.number);
    EXPECT_EQ(sent.secondNumber, received.secondNumber);
}

}  // namespace
}  // namespace mq::test
