// A class object for registry tests: counts its references and answers
// CreateInstance with a chosen result.
#pragma once

#include <atomic>

#include "platform/com_types.h"

namespace tolvane::test {

class CountedClassObject : public IClassFactory {
public:
    explicit CountedClassObject(HRESULT createResult = S_OK, bool isFactory = true)
        : createResult_(createResult), isFactory_(isFactory) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || (isFactory_ && riid == IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    // The "instance" is the object itself, so that its reference shows up in
    // the same count.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID, void** ppv) override {
        ++instancesRequested_;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (FAILED(createResult_)) return createResult_;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return createResult_;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    // References held by others than the test's own (stack) ownership.
    ULONG references() const { return references_; }
    int instancesRequested() const { return instancesRequested_; }

private:
    std::atomic<ULONG> references_{0};
    std::atomic<int> instancesRequested_{0};
    HRESULT createResult_;
    bool isFactory_;
};

// A class identifier of its own for each test, far from real ones.
inline CLSID testClsid(std::uint32_t n) {
    return CLSID{0x7E570000u + n, 0x1234, 0x5678, {0x90, 0xAB, 0xCD, 0xEF, 0x00, 0x11, 0x22, 0x33}};
}

}  // namespace tolvane::test
