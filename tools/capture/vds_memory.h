// The service hands out texts and arrays in COM task memory; each holder
// gives them back when it goes, whatever the walk does in between.
#pragma once

#include <utility>

#include "platform/vds_types.h"

namespace tolvane::capture {

inline void freeTexts(VDS_PROVIDER_PROP& p) {
    CoTaskMemFree(p.pwszName);
    CoTaskMemFree(p.pwszVersion);
}
template <typename P>
    requires requires(P p) { p.pwszFriendlyName; p.pwszIdentification; }
void freeTexts(P& p) {
    CoTaskMemFree(p.pwszFriendlyName);
    CoTaskMemFree(p.pwszIdentification);
    if constexpr (requires { p.pwszUnmaskingList; }) CoTaskMemFree(p.pwszUnmaskingList);
}
inline void freeTexts(VDS_PACK_PROP& p) { CoTaskMemFree(p.pwszName); }
inline void freeTexts(VDS_DISK_PROP& p) {
    for (LPWSTR text : {p.pwszDiskAddress, p.pwszName, p.pwszFriendlyName, p.pwszAdaptorName, p.pwszDevicePath})
        CoTaskMemFree(text);
}
inline void freeTexts(VDS_VOLUME_PROP& p) { CoTaskMemFree(p.pwszName); }
inline void freeTexts(VDS_FILE_SYSTEM_PROP& p) { CoTaskMemFree(p.pwszLabel); }
inline void freeTexts(VDS_LUN_PLEX_PROP&) {}
inline void freeTexts(VDS_VOLUME_PLEX_PROP&) {}

// A property structure filled by a GetProperties call, its texts freed after.
template <typename P>
class Props {
public:
    Props() : value{} {}
    Props(const Props&) = delete;
    Props& operator=(const Props&) = delete;
    ~Props() { freeTexts(value); }
    P* put() { return &value; }
    P value;
};

// An array the service allocated, freed with its elements' own texts by the caller's `each`.
template <typename T>
class CoArray {
public:
    CoArray() = default;
    CoArray(const CoArray&) = delete;
    CoArray& operator=(const CoArray&) = delete;
    ~CoArray() {
        if constexpr (requires(T t) { CoTaskMemFree(t); })
            for (LONG i = 0; i < count; ++i) CoTaskMemFree(items[i]);
        CoTaskMemFree(items);
    }
    T* begin() const { return items; }
    T* end() const { return items + (count > 0 ? count : 0); }
    T* items = nullptr;
    LONG count = 0;
};

}  // namespace tolvane::capture
