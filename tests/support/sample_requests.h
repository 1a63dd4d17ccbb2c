// One request per implemented command that succeeds on the default machine,
// for the checks that run over the whole command table (the fault sweep).
// A command that gains a handler gains a request here; the table-wide tests
// fail until it does.
#pragma once

#include <optional>
#include <vector>

std::optional<std::vector<unsigned char>> sampleRequest(int code);
