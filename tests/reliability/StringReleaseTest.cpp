// A child's string that the host has taken is given back to the child,
// whatever the child's copy function answers.
#include "data/MultiplexerFixture.h"

namespace mq::test {
namespace {

class StringRelease : public MultiplexerTest {};

TEST_F(StringRelease, AStringWhoseLengthTheChildWillNotTellIsStillGivenBack) {
    SimChild& child = addChild("Child", "clock 1000\nnode N\ntag N S string states=Alpha\n");
    configure();
    QUELLAN2_CONNECTION connection = open();
    for (const char* refusal : {"fail stringCopy 1 times=1", "fail stringCopy 3 times=1"}) {
        SCOPED_TRACE(refusal);
        ASSERT_EQ(0u, child.control(refusal));
        child.clearJournal();
        const QUELLAN2_TAG tags[] = {tag(1)};
        QUELLAN2_VECTOR result = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 1, &result));
        EXPECT_EQ(SimValue(std::string()), valueAt(*plugin, result, 0)) << "the text is lost";
        (*plugin)->vectorFree(result);
        std::vector<JournalEntry> frees = child.journal("stringFree");
        ASSERT_EQ(1u, frees.size()) << "the string is not";
        EXPECT_EQ(0u, frees[0].code());
    }
}

}  // namespace
}  // namespace mq::test
