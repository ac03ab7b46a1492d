// The facts of ownership on Windows, as far as the system (or wine) keeps them.
#include "platform/FileOwnership.h"

#include "../OpenToEveryone.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

class OwnershipOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        if (!platform::isPrivilegedProcess()) GTEST_SKIP() << "what an unprivileged user creates is its own";
        test::writeFile(file, "<settings />");
    }
    test::ScratchFolder scratch{"ownership"};
    std::string file = scratch.file("MultiQuellanConfiguration.xml");
};

TEST_F(OwnershipOnWindows, WhatThisAdministratorCreatedIsAnAdministratorsAndNoOneElses) {
    for (const std::string& entry : {scratch.path(), file}) {
        platform::EntryOwnership ownership;
        ASSERT_TRUE(platform::entryOwnership(entry, ownership)) << entry;
        EXPECT_TRUE(ownership.ownedByAdministrator) << entry;
        EXPECT_FALSE(ownership.writableByOthers) << entry;
    }
}

TEST_F(OwnershipOnWindows, AFolderEveryoneMayChangeIsWritableByOthers) {
    test::OpenToEveryone open(scratch.path());
    ASSERT_TRUE(open.opened());

    platform::EntryOwnership ownership;
    ASSERT_TRUE(platform::entryOwnership(scratch.path(), ownership));
    EXPECT_TRUE(ownership.writableByOthers);
}

TEST_F(OwnershipOnWindows, AMissingEntryCannotBeLookedAt) {
    platform::EntryOwnership ownership;
    EXPECT_FALSE(platform::entryOwnership(scratch.file("missing"), ownership));
}

}  // namespace
}  // namespace mq
