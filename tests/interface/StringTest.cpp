// The string functions, called through the library's exports.
#include "support/LoadedPlugin.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace mq::test {
namespace {

class Strings : public LibraryFunctionsTest {
protected:
    QUELLAN2_STRING create(const char* text) {
        QUELLAN2_STRING string = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->stringCreate(text, &string));
        return string;
    }
};

TEST_F(Strings, CreateRefusesNullArguments) {
    QUELLAN2_STRING string = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->stringCreate(nullptr, &string));
    EXPECT_EQ(nullptr, string);
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->stringCreate("abc", nullptr));
}

TEST_F(Strings, CreateKeepsOnlyTheBytesBeforeTheFirstZero) {
    const char text[] = {'a', 'b', '\0', 'c', 'd', '\0'};
    EXPECT_EQ("ab", plugin->take(create(text)));
}

TEST_F(Strings, CopyReportsTheLengthWithAZeroSizedBuffer) {
    QUELLAN2_STRING string = create("abc");
    uint32_t length = 0;
    EXPECT_EQ(QUELLAN2_STATUS_INSUFFICIENT_BUFFER, (*plugin)->stringCopy(string, nullptr, &length));
    EXPECT_EQ(3u, length);
    length = 2;
    char small[2] = {'x', 'x'};
    EXPECT_EQ(QUELLAN2_STATUS_INSUFFICIENT_BUFFER, (*plugin)->stringCopy(string, small, &length));
    EXPECT_EQ(3u, length);
    EXPECT_EQ('x', small[0]) << "a refused copy writes nothing";
    (*plugin)->stringFree(string);
}

TEST_F(Strings, CopyIntoAnExactBufferWritesNoTerminator) {
    QUELLAN2_STRING string = create("abc");
    char buffer[5] = {'#', '#', '#', '#', '#'};
    uint32_t length = 3;
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->stringCopy(string, buffer, &length));
    EXPECT_EQ(3u, length);
    EXPECT_EQ(0, std::memcmp(buffer, "abc##", 5));
    length = 5;
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->stringCopy(string, buffer, &length));
    EXPECT_EQ(3u, length);
    EXPECT_EQ(0, std::memcmp(buffer, "abc##", 5)) << "bytes beyond the text stay as they were";
    (*plugin)->stringFree(string);
}

TEST_F(Strings, CopyWithANullBufferIsRefusedButReportsTheLength) {
    QUELLAN2_STRING string = create("abc");
    uint32_t length = 3;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->stringCopy(string, nullptr, &length));
    EXPECT_EQ(3u, length);
    (*plugin)->stringFree(string);
}

TEST_F(Strings, CopyOfAnEmptyStringNeedsNoBuffer) {
    QUELLAN2_STRING string = create("");
    uint32_t length = 0;
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->stringCopy(string, nullptr, &length));
    EXPECT_EQ(0u, length);
    (*plugin)->stringFree(string);
}

TEST_F(Strings, CopyRefusesANullStringOrLengthWithoutWriting) {
    QUELLAN2_STRING string = create("abc");
    char buffer[4] = {'#', '#', '#', '#'};
    uint32_t length = 4;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->stringCopy(nullptr, buffer, &length));
    EXPECT_EQ(4u, length);
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->stringCopy(string, buffer, nullptr));
    EXPECT_EQ('#', buffer[0]);
    (*plugin)->stringFree(string);
}

TEST_F(Strings, FreeOfNullIsANoOp) {
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->stringFree(nullptr));
}

TEST_F(Strings, BytesOutsideAsciiPassThroughUnchanged) {
    const char text[] = "\xC3\xA4\xFF\x01 end";
    EXPECT_EQ(std::string(text), plugin->take(create(text)));
}

}  // namespace
}  // namespace mq::test
