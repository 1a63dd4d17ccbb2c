// The service hands out texts and arrays in COM task memory; each holder
// gives them back when it goes, whatever the walk does in between. What each
// property structure holds is said once, beside the library's own readers.
#pragma once

#include "directory/property_texts.h"
#include "platform/co_task_mem.h"
#include "platform/vds_types.h"

namespace tolvane::capture {

// A property structure filled by a GetProperties call, its texts freed after.
template <typename P>
class Props {
public:
    Props() : value{} {}
    Props(const Props&) = delete;
    Props& operator=(const Props&) = delete;
    ~Props() { vdsFreePropertyTexts(value); }
    P* put() { return &value; }
    P value;
};

// An array the service allocated, with its count; an array of texts frees
// each text too.
template <typename T>
class CoArray {
public:
    CoArray() = default;
    CoArray(const CoArray&) = delete;
    CoArray& operator=(const CoArray&) = delete;
    ~CoArray() {
        if constexpr (requires(T t) { CoTaskMemFree(t); })
            for (T& text : *this) CoTaskMemFree(text);
    }
    T* begin() const { return items.get(); }
    T* end() const { return items ? items.get() + (count > 0 ? count : 0) : items.get(); }
    CoTaskMemArray<T> items;
    LONG count = 0;
};

}  // namespace tolvane::capture
