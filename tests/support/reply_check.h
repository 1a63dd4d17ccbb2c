// What every reply must look like whatever its request held, for the checks
// that send requests they did not write one by one (the fuzzer, the load
// test): the null reply only where the dispatcher promises it, the command
// echoed, and a failure only with a status its row lists, at the row's
// length and without data.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Give vdsCmdHandler this as *outSize to see whether it wrote one.
inline constexpr int kOutSizeUntouched = -7;

// The first broken promise of `out` (outSize as vdsCmdHandler left it,
// starting from kOutSizeUntouched), or nothing when the reply is sound.
std::optional<std::string> replyFault(const unsigned char* request, std::size_t size, const unsigned char* out,
                                      int outSize);
