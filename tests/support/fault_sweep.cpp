#include "fault_sweep.h"

#include <gtest/gtest.h>

#include <map>

#include "protocol/command_table.h"
#include "service_fixture.h"
#include "vds_sim.h"

namespace {

// A result code that no real call returns, so that it is recognisable in addStatus.
constexpr HRESULT kInjected = static_cast<HRESULT>(0x8004FA11u);

std::string methodOf(const std::string& line) { return line.substr(0, line.find('(')); }

bool isFailureStatus(const CommandRow& row, int status) {
    for (int s : row.failureStatuses) {
        if (s == 0) break;
        if (s == status) return true;
    }
    return false;
}

}  // namespace

int runFaultSweep(const std::vector<unsigned char>& request) {
    const int code = static_cast<std::int16_t>(request[2] | (request[3] << 8));
    const CommandRow* row = vdsFindCommand(static_cast<std::int16_t>(code));
    EXPECT_NE(row, nullptr);
    if (row == nullptr) return 0;

    VdsSimClearFaults();
    VdsSimJournalEnable(1);
    VdsSimJournalClear();
    const Reply clean = runCommand(request);
    EXPECT_FALSE(clean.null) << row->handlerName;
    const std::vector<std::string> calls = journal();
    EXPECT_FALSE(calls.empty()) << row->handlerName;

    std::map<std::string, int> seen;
    for (const std::string& call : calls) {
        const std::string method = methodOf(call);
        const int occurrence = ++seen[method];
        SCOPED_TRACE(std::string(row->handlerName) + " with " + call + " failing (occurrence " +
                     std::to_string(occurrence) + ")");
        VdsSimClearFaults();
        VdsSimInjectFault(method.c_str(), occurrence, kInjected);
        const Reply reply = runCommand(request);
        VdsSimClearFaults();

        EXPECT_FALSE(reply.null);
        EXPECT_EQ(reply.outSize, static_cast<int>(reply.bytes.size()));
        EXPECT_EQ(reply.cmd(), code);
        if (reply.status() != 0) {
            EXPECT_TRUE(isFailureStatus(*row, reply.status())) << "status " << reply.status();
            EXPECT_EQ(reply.outSize, row->failureReplySize);
            for (std::size_t i = 12; i < reply.bytes.size(); ++i)
                EXPECT_EQ(reply.bytes[i], 0) << "byte " << i;
        }
        EXPECT_EQ(VdsSimLiveReferences(), 0) << "references left behind";
    }
    return static_cast<int>(calls.size());
}
