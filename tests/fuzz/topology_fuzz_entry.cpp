// libFuzzer's entry point for the topology loader (built by the fuzz preset only).
#include <cstddef>
#include <cstdint>

#include "one_topology.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzOneTopology(data, size);
    return 0;
}
