// Reference counting of the service's helper objects (enumerations,
// asynchronous operations): each reference counts among the live ones.
#pragma once

#include <atomic>

#include "core/sim_core.h"

namespace tolvane::sim {

class CountedObject {
public:
    CountedObject() { Core::instance().liveReferences.fetch_add(1); }
    virtual ~CountedObject() = default;
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;

protected:
    ULONG addRef() {
        Core::instance().liveReferences.fetch_add(1);
        return refs_.fetch_add(1) + 1;
    }
    ULONG release() {
        Core::instance().liveReferences.fetch_sub(1);
        ULONG n = refs_.fetch_sub(1) - 1;
        if (n == 0) delete this;
        return n;
    }

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace tolvane::sim
