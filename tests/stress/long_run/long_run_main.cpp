// A long run through the C entry: the sample request of every implemented
// command in table order, over and over, with the resident memory printed
// every `interval` commands. After warm-up the curve must stay flat.
//
//   long_run [commands=10000000] [interval=100000]
//
// A round of samples may leave the machine changed (a LUN made, a disk
// moved); it is put back to the default machine, and the connection
// reopened, before the next round, so that the machine itself does not grow.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "all_samples.h"
#include "commands/created_packs.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

long residentKib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    const long total = argc > 1 ? std::atol(argv[1]) : 10'000'000;
    const long interval = argc > 2 ? std::atol(argv[2]) : 100'000;
    const auto requests = allSampleRequests();
    // The curve goes to stderr; the library's own log lines to stdout, which
    // the script throws away.
    VdsSimJournalEnable(0);
    VdsSimSetStartingPhase(0);
    VdsSimLoadDefault();
    if (vdsInitialize() < 0) return 1;
    const unsigned long long pristine = VdsSimModelDigest();
    std::fprintf(stderr, "commands resident_kib\n0 %ld\n", residentKib());

    long sent = 0;
    while (sent < total) {
        for (auto request : requests) {
            int outSize = 0;
            vdsFreeOutput(vdsCmdHandler(request.data(), static_cast<int>(request.size()), &outSize));
            if (++sent % interval == 0) std::fprintf(stderr, "%ld %ld\n", sent, residentKib());
            if (sent == total) break;
        }
        VdsSimWaitNotificationsDelivered();
        if (VdsSimModelDigest() != pristine) {
            vdsUninitialize();
            VdsSimLoadDefault();
            if (vdsInitialize() < 0) return 1;
        }
    }
    vdsGiveBackAllCreatedPacks();
    vdsUninitialize();
    const long left = VdsSimLiveReferences();
    std::fprintf(stderr, "references left: %ld\n", left);
    return left == 0 ? 0 : 1;
}
