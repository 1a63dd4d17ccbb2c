// The COM face of one model object. While any client holds it there is
// exactly one such object per identifier (so QueryInterface identities hold
// across lookups); it goes away with the last Release and is made afresh on
// the next lookup. Its reference count is what the tests read back.
#pragma once

#include <atomic>

#include "core/sim_core.h"

namespace tolvane::sim {

class ModelObject {
public:
    ModelObject(Kind kind, const GUID& id) : kind_(kind), id_(id) {}
    virtual ~ModelObject() = default;
    ModelObject(const ModelObject&) = delete;
    ModelObject& operator=(const ModelObject&) = delete;

    Kind kind() const { return kind_; }
    const GUID& id() const { return id_; }
    virtual IUnknown* primary() = 0;

    ULONG addRef() {
        Core::instance().liveReferences.fetch_add(1);
        return refs_.fetch_add(1) + 1;
    }
    // Adds a reference unless the object is already on its way out.
    bool tryAddRef() {
        ULONG n = refs_.load();
        while (n != 0)
            if (refs_.compare_exchange_weak(n, n + 1)) {
                Core::instance().liveReferences.fetch_add(1);
                return true;
            }
        return false;
    }
    ULONG release() {
        Core::instance().liveReferences.fetch_sub(1);
        ULONG n = refs_.fetch_sub(1) - 1;
        if (n == 0) {
            Core::instance().forget(this);
            delete this;
        }
        return n;
    }
    ULONG references() const { return refs_.load(); }

private:
    Kind kind_;
    GUID id_;
    std::atomic<ULONG> refs_{1};
};

// Makes the COM face of a model object, with one reference.
ModelObject* makeModelObject(Kind kind, const GUID& id);

}  // namespace tolvane::sim
