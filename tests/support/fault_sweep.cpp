#include "fault_sweep.h"

#include <gtest/gtest.h>

#include <map>

#include "commands/command_table.h"
#include "commands/created_packs.h"
#include "sample_requests.h"
#include "service_fixture.h"
#include "vds_sim.h"

namespace {

// A result code that no real call returns, so that it is recognisable in addStatus.
constexpr HRESULT kInjected = static_cast<HRESULT>(0x8004FA11u);

std::string methodOf(const std::string& line) { return line.substr(0, line.find('(')); }

}  // namespace

int runFaultSweep(const std::vector<unsigned char>& request, bool mustSucceed) {
    const int code = static_cast<std::int16_t>(request[2] | (request[3] << 8));
    const CommandRow* row = vdsFindCommand(static_cast<std::int16_t>(code));
    EXPECT_NE(row, nullptr);
    if (row == nullptr) return 0;
    const int replyCode = row->replyCode;
    const std::string command = commandText(row->code);

    VdsSimClearFaults();
    VdsSimJournalEnable(1);
    VdsSimJournalClear();
    const Reply clean = runCommand(request);
    // What the hardware does by itself after the call (a rebuild) ends first.
    VdsSimWaitIdle();
    // A new pack's reference is kept by design until the connection closes;
    // given back at once, only leaks are left to count.
    vdsGiveBackAllCreatedPacks();
    EXPECT_FALSE(clean.null) << command;
    if (mustSucceed) {
        EXPECT_EQ(clean.status(), 0) << command << " fails even without a fault";
    } else if (clean.status() != 0) {
        EXPECT_TRUE(row->mayAnswer(clean.status())) << command << " answers status " << clean.status();
    }
    const std::vector<std::string> calls = journal();

    std::map<std::string, int> seen;
    std::string started;  // the last call that may have started an operation
    for (const std::string& call : calls) {
        const std::string method = methodOf(call);
        const int occurrence = ++seen[method];
        SCOPED_TRACE(command + " with " + call + " failing (occurrence " +
                     std::to_string(occurrence) + ")");
        VdsSimClearFaults();
        const unsigned long long before = VdsSimModelDigest();
        // A Wait that fails on its own leaves the operation running in the
        // service, which may still change the machine; what the sweep fails
        // instead is the operation itself, as it ends.
        if (method == "IVdsAsync::Wait" && !started.empty())
            VdsSimInjectWaitFault(started.c_str(), kInjected);
        else
            VdsSimInjectFault(method.c_str(), occurrence, kInjected);
        if (method.rfind("IVdsAsync::", 0) != 0) started = method;
        const Reply reply = runCommand(request);
        VdsSimWaitIdle();
        VdsSimClearFaults();
        vdsGiveBackAllCreatedPacks();
        EXPECT_EQ(VdsSimModelDigest(), before) << "a failed command changed the machine";

        EXPECT_FALSE(reply.null);
        EXPECT_EQ(reply.outSize, static_cast<int>(reply.bytes.size()));
        EXPECT_EQ(reply.cmd(), replyCode);
        if (reply.status() != 0) {
            EXPECT_TRUE(row->mayAnswer(reply.status())) << "status " << reply.status();
            EXPECT_EQ(reply.outSize, row->failureReplySize);
            for (std::size_t i = 12; i < reply.bytes.size(); ++i)
                EXPECT_EQ(reply.bytes[i], 0) << "byte " << i;
        }
        EXPECT_EQ(VdsSimLiveReferences(), 0) << "references left behind";
    }
    return static_cast<int>(calls.size());
}

int runFaultSweepOverTable(const SweepMachineInfo& machine) {
    SCOPED_TRACE(std::string("on the ") + machine.name + " machine");
    int swept = 0;
    for (const CommandRow& row : vdsCommandTable()) {
        const auto request = sampleRequest(row.code);
        EXPECT_TRUE(request.has_value()) << commandText(row.code) << " has no sample request";
        if (!request) continue;
        const auto undo = prepareSample(row.code);
        runFaultSweep(*request, machine.samplesSucceed);
        undo();
        ++swept;
    }
    return swept;
}
