// The value-vector functions, called through the library's exports.
#include "support/LoadedPlugin.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace mq::test {
namespace {

class Vectors : public LibraryFunctionsTest {
protected:
    void SetUp() override { ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorCreate(3, &vector)); }
    void TearDown() override { (*plugin)->vectorFree(vector); }

    uint32_t typeAt(uint32_t index) {
        uint32_t type = 99;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetType(vector, index, &type));
        return type;
    }

    QUELLAN2_VECTOR vector = nullptr;
};

TEST_F(Vectors, CreateRefusesZeroLengthAndNullOut) {
    QUELLAN2_VECTOR created = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorCreate(0, &created));
    EXPECT_EQ(nullptr, created);
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorCreate(3, nullptr));
}

TEST_F(Vectors, ANewVectorHasItsLengthAndOnlyNullElements) {
    uint32_t length = 0;
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetLength(vector, &length));
    EXPECT_EQ(3u, length);
    for (uint32_t index = 0; index < 3; ++index) EXPECT_EQ(QUELLAN2_TYPE_NULL, typeAt(index));
    uint32_t type = 99;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetType(vector, 3, &type));
    EXPECT_EQ(99u, type);
}

TEST_F(Vectors, EveryFunctionRefusesNullsAndIndicesOutOfRange) {
    uint32_t number = 7;
    float value = 1.0f;
    QUELLAN2_STRING string = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetLength(nullptr, &number));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetLength(vector, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetType(nullptr, 0, &number));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetType(vector, 0, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorSetNull(nullptr, 0));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorSetNull(vector, 3));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorSetFloat(nullptr, 0, 1.0f));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorSetFloat(vector, 3, 1.0f));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorSetString(nullptr, 0, "x"));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorSetString(vector, 0, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorSetString(vector, 3, "x"));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetFloat(nullptr, 0, &value));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetFloat(vector, 0, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetFloat(vector, 3, &value));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetString(nullptr, 0, &string));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetString(vector, 0, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->vectorGetString(vector, 3, &string));
    EXPECT_EQ(7u, number);
    EXPECT_EQ(1.0f, value);
    EXPECT_EQ(nullptr, string);
    // The refused calls changed nothing.
    for (uint32_t index = 0; index < 3; ++index) EXPECT_EQ(QUELLAN2_TYPE_NULL, typeAt(index));
}

TEST_F(Vectors, AFloatReadBackIsBitForBitTheFloatWritten) {
    const float written[] = {-0.0f, std::numeric_limits<float>::denorm_min(), 3.14159274f,
                             std::numeric_limits<float>::infinity()};
    for (float value : written) {
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetFloat(vector, 1, value));
        EXPECT_EQ(QUELLAN2_TYPE_FLOAT, typeAt(1));
        float read = 0.0f;
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetFloat(vector, 1, &read));
        EXPECT_EQ(0, std::memcmp(&value, &read, sizeof value));
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetFloat(vector, 1, nan));
    float read = 0.0f;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetFloat(vector, 1, &read));
    EXPECT_EQ(0, std::memcmp(&nan, &read, sizeof nan));
}

TEST_F(Vectors, AStringElementComesBackAsANewStringEachTime) {
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetString(vector, 2, "batch 7"));
    EXPECT_EQ(QUELLAN2_TYPE_STRING, typeAt(2));
    QUELLAN2_STRING first = nullptr;
    QUELLAN2_STRING second = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetString(vector, 2, &first));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetString(vector, 2, &second));
    EXPECT_NE(first, second);
    EXPECT_EQ("batch 7", plugin->take(first));
    EXPECT_EQ("batch 7", plugin->take(second));
    // The vector kept its own copy.
    QUELLAN2_STRING third = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetString(vector, 2, &third));
    EXPECT_EQ("batch 7", plugin->take(third));
}

TEST_F(Vectors, ReadingAnElementAsTheWrongTypeFailsAndWritesNothing) {
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetFloat(vector, 0, 2.5f));
    QUELLAN2_STRING string = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->vectorGetString(vector, 0, &string));
    EXPECT_EQ(nullptr, string);

    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetString(vector, 0, "2.5"));
    float value = -1.0f;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->vectorGetFloat(vector, 0, &value)) << "no conversion from text";
    EXPECT_EQ(-1.0f, value);

    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetNull(vector, 0));
    EXPECT_EQ(QUELLAN2_TYPE_NULL, typeAt(0));
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->vectorGetFloat(vector, 0, &value));
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->vectorGetString(vector, 0, &string));
}

TEST_F(Vectors, SettersReplaceOneElementOnly) {
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetString(vector, 0, "a"));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetFloat(vector, 1, 1.0f));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetFloat(vector, 0, 5.0f));
    EXPECT_EQ(QUELLAN2_TYPE_FLOAT, typeAt(0));
    EXPECT_EQ(QUELLAN2_TYPE_FLOAT, typeAt(1));
    EXPECT_EQ(QUELLAN2_TYPE_NULL, typeAt(2));
}

TEST_F(Vectors, SetStringStopsAtTheFirstZeroByte) {
    const char text[] = {'x', '\0', 'y', '\0'};
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetString(vector, 0, text));
    QUELLAN2_STRING string = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetString(vector, 0, &string));
    EXPECT_EQ("x", plugin->take(string));
}

TEST_F(Vectors, FreeOfNullIsANoOpAndFreeReleasesHeldStrings) {
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorFree(nullptr));
    QUELLAN2_VECTOR holder = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorCreate(2, &holder));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorSetString(holder, 0, std::string(4096, 'x').c_str()));
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorFree(holder));  // a leak shows under the sanitizers
}

}  // namespace
}  // namespace mq::test
