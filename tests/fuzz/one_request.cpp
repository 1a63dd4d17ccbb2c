#include "one_request.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/created_packs.h"
#include "reply_check.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

unsigned long long gPristine = 0;

[[noreturn]] void fault(const std::string& what) {
    std::fprintf(stderr, "tolvane fuzz: %s\n", what.c_str());
    std::abort();
}

void connect() {
    if (vdsInitialize() < 0) fault("the connection does not open");
}

// Back to the default machine when the input changed it: reloading costs a
// parse of the machine description, and most inputs change nothing. The
// connection is reopened so that nothing the library holds outlives the
// machine it came from.
void restoreMachine() {
    VdsSimWaitNotificationsDelivered();
    // A created pack is held until the connection closes; given back here,
    // only leaks remain to count.
    vdsGiveBackAllCreatedPacks();
    if (VdsSimLiveReferences() != 0) fault("references left behind: " + std::to_string(VdsSimLiveReferences()));
    if (VdsSimModelDigest() == gPristine) return;
    vdsUninitialize();
    if (VdsSimServiceReferences() != 0) fault("service references left after closing");
    VdsSimLoadDefault();
    connect();
}

}  // namespace

void fuzzSetUp() {
    // Every command logs a line or more; the fuzzer would spend its time there.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) fault("stdout cannot be silenced");
    VdsSimJournalEnable(0);
    VdsSimClearFaults();
    VdsSimSetStartingPhase(0);
    VdsSimLoadDefault();
    connect();
    gPristine = VdsSimModelDigest();
}

void fuzzOneRequest(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy: any read past the request is a read past its buffer.
    std::vector<unsigned char> request(data, data + size);
    int outSize = kOutSizeUntouched;
    unsigned char* out = vdsCmdHandler(request.data(), static_cast<int>(request.size()), &outSize);
    if (auto broken = replyFault(request.data(), request.size(), out, outSize)) fault(*broken);
    vdsFreeOutput(out);
    restoreMachine();
}
