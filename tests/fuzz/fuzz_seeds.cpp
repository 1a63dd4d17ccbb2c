// Writes what the fuzzer starts from, from what the build holds today: one
// seed per implemented command (its sample request) and a dictionary of every
// command code in the table and every identifier of a machine description.
//
//   fuzz_seeds <seed folder> <dictionary file> <machine description.json>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "all_samples.h"
#include "commands/command_table.h"
#include "protocol/guid_text.h"

namespace {

// libFuzzer's dictionary syntax: a quoted string of \xNN escapes.
std::string entry(const unsigned char* bytes, std::size_t n) {
    std::string line = "\"";
    char hex[5];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(hex, sizeof hex, "\\x%02X", bytes[i]);
        line += hex;
    }
    return line + "\"";
}

int writeSeeds(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const auto requests = allSampleRequests();
    for (const auto& request : requests) {
        char name[32];
        std::snprintf(name, sizeof name, "sample-%02X%02X", request[3], request[2]);
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(request.data()), static_cast<std::streamsize>(request.size()));
    }
    return static_cast<int>(requests.size());
}

std::set<std::string> identifiersIn(const std::filesystem::path& description) {
    std::ifstream in(description);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    static const std::regex kGuid("[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}");
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kGuid); it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

int writeDictionary(const std::filesystem::path& file, const std::filesystem::path& description) {
    std::ofstream out(file);
    int n = 0;
    for (const CommandRow& row : vdsCommandTable()) {
        const unsigned char code[2] = {static_cast<unsigned char>(row.code & 0xFF),
                                       static_cast<unsigned char>((row.code >> 8) & 0xFF)};
        out << entry(code, 2) << "\n";
        ++n;
    }
    for (const std::string& text : identifiersIn(description)) {
        const auto id = vdsGuidFromText(text.c_str());
        if (!id) continue;
        out << entry(reinterpret_cast<const unsigned char*>(&*id), sizeof *id) << "\n";
        ++n;
    }
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <seed folder> <dictionary file> <machine description.json>\n", argv[0]);
        return 2;
    }
    const int seeds = writeSeeds(argv[1]);
    const int words = writeDictionary(argv[2], argv[3]);
    std::printf("%d seeds, %d dictionary entries\n", seeds, words);
    return seeds > 0 && words > 0 ? 0 : 1;
}
