// u"" literals where VDS takes WCHAR text, and back. WCHAR is char16_t off
// Windows and wchar_t (also UTF-16) on Windows.
#pragma once

#include <string>

#include "platform/com_types.h"

static_assert(sizeof(WCHAR) == sizeof(char16_t));

inline WCHAR* wideText(const char16_t* text) {
    return const_cast<WCHAR*>(reinterpret_cast<const WCHAR*>(text));
}

inline std::u16string text16(const WCHAR* text) { return reinterpret_cast<const char16_t*>(text); }
