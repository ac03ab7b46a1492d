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

// The checked read: the folders from the volume root down and the file, on the handles it reads through.
TEST_F(OwnershipOnWindows, ReadsAFileOfThisAdministratorThroughTheCheckedHandles) {
    const platform::AdministeredFile read = platform::readAdministeredFile(file);

    EXPECT_EQ(read.state, platform::AdministeredFile::State::READ);
    EXPECT_EQ(read.text, "<settings />");
    EXPECT_EQ(read.openToOthers, "");
}

TEST_F(OwnershipOnWindows, TheCheckedReadNamesTheFolderEveryoneMayChange) {
    test::OpenToEveryone open(scratch.path());
    ASSERT_TRUE(open.opened());

    const platform::AdministeredFile read = platform::readAdministeredFile(file);

    EXPECT_EQ(read.state, platform::AdministeredFile::State::READ);
    EXPECT_EQ(read.openToOthers, scratch.path());
}

TEST_F(OwnershipOnWindows, TheCheckedReadTellsMissingFromRefused) {
    EXPECT_EQ(platform::readAdministeredFile(scratch.file("missing")).state, platform::AdministeredFile::State::MISSING);
    const platform::AdministeredFile relative = platform::readAdministeredFile("Quellan\\MultiQuellanConfiguration.xml");
    EXPECT_NE(relative.state, platform::AdministeredFile::State::READ);
    EXPECT_FALSE(relative.openToOthers.empty());
}

}  // namespace
}  // namespace mq
