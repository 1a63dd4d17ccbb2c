#include "service_fixture.h"

#include <cstring>

#include "protocol/guid_text.h"
#include "stdout_capture.h"
#include "tolvane.h"
#include "vds_sim.h"

RequestBytes::RequestBytes(int code, std::size_t size) : bytes_(size < 4 ? 4 : size, 0) {
    bytes_[2] = static_cast<unsigned char>(code & 0xFF);
    bytes_[3] = static_cast<unsigned char>((code >> 8) & 0xFF);
}

void RequestBytes::fit(std::size_t end) {
    if (bytes_.size() < end) bytes_.resize(end, 0);
}

RequestBytes& RequestBytes::guid(std::size_t offset, const GUID& id) {
    fit(offset + 16);
    std::memcpy(bytes_.data() + offset, &id, 16);
    return *this;
}

RequestBytes& RequestBytes::int16(std::size_t offset, int value) {
    fit(offset + 2);
    bytes_[offset] = static_cast<unsigned char>(value & 0xFF);
    bytes_[offset + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
    return *this;
}

RequestBytes& RequestBytes::int32(std::size_t offset, std::int32_t value) {
    fit(offset + 4);
    for (int i = 0; i < 4; ++i)
        bytes_[offset + static_cast<std::size_t>(i)] =
            static_cast<unsigned char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    return *this;
}

RequestBytes& RequestBytes::bytes(std::size_t offset, const std::string& text) {
    fit(offset + text.size());
    std::memcpy(bytes_.data() + offset, text.data(), text.size());
    return *this;
}

std::int16_t Reply::int16(std::size_t offset) const {
    std::int16_t v = 0;
    if (offset + 2 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 2);
    return v;
}

std::int32_t Reply::int32(std::size_t offset) const {
    std::int32_t v = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

std::uint64_t Reply::uint64(std::size_t offset) const {
    std::uint64_t v = 0;
    if (offset + 8 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 8);
    return v;
}

GUID Reply::guid(std::size_t offset) const {
    GUID id{};
    if (offset + 16 <= bytes.size()) std::memcpy(&id, bytes.data() + offset, 16);
    return id;
}

Reply runCommand(std::vector<unsigned char> request, int size) {
    Reply reply;
    reply.outSize = -12345;
    const int n = size < 0 ? static_cast<int>(request.size()) : size;
    // Copy into a buffer of exactly the declared size so that the address
    // sanitizer catches any read past it.
    std::vector<unsigned char> exact(request.begin(),
                                     request.begin() + std::min<std::size_t>(request.size(), static_cast<std::size_t>(n)));
    unsigned char* out = nullptr;
    // The sink prints as it delivers: let the batches of earlier changes land
    // before this command's own lines are captured.
    VdsSimWaitNotificationsDelivered();
    reply.printed = capturedStdout([&] { out = vdsCmdHandler(exact.data(), n, &reply.outSize); });
    reply.null = out == nullptr;
    if (out != nullptr) reply.bytes.assign(out, out + reply.outSize);
    vdsFreeOutput(out);
    return reply;
}

GUID guidOf(const char* text) { return vdsGuidFromText(text).value_or(GUID{}); }

void ServiceTest::SetUp() { SimulatedMachineTest::SetUp(); }

void ServiceTest::TearDown() {
    capturedStdout([] { vdsUninitialize(); });
    SimulatedMachineTest::TearDown();
}

void ServiceTest::connect() {
    int result = -1;
    capturedStdout([&] { result = vdsInitialize(); });
    ASSERT_EQ(result, 0);
    VdsSimJournalClear();
}
