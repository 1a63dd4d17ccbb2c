// Writes a generated machine's description to standard output, for
// TOLVANE_SIM_TOPOLOGY: e.g. `tolvane_generate_machine drives=1000 luns=64`.
// Every field of MachineShape is a name=count argument; "accented" turns on
// names outside ASCII.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "generate/machine_generator.h"

namespace {

struct Field {
    const char* name;
    int tolvane::sim::MachineShape::*count;
};

constexpr Field kFields[] = {
    {"drives", &tolvane::sim::MachineShape::drives},
    {"luns", &tolvane::sim::MachineShape::luns},
    {"plexesPerLun", &tolvane::sim::MachineShape::plexesPerLun},
    {"extentsPerLunPlex", &tolvane::sim::MachineShape::extentsPerLunPlex},
    {"packs", &tolvane::sim::MachineShape::packs},
    {"disksPerPack", &tolvane::sim::MachineShape::disksPerPack},
    {"partitionsPerDisk", &tolvane::sim::MachineShape::partitionsPerDisk},
    {"volumesPerPack", &tolvane::sim::MachineShape::volumesPerPack},
    {"plexesPerVolume", &tolvane::sim::MachineShape::plexesPerVolume},
    {"extentsPerVolumePlex", &tolvane::sim::MachineShape::extentsPerVolumePlex},
};

}  // namespace

int main(int argc, char** argv) {
    tolvane::sim::MachineShape shape;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "accented") {
            shape.accentedNames = true;
            continue;
        }
        const auto eq = arg.find('=');
        bool known = false;
        for (const Field& f : kFields)
            if (eq != std::string::npos && arg.compare(0, eq, f.name) == 0 && std::strlen(f.name) == eq) {
                shape.*f.count = std::atoi(arg.c_str() + eq + 1);
                known = true;
            }
        if (!known) {
            std::fprintf(stderr, "unknown argument %s (expected name=count or accented)\n", arg.c_str());
            return 2;
        }
    }
    try {
        const std::string json = tolvane::sim::generateMachine(shape).json;
        std::fwrite(json.data(), 1, json.size(), stdout);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    return 0;
}
