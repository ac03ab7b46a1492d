// A child binds its calls to its own interface functions even when the host
// program has functions of the same names in its global scope.
#include "HostingFixture.h"
#include "hosting/CallMessages.h"
#include "hosting/ProxyTree.h"
#include "hosting/Quellan.h"
#include "platform/DynamicLibrary.h"

namespace mq::test {
namespace {

using SymbolBinding = HostingTest;

TEST_F(SymbolBinding, AChildsFunctionsAreItsOwnNotTheProgramsSameNamedOnes) {
    // This program carries the library's own vector functions and exports them.
    QUELLAN2_VECTOR ours = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, quellan2_vectorCreate(1, &ours));
    quellan2_vectorFree(ours);

    SimChild& child = makeChild();
    Quellan quellan(child.libraryPath());
    ASSERT_TRUE(quellan.open());
    EXPECT_NE(reinterpret_cast<void*>(&quellan2_vectorCreate),
              reinterpret_cast<void*>(quellan.proxy()->functions().vectorCreate));

    // A whole read, with the child creating and filling its vector.
    QUELLAN2_TAG tag = quellan.proxy()->connectionTree().topNodes[0]->nodeTags[0]->handle;
    auto read = std::make_shared<ConnectionReadCurrentDataMessage>(std::vector<QUELLAN2_TAG>{tag});
    ASSERT_EQ(QUELLAN2_STATUS_OK, quellan.proxy()->call(read));
    QUELLAN2_VECTOR answer = read->vectors[0];
    float value = 0.0f;
    ASSERT_EQ(QUELLAN2_STATUS_OK, quellan.proxy()->functions().vectorGetFloat(answer, 0, &value));
    EXPECT_EQ(std::get<float>(child.expectedValue("Line1", "TT-101", 1700000000)), value);
    quellan.proxy()->functions().vectorFree(answer);
}

}  // namespace
}  // namespace mq::test
