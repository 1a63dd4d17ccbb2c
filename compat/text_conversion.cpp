// WideCharToMultiByte / MultiByteToWideChar with Windows' rules for lengths
// and buffers. The ANSI code page is UTF-8 here, so CP_ACP and CP_UTF8
// behave the same; other code pages are not available.
//
// Invalid input with flags 0 becomes U+FFFD, as Windows does for UTF-8 since
// Vista (see utf_transcode.h); MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS
// turn it into a failure with ERROR_NO_UNICODE_TRANSLATION instead.
//
// Unlike Windows, a destination that is too small is left untouched rather
// than filled with a cut, unterminated prefix: a caller that pre-terminates
// its buffer then still holds a valid (empty) text after the failure.

#include <climits>
#include <cstring>
#include <string_view>

#include "platform/com_types.h"
#include "utf_transcode.h"
#include "win32_error.h"

namespace {

using tolvane::compat::failWith;
using tolvane::compat::TranscodeResult;

bool isUtf8CodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_UTF8; }

// Checks shared by both directions; returns the error, or ERROR_SUCCESS.
DWORD checkArguments(UINT codePage, DWORD flags, DWORD strictFlag, const void* source,
                     int sourceCount, const void* destination, int destinationCount) {
    if (!isUtf8CodePage(codePage)) return ERROR_INVALID_PARAMETER;
    if (source == nullptr || sourceCount == 0 || sourceCount < -1) return ERROR_INVALID_PARAMETER;
    if (destinationCount < 0 || (destinationCount > 0 && destination == nullptr))
        return ERROR_INVALID_PARAMETER;
    // For UTF-8 Windows accepts no flag but the strict one.
    if ((flags & ~strictFlag) != 0) return ERROR_INVALID_FLAGS;
    return ERROR_SUCCESS;
}

// Runs the size pass, then (when there is room) the writing pass.
// `worstCase` is the most output units one input unit can give, so that a
// destination known to be large enough is written in a single pass.
template <typename In, typename Out>
int convert(TranscodeResult (*transcode)(const In*, std::size_t, Out*), std::size_t worstCase,
            bool strict, const In* source, std::size_t sourceCount, Out* destination,
            int destinationCount) {
    if (!strict && destinationCount > 0 &&
        sourceCount <= static_cast<std::size_t>(destinationCount) / worstCase)
        return static_cast<int>(transcode(source, sourceCount, destination).units);
    TranscodeResult needed = transcode(source, sourceCount, nullptr);
    if (needed.sawInvalid && strict) return failWith(ERROR_NO_UNICODE_TRANSLATION, 0);
    if (needed.units > static_cast<std::size_t>(INT_MAX))
        return failWith(ERROR_INSUFFICIENT_BUFFER, 0);
    const int size = static_cast<int>(needed.units);
    if (destinationCount == 0) return size;
    if (size > destinationCount) return failWith(ERROR_INSUFFICIENT_BUFFER, 0);
    transcode(source, sourceCount, destination);
    return size;
}

}  // namespace

extern "C" int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                                   int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                   LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar) {
    DWORD error = checkArguments(CodePage, dwFlags, WC_ERR_INVALID_CHARS, lpWideCharStr,
                                 cchWideChar, lpMultiByteStr, cbMultiByte);
    if (error != ERROR_SUCCESS) return failWith(error, 0);
    // UTF-8 can encode every character, so a default character has no
    // meaning and Windows refuses one.
    if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr)
        return failWith(ERROR_INVALID_PARAMETER, 0);
    const std::size_t count = cchWideChar == -1
                                  ? std::u16string_view(lpWideCharStr).size() + 1
                                  : static_cast<std::size_t>(cchWideChar);
    return convert(tolvane::compat::utf16ToUtf8, 3, (dwFlags & WC_ERR_INVALID_CHARS) != 0,
                   lpWideCharStr, count, lpMultiByteStr, cbMultiByte);
}

extern "C" int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr,
                                   int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar) {
    DWORD error = checkArguments(CodePage, dwFlags, MB_ERR_INVALID_CHARS, lpMultiByteStr,
                                 cbMultiByte, lpWideCharStr, cchWideChar);
    if (error != ERROR_SUCCESS) return failWith(error, 0);
    const std::size_t count = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1
                                                : static_cast<std::size_t>(cbMultiByte);
    return convert(tolvane::compat::utf8ToUtf16, 1, (dwFlags & MB_ERR_INVALID_CHARS) != 0,
                   lpMultiByteStr, count, lpWideCharStr, cchWideChar);
}
