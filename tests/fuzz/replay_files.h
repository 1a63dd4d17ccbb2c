// The kept inputs of a fuzz target, read back without the fuzzer: a file, or
// every file (not hidden) under a folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

template <typename Check>
int replayFile(const std::filesystem::path& path, Check&& check) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    check(bytes.data(), bytes.size());
    return 1;
}

// How many inputs were replayed.
template <typename Check>
int replayPath(const std::filesystem::path& path, Check&& check) {
    if (!std::filesystem::is_directory(path)) return replayFile(path, check);
    int n = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
            n += replayFile(entry.path(), check);
    return n;
}
