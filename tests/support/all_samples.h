// The sample request of every command that has a handler, in table order:
// what the checks that run over the whole table send (the fuzzer's seeds,
// the load test, the long runs).
#pragma once

#include <vector>

std::vector<std::vector<unsigned char>> allSampleRequests();
