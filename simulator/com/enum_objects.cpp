#include "com/enum_objects.h"

#include <memory>

#include "core/call_args.h"

namespace tolvane::sim {

namespace {

class Enumeration final : public IEnumVdsObject, public CountedObject {
public:
    Enumeration(std::shared_ptr<const ObjectList> objects, std::size_t position)
        : objects_(std::move(objects)), position_(position) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (auto fault = Core::instance().enter("IEnumVdsObject::QueryInterface", guidToText(riid))) return *fault;
        if (riid != IID_IUnknown && riid != IID_IEnumVdsObject) return E_NOINTERFACE;
        addRef();
        *ppv = static_cast<IEnumVdsObject*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, IUnknown** ppObjectArray, ULONG* pcFetched) override {
        if (pcFetched != nullptr) *pcFetched = 0;
        if (auto fault = Core::instance().enter("IEnumVdsObject::Next", joinArgs(celt))) return *fault;
        if (ppObjectArray == nullptr || (pcFetched == nullptr && celt != 1)) return E_POINTER;
        ULONG fetched = 0;
        {
            std::lock_guard lock(mutex_);
            while (fetched < celt && position_ < objects_->size()) {
                const auto& [kind, id] = (*objects_)[position_++];
                IUnknown* unk = Core::instance().acquire(kind, id);
                if (unk == nullptr) continue;
                ppObjectArray[fetched++] = unk;
            }
        }
        for (ULONG i = fetched; i < celt; ++i) ppObjectArray[i] = nullptr;
        if (pcFetched != nullptr) *pcFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override {
        if (auto fault = Core::instance().enter("IEnumVdsObject::Skip", joinArgs(celt))) return *fault;
        std::lock_guard lock(mutex_);
        std::size_t left = objects_->size() - position_;
        position_ += celt < left ? celt : left;
        return celt <= left ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Reset() override {
        if (auto fault = Core::instance().enter("IEnumVdsObject::Reset", "")) return *fault;
        std::lock_guard lock(mutex_);
        position_ = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumVdsObject** ppEnum) override {
        if (ppEnum == nullptr) return E_POINTER;
        *ppEnum = nullptr;
        if (auto fault = Core::instance().enter("IEnumVdsObject::Clone", "")) return *fault;
        std::lock_guard lock(mutex_);
        *ppEnum = new Enumeration(objects_, position_);
        return S_OK;
    }

private:
    std::mutex mutex_;
    std::shared_ptr<const ObjectList> objects_;
    std::size_t position_;
};

}  // namespace

IEnumVdsObject* makeEnumeration(ObjectList objects) {
    return new Enumeration(std::make_shared<const ObjectList>(std::move(objects)), 0);
}

namespace {

template <typename Ids>
ObjectList objectsOf(Kind kind, const Ids& ids) {
    ObjectList out;
    out.reserve(ids.size());
    for (const auto& id : ids) out.push_back({kind, id});
    return out;
}

}  // namespace

ObjectList listOf(Kind kind, const std::vector<GUID>& ids) { return objectsOf(kind, ids); }
ObjectList listOf(Kind kind, const IdList& ids) { return objectsOf(kind, ids); }

}  // namespace tolvane::sim
