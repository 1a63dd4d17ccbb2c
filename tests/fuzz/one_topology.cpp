#include "one_topology.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/model_digest.h"
#include "model/model_rules.h"
#include "model/topology_loader.h"
#include "model/topology_writer.h"

namespace {

constexpr std::string_view kSource = "(fuzzed)";

[[noreturn]] void fault(const std::string& what) {
    std::fprintf(stderr, "tolvane topology fuzz: %s\n", what.c_str());
    std::abort();
}

// "topology (fuzzed): <place>: <problem>", the place a JSON path or a line
// and column, the problem not empty.
bool namesPlaceAndProblem(const std::string& error) {
    const std::string prefix = "topology " + std::string(kSource) + ": ";
    if (error.rfind(prefix, 0) != 0) return false;
    const std::string_view rest = std::string_view(error).substr(prefix.size());
    if (!rest.starts_with("/") && !rest.starts_with("line ")) return false;
    // A line and column holds ", " before its own ": "; a path holds no ": ".
    const std::size_t problem = rest.find(": ");
    return problem != std::string_view::npos && problem + 2 < rest.size();
}

}  // namespace

void fuzzOneTopology(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto machine = tolvane::sim::loadTopologyText(text, std::string(kSource), error);
    if (!machine) {
        if (!namesPlaceAndProblem(error)) fault("refused without naming the place and the problem: " + error);
        return;
    }
    if (const auto broken = tolvane::sim::checkModelRules(*machine))
        fault("loaded a machine that breaks a rule: " + *broken);

    const std::string saved = tolvane::sim::writeTopologyText(*machine);
    const auto back = tolvane::sim::loadTopologyText(saved, "(saved)", error);
    if (!back) fault("the saved machine is refused: " + error + "\n" + saved);
    if (tolvane::sim::modelDigest(*back) != tolvane::sim::modelDigest(*machine))
        fault("the saved machine reads back as another:\n" + saved);
    if (tolvane::sim::writeTopologyText(*back) != saved) fault("saved again, the machine is another text:\n" + saved);
}
