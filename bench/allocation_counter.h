// Every allocation in the benchmark process is counted (operator new is
// replaced in this binary), so a benchmark can state the bytes and blocks a
// command allocates, and set them beside the direct client's.
#pragma once

#include <cstddef>

struct AllocationCount {
    std::size_t blocks = 0;
    std::size_t bytes = 0;
};

AllocationCount allocationsSoFar();
