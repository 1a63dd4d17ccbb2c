// UTF-8 <-> UTF-16 transcoding shared by the text stand-ins.
//
// Both directions replace what is not valid with U+FFFD, the way Windows
// converts with flags 0: an unpaired surrogate becomes one U+FFFD, and in
// UTF-8 each maximal ill-formed subsequence (a truncated sequence, a stray
// continuation byte, an overlong form, an encoded surrogate, a value above
// U+10FFFF) becomes one U+FFFD.
#pragma once

#include <cstddef>

namespace tolvane::compat {

struct TranscodeResult {
    std::size_t units = 0;  // code units produced (or that would be)
    bool sawInvalid = false;
};

// With a null `out` nothing is written and only the size is computed; else
// `out` must hold the computed size.
TranscodeResult utf16ToUtf8(const char16_t* in, std::size_t count, char* out);
TranscodeResult utf8ToUtf16(const char* in, std::size_t count, char16_t* out);

}  // namespace tolvane::compat
