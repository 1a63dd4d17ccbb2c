// Replays inputs through the fuzzer's checks without the fuzzer: every file
// named (or found in a folder named) on the command line, and with --samples
// the sample request of every implemented command. Kept findings thus stay
// fixed in every build, sanitizers or not.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "all_samples.h"
#include "one_request.h"

namespace {

int replayFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    fuzzOneRequest(bytes.data(), bytes.size());
    return 1;
}

int replayPath(const std::filesystem::path& path) {
    if (!std::filesystem::is_directory(path)) return replayFile(path);
    int n = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') n += replayFile(entry.path());
    return n;
}

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
        replayed += arg == "--samples" ? replaySamples() : replayPath(arg);
    }
    std::fprintf(stderr, "replayed %d inputs, all clean\n", replayed);
    return 0;
}
