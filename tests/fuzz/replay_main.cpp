// Replays inputs through the fuzzer's checks without the fuzzer: every file
// named (or found in a folder named) on the command line, and with --samples
// the sample request of every implemented command. Kept findings thus stay
// fixed in every build, sanitizers or not.
#include <cstdio>
#include <string>

#include "all_samples.h"
#include "one_request.h"
#include "replay_files.h"

namespace {

int replaySamples() {
    const auto requests = allSampleRequests();
    for (const auto& request : requests) fuzzOneRequest(request.data(), request.size());
    return static_cast<int>(requests.size());
}

}  // namespace

int main(int argc, char** argv) {
    fuzzSetUp();
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        replayed += arg == "--samples" ? replaySamples() : replayPath(arg, fuzzOneRequest);
    }
    std::fprintf(stderr, "replayed %d inputs, all clean\n", replayed);
    return 0;
}
