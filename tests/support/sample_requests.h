// One request per implemented command that succeeds on the default machine,
// for the checks that run over the whole command table (the fault sweep).
// A command that gains a handler gains a request here; the table-wide tests
// fail until it does.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

std::optional<std::vector<unsigned char>> sampleRequest(int code);

// A command as the tests name it: "command 0x0093".
std::string commandText(int code);

// What a sample needs on the default machine before it can succeed (a disk
// gone missing, a behaviour switched on); the returned function undoes what
// outlives the machine. Most samples need nothing.
std::function<void()> prepareSample(int code);
