// Replays machine descriptions through the topology fuzzer's checks without
// the fuzzer: every file named (or found in a folder named) on the command
// line, so that kept findings stay fixed in every build.
#include <cstdio>

#include "one_topology.h"
#include "replay_files.h"

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) replayed += replayPath(argv[i], fuzzOneTopology);
    std::fprintf(stderr, "replayed %d machine descriptions, all clean\n", replayed);
    return replayed > 0 ? 0 : 1;
}
