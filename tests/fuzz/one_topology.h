// One fuzzed machine description through the topology loader, with what
// must hold for any input checked at once: a broken promise aborts, so the
// fuzzer keeps the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>

// Either the text loads into a machine that keeps every rule, and saved and
// loaded again is the same machine and the same text; or it is refused with
// an error that names the place (a JSON path, or the line and column of
// broken JSON) and the problem. Aborts with a line on stderr otherwise.
void fuzzOneTopology(const std::uint8_t* data, std::size_t size);
