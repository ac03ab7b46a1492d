// An isolated child's string, as this process holds it, copies out by the very rule of the library's own strings.
#include "hosting/isolation/MirrorValues.h"

#include <gtest/gtest.h>

#include <string>

namespace mq::test {
namespace {

struct Copy {
    const char* text;
    bool buffer;
    uint32_t length;
};

// Status and reported length, then the bytes copied.
std::string copied(QUELLAN2_STATUS (*copy)(QUELLAN2_STRING, char*, uint32_t*), QUELLAN2_STRING string,
                   const Copy& how) {
    char buffer[16] = {};
    uint32_t length = how.length;
    const QUELLAN2_STATUS status = copy(string, how.buffer ? buffer : nullptr, &length);
    return std::to_string(status) + " " + std::to_string(length) + " " + std::string(buffer);
}

TEST(MirrorString, CopiesAsTheLibrarysOwnStringDoesInEveryCase) {
    ChildFunctionTable mirror;
    useMirrorValues(mirror);
    const Copy COPIES[] = {
        {"", false, 0},     {"", true, 0},     {"", false, 8},     {"text", false, 0}, {"text", false, 4},
        {"text", false, 9}, {"text", true, 3}, {"text", true, 4},  {"text", true, 9},
    };
    for (const Copy& how : COPIES) {
        QUELLAN2_STRING own = nullptr;
        QUELLAN2_STRING mirrored = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, quellan2_stringCreate(how.text, &own));
        ASSERT_EQ(QUELLAN2_STATUS_OK, mirror.stringCreate(how.text, &mirrored));
        EXPECT_EQ(copied(quellan2_stringCopy, own, how), copied(mirror.stringCopy, mirrored, how))
            << "\"" << how.text << "\" buffer " << how.buffer << " length " << how.length;
        quellan2_stringFree(own);
        mirror.stringFree(mirrored);
    }
}

}  // namespace
}  // namespace mq::test
