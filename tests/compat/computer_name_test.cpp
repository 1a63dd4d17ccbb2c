#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>
#include <thread>

#include "platform/com_types.h"

namespace {

std::string currentName() {
    char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof buffer;
    EXPECT_TRUE(GetComputerNameA(buffer, &size));
    EXPECT_EQ(size, std::strlen(buffer));
    return buffer;
}

TEST(ComputerName, IsTheUpperCaseFirstLabelOfTheHostName) {
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string expected(host, std::strcspn(host, "."));
    expected = expected.substr(0, MAX_COMPUTERNAME_LENGTH);
    for (char& c : expected) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    const std::string name = currentName();
    EXPECT_EQ(name, expected);
    EXPECT_LE(name.size(), MAX_COMPUTERNAME_LENGTH);
    EXPECT_EQ(name.find('.'), std::string::npos);
}

TEST(ComputerName, FollowsTheBufferSizeRules) {
    const DWORD length = static_cast<DWORD>(currentName().size());
    struct SizeCase {
        const char* name;
        DWORD sizeIn;
        BOOL result;
        DWORD sizeOut;
        DWORD error;
    };
    const SizeCase cases[] = {
        {"the 16-byte buffer", MAX_COMPUTERNAME_LENGTH + 1, TRUE, length, 0},
        {"exactly the name and terminator", length + 1, TRUE, length, 0},
        {"no room for the terminator", length, FALSE, length + 1, ERROR_BUFFER_OVERFLOW},
        {"size 0", 0, FALSE, length + 1, ERROR_BUFFER_OVERFLOW},
    };
    for (const SizeCase& c : cases) {
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        DWORD size = c.sizeIn;
        SetLastError(0);
        EXPECT_EQ(GetComputerNameA(buffer, &size), c.result) << c.name;
        EXPECT_EQ(size, c.sizeOut) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
        if (c.result) {
            EXPECT_EQ(buffer[length], '\0') << c.name;
        } else {
            EXPECT_EQ(buffer[0], '#') << c.name << ": nothing written on failure";
        }
    }
    SetLastError(0);
    EXPECT_FALSE(GetComputerNameA(nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(LastError, IsKeptPerThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    std::thread([] {
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        SetLastError(ERROR_NOT_READY);
    }).join();
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

}  // namespace
