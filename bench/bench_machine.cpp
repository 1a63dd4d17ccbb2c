#include "bench_machine.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>

#include "tolvane.h"
#include "vds_sim.h"

namespace {
std::map<std::uint32_t, std::uint64_t> gMadeSerials;
}  // namespace

GUID nextMadeId(std::uint32_t prefix) {
    const std::uint64_t serial = ++gMadeSerials[prefix];
    GUID id{prefix, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0}};
    for (int i = 0; i < 6; ++i) id.Data4[7 - i] = static_cast<unsigned char>(serial >> (8 * i));
    return id;
}

std::string benchStateFile(const char* name) {
    const std::string path = "/tmp/tolvane-bench-" + std::to_string(getpid()) + "-" + name + ".db";
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
    return path;
}

const GeneratedMachine* useMachine(const MachineShape& shape, bool keptInStateFile) {
    static std::optional<MachineShape> loadedShape;
    static bool loadedKept = false;
    static GeneratedMachine machine;
    static bool loaded = false;
    if (!loadedShape || !(*loadedShape == shape) || loadedKept != keptInStateFile) {
        if (keptInStateFile)
            setenv("TOLVANE_SIM_STATE", benchStateFile("machine").c_str(), 1);
        else
            unsetenv("TOLVANE_SIM_STATE");
        loadedKept = keptInStateFile;
        machine = tolvane::sim::generateMachine(shape);
        loaded = VdsSimLoadTopologyJson(machine.json.c_str()) == 0;
        loadedShape = shape;
        gMadeSerials.clear();
        machine.json.clear();  // large, and no longer needed
        VdsSimSetStartingPhase(0);
        VdsSimClearFaults();
        // The journal notes every call; benchmarks time the service, not the notes.
        VdsSimJournalEnable(0);
        VdsSimJournalClear();
    }
    return loaded ? &machine : nullptr;
}

BenchRequest::BenchRequest(std::int16_t code, std::size_t size) : bytes_(size, 0) { put16(2, code); }

BenchRequest& BenchRequest::put(std::size_t offset, const GUID& id) {
    std::memcpy(bytes_.data() + offset, &id, sizeof id);
    return *this;
}

BenchRequest& BenchRequest::put16(std::size_t offset, std::int16_t value) {
    std::memcpy(bytes_.data() + offset, &value, sizeof value);
    return *this;
}

BenchRequest& BenchRequest::put32(std::size_t offset, std::int32_t value) {
    std::memcpy(bytes_.data() + offset, &value, sizeof value);
    return *this;
}

BenchRequest& BenchRequest::put64(std::size_t offset, std::uint64_t value) {
    put32(offset, static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    return put32(offset + 4, static_cast<std::int32_t>(static_cast<std::uint32_t>(value >> 32)));
}

BenchRequest& BenchRequest::text(std::size_t offset, const char* text) {
    std::memcpy(bytes_.data() + offset, text, std::strlen(text) + 1);
    return *this;
}

ReplyCheck runOnce(std::vector<unsigned char>& request) {
    ReplyCheck check;
    unsigned char* reply = vdsCmdHandler(request.data(), static_cast<int>(request.size()), &check.size);
    if (reply == nullptr || check.size < 12) {
        check.problem = "no reply";
    } else {
        std::memcpy(&check.status, reply + 4, sizeof check.status);
        if (check.status != 0) check.problem = "reply status " + std::to_string(check.status);
    }
    vdsFreeOutput(reply);
    return check;
}

bool openLibrary() {
    const int opened = vdsInitialize();
    if (opened == 0 || opened == 1) return true;
    vdsUninitialize();
    return false;
}

void closeLibrary() { vdsUninitialize(); }
