// Reading a library's machine type from its PE header, and its format and exports from its file: well-formed files,
// and every short or malformed one refused without a read past its end.
#include "hosting/ChildFunctionTable.h"
#include "platform/LibraryExports.h"
#include "platform/LibraryMachine.h"
#include "support/PeImage.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace mq::test {
namespace {

constexpr std::uint16_t ARM64 = 0xAA64;

// The machine type of exactly these bytes, in a buffer of their size, so that
// a sanitizer sees any read past them.
std::optional<std::uint16_t> machineOf(const std::string& bytes) {
    const std::vector<unsigned char> exact(bytes.begin(), bytes.end());
    return platform::peMachine(exact.data(), exact.size());
}

std::string withOffset(std::string bytes, std::uint32_t offset) {
    for (int k = 0; k < 4; ++k) bytes[0x3C + k] = static_cast<char>((offset >> (8 * k)) & 0xFF);
    return bytes;
}

TEST(PeMachine, IsTheFileHeadersMachineField) {
    EXPECT_EQ(ARM64, machineOf(peHeaderBytes(ARM64)));
    EXPECT_EQ(platform::PE_MACHINE_X86, machineOf(peHeaderBytes(platform::PE_MACHINE_X86)));
    // The signature may end the buffer, with nothing after the machine field.
    EXPECT_EQ(ARM64, machineOf(peHeaderBytes(ARM64).substr(0, 70)));
}

TEST(PeMachine, EveryTruncationOfAHeaderIsNone) {
    const std::string whole = peHeaderBytes(ARM64);
    for (std::size_t size = 0; size < 70; ++size) EXPECT_EQ(std::nullopt, machineOf(whole.substr(0, size))) << size;
    EXPECT_EQ(std::nullopt, platform::peMachine(nullptr, 100));
}

struct Malformed {
    const char* name;
    std::string bytes;
};

TEST(PeMachine, MalformedHeadersAreNone) {
    const std::string good = peHeaderBytes(ARM64);
    std::string noMz = good;
    noMz[1] = 'Y';
    std::string noSignature = good;
    noSignature[66] = 'x';
    const Malformed cases[] = {
        {"no MZ", noMz},
        {"no PE signature", noSignature},
        {"offset past the end", withOffset(good, static_cast<std::uint32_t>(good.size()))},
        {"signature cut by the end", withOffset(good, static_cast<std::uint32_t>(good.size() - 5))},
        {"offset that wraps", withOffset(good, 0xFFFFFFFFu)},
        {"offset into the DOS header", withOffset(good, 2)},
        {"text", std::string(200, 'A')},
    };
    for (const Malformed& each : cases) EXPECT_EQ(std::nullopt, machineOf(each.bytes)) << each.name;
}

TEST(PeMachine, GarbageAfterMzIsReadWithinItsBounds) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(64 + random() % 200, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        bytes[0] = 'M';
        bytes[1] = 'Z';
        // Offsets near the end, and anywhere.
        if (round % 2) bytes = withOffset(bytes, static_cast<std::uint32_t>(bytes.size() - random() % 8));
        const std::optional<std::uint16_t> machine = machineOf(bytes);
        if (machine) {
            std::uint32_t offset = 0;
            for (int k = 3; k >= 0; --k) offset = offset << 8 | static_cast<unsigned char>(bytes[0x3C + k]);
            ASSERT_LE(offset + 6, bytes.size());
            EXPECT_EQ(0, bytes.compare(offset, 4, std::string("PE\0\0", 4)));
        }
    }
}

TEST(PeMachine, IsNamedInTheReasonsWords) {
    EXPECT_EQ("an ARM64 library", platform::describePeMachine(ARM64));
    EXPECT_EQ("a library for machine type 0x1234", platform::describePeMachine(0x1234));
}

// The file is read only where libraries carry a PE header: Windows.
TEST(LibraryMachine, IsReadFromTheFileWhereLibrariesArePe) {
    ScratchFolder scratch("library-machine");
    const std::string arm = scratch.file("Arm.dll");
    const std::string text = scratch.file("Text.dll");
    std::ofstream(arm, std::ios::binary) << peHeaderBytes(ARM64);
    std::ofstream(text, std::ios::binary) << "not a library\n";
    const bool readsPe = platform::processMachine().has_value();
    EXPECT_EQ(readsPe ? std::optional<std::uint16_t>(ARM64) : std::nullopt, platform::libraryMachine(arm));
    EXPECT_EQ(std::nullopt, platform::libraryMachine(text));
    EXPECT_EQ(std::nullopt, platform::libraryMachine(scratch.file("Missing.dll")));
}

std::string simQuellanFile(const char* variant) {
    return (std::filesystem::path(binaryFolder()) / (std::string(variant) + MQ_LIBRARY_SUFFIX)).string();
}

std::vector<std::string> requiredMissingFrom(const std::vector<std::string>& exports) {
    std::vector<std::string> missing;
    for (const ChildFunction& function : CHILD_FUNCTIONS)
        if (function.required && std::find(exports.begin(), exports.end(), function.name) == exports.end())
            missing.push_back(function.name);
    return missing;
}

TEST(LibraryExports, AreTheFunctionsTheLoaderWouldFind) {
    std::string why;
    const std::optional<platform::LibraryFile> full = platform::readLibraryFile(simQuellanFile("SimQuellan"), why);
    ASSERT_TRUE(full && full->exports) << why;
    EXPECT_EQ("", platform::foreignLibrary(*full));
    EXPECT_TRUE(full->wide);
    EXPECT_EQ(std::vector<std::string>{}, requiredMissingFrom(*full->exports));
    const auto shortOfTwo = platform::readLibraryFile(simQuellanFile("SimQuellanMissingTwo"), why);
    ASSERT_TRUE(shortOfTwo && shortOfTwo->exports) << why;
    EXPECT_EQ((std::vector<std::string>{"quellan2_nodeGetName", "quellan2_stringCopy"}),
              requiredMissingFrom(*shortOfTwo->exports));
}

TEST(LibraryExports, EveryTruncationOrCorruptionOfARealLibraryIsReadWithinItsBounds) {
    const std::string whole = readFile(simQuellanFile("SimQuellan"));
    ASSERT_GT(whole.size(), 4096u);
    std::mt19937 random(20261208);
    std::string why;
    for (int round = 0; round < 400; ++round) {
        std::string bytes = whole.substr(0, round < 200 ? round * 16 : random() % whole.size());
        // Headers and tables lie near the start and the end; some rounds spoil bytes there.
        if (round % 3 == 0 && !bytes.empty())
            for (int k = 0; k < 8; ++k) bytes[random() % std::min<std::size_t>(bytes.size(), 1024)] = char(random());
        const std::vector<unsigned char> exact(bytes.begin(), bytes.end());
        const std::optional<platform::LibraryFile> library = platform::readLibraryFile(exact.data(), exact.size(), why);
        if (!library) EXPECT_FALSE(why.empty()) << round;
    }
    EXPECT_EQ(std::nullopt, platform::readLibraryFile(reinterpret_cast<const unsigned char*>("\x7F" "ELF"), 4, why));
}

}  // namespace
}  // namespace mq::test
