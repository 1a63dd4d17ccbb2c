#include "protocol/identifiers.h"

#include "protocol/guid_text.h"
#include "protocol/log_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

char* getGUID(GUID guid) {
    // Allocated as unsigned char so that vdsFreeOutput can release it.
    auto* text = reinterpret_cast<char*>(new (std::nothrow) unsigned char[kGuidTextLength + 1]);
    if (text == nullptr) return nullptr;
    vdsFormatGuid(guid, *reinterpret_cast<char(*)[kGuidTextLength + 1]>(text));
    return text;
}

int compareGUID(GUID a, GUID b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return 0;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return 0;
    return 1;
}

namespace {

// One pair of hexadecimal digits at `text + at`, as strtol reads it; the
// text's end (a shorter string) reads as no digits.
std::uint8_t hexPair(const char* text, std::size_t length, std::size_t at) {
    char pair[3] = {0, 0, 0};
    for (std::size_t i = 0; i < 2 && at + i < length; ++i) pair[i] = text[at + i];
    return static_cast<std::uint8_t>(std::strtol(pair, nullptr, 16) & 0xFF);
}

}  // namespace

void parseGUID(const char* text, GUID* id) {
    unsigned int data1 = 0, data2 = 0, data3 = 0;
    std::sscanf(text, "%X-%X-%X-", &data1, &data2, &data3);
    id->Data1 = data1;
    id->Data2 = static_cast<std::uint16_t>(data2);
    id->Data3 = static_cast<std::uint16_t>(data3);
    // Never look past the terminator of a short text.
    const std::size_t length = strnlen(text, 36);
    id->Data4[0] = hexPair(text, length, 19);
    id->Data4[1] = hexPair(text, length, 21);
    for (std::size_t i = 0; i < 6; ++i) id->Data4[2 + i] = hexPair(text, length, 24 + 2 * i);
}

void GuidTextDeleter::operator()(char* text) const {
    vdsFreeOutput(reinterpret_cast<unsigned char*>(text));
}

GuidText vdsGuidText(const GUID& id) { return GuidText(getGUID(id)); }

void vdsLogId(const char* format, const GUID& id) {
    const GuidText text = vdsGuidText(id);
    vdsLog(format, text ? text.get() : "");
}

void vdsLogIds(const char* format, const GUID& first, const GUID& second) {
    const GuidText a = vdsGuidText(first);
    const GuidText b = vdsGuidText(second);
    vdsLog(format, a ? a.get() : "", b ? b.get() : "");
}
