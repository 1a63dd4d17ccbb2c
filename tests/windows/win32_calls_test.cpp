// The library's Win32 calls answered by Wine's own implementations rather
// than by the stand-ins of the Linux build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/text_convert.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "tolvane.h"

namespace {

class RealWin32 : public ServiceTest {};

TEST_F(RealWin32, TheServiceIsInitialisedWithTheComputerName) {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &length));
    int result = -1;
    capturedStdout([&] { result = vdsInitialize(); });
    ASSERT_EQ(result, 0);
    const std::string expected = std::string("IVdsServiceInitialization::Initialize(\"") + name + "\")";
    bool seen = false;
    for (const std::string& line : journal()) seen = seen || line == expected;
    EXPECT_TRUE(seen) << expected;
}

// Texts travel in the system's ANSI code page, one byte a character for the
// Latin ones, not in UTF-8 as off Windows.
TEST_F(RealWin32, TextConversionUsesTheAnsiCodePage) {
    const WCHAR wide[] = {L'C', L'a', L'f', 0x00E9, 0};
    char expected[16] = {};
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide, -1, expected, sizeof expected, nullptr, nullptr), 0);
    char narrow[16] = {};
    ASSERT_NE(vdsWideToNarrow(wide, narrow, sizeof narrow), nullptr);
    EXPECT_STREQ(narrow, expected);
    if (GetACP() != CP_UTF8) {
        EXPECT_EQ(std::string(narrow).size(), 4u);
    }

    WCHAR back[16] = {};
    ASSERT_NE(vdsNarrowToWide(narrow, back, 16), nullptr);
    EXPECT_EQ(std::wstring(back), std::wstring(wide));
}

std::vector<unsigned char> freeSpaceRequest(const std::string& path) {
    return RequestBytes(0x1001).int32(4, static_cast<std::int32_t>(path.size())).bytes(8, path).data();
}

// Wine's drive C is the prefix's own folder on the build machine's disk.
TEST_F(RealWin32, FreeSpaceOfARealDrive) {
    const Reply reply = runCommand(freeSpaceRequest("C:\\"));
    ASSERT_EQ(reply.bytes.size(), 36u);
    EXPECT_EQ(reply.status(), 0);
    EXPECT_GT(reply.uint64(20), 0u);
    EXPECT_LE(reply.uint64(28), reply.uint64(20));
}

TEST_F(RealWin32, FreeSpaceOfAMissingDriveIsASystemError) {
    const Reply reply = runCommand(freeSpaceRequest("Q:\\"));
    ASSERT_EQ(reply.bytes.size(), 12u);
    EXPECT_EQ(reply.status(), -101);
    EXPECT_NE(reply.addStatus(), 0);
}

// A device that does not open answers a length of 0, through the real
// CreateFileA.
TEST_F(RealWin32, FreeSpaceOfADeviceThatDoesNotOpen) {
    const Reply reply = runCommand(freeSpaceRequest("\\\\.\\NoSuchDevice"));
    ASSERT_EQ(reply.bytes.size(), 36u);
    EXPECT_EQ(reply.status(), 0);
    EXPECT_EQ(reply.uint64(20), 0u);
}

}  // namespace
