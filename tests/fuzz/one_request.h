// One fuzzed request against the simulated default machine, with everything
// that must hold after any input checked at once: a broken promise aborts, so
// the fuzzer keeps the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>

// Silences the library's log, loads the default machine and opens the
// connection. Call once per process.
void fuzzSetUp();

// Runs `data` as one request; aborts with a line on stderr when the reply is
// malformed, a reference is left behind or the machine cannot be restored.
void fuzzOneRequest(const std::uint8_t* data, std::size_t size);
