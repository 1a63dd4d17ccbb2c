// A test connected to the simulated service's default machine, which checks
// on the way out that the library gave back every reference it took.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com_types.h"
#include "simulated_machine.h"

// A request under construction: header with the command code, then fields at offsets.
class RequestBytes {
public:
    explicit RequestBytes(int code, std::size_t size = 4);
    RequestBytes& guid(std::size_t offset, const GUID& id);
    RequestBytes& int16(std::size_t offset, int value);
    RequestBytes& int32(std::size_t offset, std::int32_t value);
    RequestBytes& bytes(std::size_t offset, const std::string& text);
    std::vector<unsigned char>& data() { return bytes_; }

private:
    void fit(std::size_t end);
    std::vector<unsigned char> bytes_;
};

// What a command answered and printed.
struct Reply {
    bool null = true;
    int outSize = 0;
    std::vector<unsigned char> bytes;
    std::string printed;

    std::int16_t int16(std::size_t offset) const;
    std::int32_t int32(std::size_t offset) const;
    std::uint64_t uint64(std::size_t offset) const;
    GUID guid(std::size_t offset) const;
    std::int32_t status() const { return int32(4); }
    std::int32_t addStatus() const { return int32(8); }
    int cmd() const { return static_cast<std::uint16_t>(int16(2)); }
};

Reply runCommand(std::vector<unsigned char> request, int size = -1);

// The identifier whose text form is given.
GUID guidOf(const char* text);

// A test on the simulated machine through the library's own connection.
class ServiceTest : public SimulatedMachineTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Opens the library's connection; the default machine is ready at once.
    void connect();
};
