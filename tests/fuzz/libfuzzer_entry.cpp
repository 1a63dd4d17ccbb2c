// libFuzzer's entry points (built by the fuzz preset only).
#include <cstddef>
#include <cstdint>

#include "one_request.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzOneRequest(data, size);
    return 0;
}
