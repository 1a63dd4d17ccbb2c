// A client session with the simulated service for the tests: enters COM,
// creates and initialises the service object, and checks on the way out that
// the test gave back every reference it took.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "default_machine.h"
#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"
#include "protocol/guid_text.h"
#include "protocol/text_convert.h"
#include "simulated_machine.h"
#include "vds_sim.h"
#include "wide_text.h"

namespace simtest {

// The identifier of a text form as default.json writes it; the null
// identifier for anything else.
inline GUID id(const char* text) { return vdsGuidFromText(text).value_or(GUID{}); }

// A wide text of the service as UTF-8, whatever the ANSI code page, so that
// tests compare it with their own literals.
inline std::string narrow(const WCHAR* w) {
    if (w == nullptr) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, text.data(), size, nullptr, nullptr);
    text.pop_back();  // the terminator
    return text;
}

using ::journal;

template <typename I>
ComPtr<I> as(IUnknown* unk) {
    ComPtr<I> out;
    if (unk == nullptr) return out;
    if constexpr (std::is_same_v<I, IUnknown>) {
        unk->QueryInterface(IID_IUnknown, out.putVoid());
    } else {
        unk->QueryInterface(VdsInterfaceId<I>::value, out.putVoid());
    }
    return out;
}

// Every object of an enumeration, as interface I.
template <typename I>
std::vector<ComPtr<I>> collect(IEnumVdsObject* e) {
    std::vector<ComPtr<I>> out;
    for (;;) {
        IUnknown* unk = nullptr;
        ULONG fetched = 0;
        if (e->Next(1, &unk, &fetched) != S_OK || fetched == 0) break;
        ComPtr<IUnknown> held(unk);
        out.push_back(as<I>(unk));
    }
    return out;
}

// The IUnknown half of the tests' own advise sinks: a count the test can read
// (starting at the test's own reference) and nothing destroyed at zero.
class CountedTestSink : public IVdsAdviseSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IVdsAdviseSink) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }

    std::atomic<ULONG> refs{1};
};

// A client session of its own with the service, besides the library's.
class SimSession : public SimulatedMachineTest {
protected:
    void SetUp() override {
        SimulatedMachineTest::SetUp();
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
        ASSERT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service.putVoid()),
                  S_OK);
        ComPtr<IVdsServiceInitialization> init;
        ASSERT_EQ(service.queryInterface(IID_IVdsServiceInitialization, init), S_OK);
        ASSERT_EQ(init->Initialize(wideText(u"HOST")), S_OK);
        VdsSimJournalClear();
    }
    void TearDown() override {
        service.reset();
        SimulatedMachineTest::TearDown();
        CoUninitialize();
    }

    ComPtr<IUnknown> object(const char* text, VDS_OBJECT_TYPE type) {
        ComPtr<IUnknown> unk;
        EXPECT_EQ(service->GetObject(id(text), type, unk.put()), S_OK) << text;
        return unk;
    }
    template <typename I>
    ComPtr<I> get(const char* text, VDS_OBJECT_TYPE type) {
        auto unk = object(text, type);
        return as<I>(unk.get());
    }

    ComPtr<IVdsService> service;
};

// Identifiers of the built-in machine, in text form.
inline constexpr const char* kHwProvider = machine::text::kHwProvider;
inline constexpr const char* kSampleProvider = machine::text::kSampleProvider;
inline constexpr const char* kSubSystem = machine::text::kSubSystem;
inline constexpr const char* kControllerA = machine::text::kControllerA;
inline constexpr const char* kDrive1 = machine::text::kDrive1;
inline constexpr const char* kBootLun = machine::text::kBootLun;
inline constexpr const char* kMirrorLun = machine::text::kMirroredLun;
inline constexpr const char* kStripeLun = machine::text::kStripeLun;
inline constexpr const char* kBootLunPlex = machine::text::kBootLunPlex;
inline constexpr const char* kBasicProvider = machine::text::kBasicProvider;
inline constexpr const char* kBasicPack = machine::text::kBasicPack;
inline constexpr const char* kGptPack = machine::text::kGptPack;
inline constexpr const char* kDynamicPack = machine::text::kDynamicPack;
inline constexpr const char* kMbrDisk = machine::text::kMbrDisk;
inline constexpr const char* kGptDisk = machine::text::kGptDisk;
inline constexpr const char* kRawDisk = machine::text::kRawDisk;
inline constexpr const char* kDynDisk = machine::text::kDynDisk;
inline constexpr const char* kVolumeC = machine::text::kVolumeC;
inline constexpr const char* kVolumeF = machine::text::kVolumeF;
inline constexpr const char* kArchiveVolume = machine::text::kArchiveVolume;
inline constexpr const char* kMirrorVolume = machine::text::kMirrorVolume;
inline constexpr const char* kVolumeCPlex = machine::text::kVolumeCPlex;

}  // namespace simtest
