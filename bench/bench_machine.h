// The simulated machine a benchmark runs on, and the library's side of a run:
// a generated machine is loaded once per shape and kept while benchmarks of
// the same shape follow one another.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "generate/machine_generator.h"

using tolvane::sim::GeneratedMachine;
using tolvane::sim::MachineShape;

// Null when the service refused the machine. Kept in a state file, the
// machine is written to a new file of its own, which later runs share.
const GeneratedMachine* useMachine(const MachineShape& shape, bool keptInStateFile = false);
// Where a benchmark's state files are made.
std::string benchStateFile(const char* name);

// The identifier the service gives the next object it makes under `prefix`
// (<prefix>-0000-4000-8000-<serial>), counted since the machine was loaded.
// The service never hands an identifier out twice, so a change made and
// undone run after run names a new object each time; every create a
// benchmark makes asks here first.
GUID nextMadeId(std::uint32_t prefix);

// A request of `size` zero bytes with its code at 2; fields are written with put.
class BenchRequest {
public:
    explicit BenchRequest(std::int16_t code, std::size_t size = 128);
    BenchRequest& put(std::size_t offset, const GUID& id);
    BenchRequest& put16(std::size_t offset, std::int16_t value);
    BenchRequest& put32(std::size_t offset, std::int32_t value);
    BenchRequest& put64(std::size_t offset, std::uint64_t value);  // low half first
    BenchRequest& text(std::size_t offset, const char* text);
    std::vector<unsigned char> bytes() const { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
};

struct ReplyCheck {
    std::int32_t status = -1;
    int size = 0;
    std::string problem;  // empty when the reply is a success
};

// Runs one request through vdsCmdHandler and says what came back.
ReplyCheck runOnce(std::vector<unsigned char>& request);

// The library's connection, opened for a run and closed after it.
bool openLibrary();
void closeLibrary();
