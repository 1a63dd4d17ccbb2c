// A client session with the simulated service for the tests: enters COM,
// creates and initialises the service object, and checks on the way out that
// the test gave back every reference it took.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"
#include "vds_sim.h"
#include "wide_text.h"

namespace simtest {

inline GUID id(const char* text) {
    // Identifiers of the built-in machine, written as in default.json.
    unsigned a, b, c, d[8];
    std::sscanf(text, "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x", &a, &b, &c, &d[0], &d[1], &d[2], &d[3], &d[4],
                &d[5], &d[6], &d[7]);
    GUID g{a, static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(c), {}};
    for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<std::uint8_t>(d[i]);
    return g;
}

inline std::string narrow(const WCHAR* w) {
    std::string out;
    if (w == nullptr) return out;
    for (; *w; ++w) {
        char32_t c = *w;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::vector<std::string> journal() {
    std::vector<std::string> out;
    for (size_t i = 0; i < VdsSimJournalSize(); ++i) {
        std::string line(VdsSimJournalEntry(i, nullptr, 0), '\0');
        VdsSimJournalEntry(i, line.data(), line.size() + 1);
        out.push_back(line);
    }
    return out;
}

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

class SimSession : public ::testing::Test {
protected:
    void SetUp() override {
        VdsSimLoadDefault();
        VdsSimClearFaults();
        VdsSimSetStartingPhase(0);
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
        ASSERT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service.putVoid()),
                  S_OK);
        ComPtr<IVdsServiceInitialization> init;
        ASSERT_EQ(service.queryInterface(IID_IVdsServiceInitialization, init), S_OK);
        ASSERT_EQ(init->Initialize(wideText(u"HOST")), S_OK);
        VdsSimJournalClear();
    }
    void TearDown() override {
        VdsSimClearFaults();
        service.reset();
        EXPECT_EQ(VdsSimLiveReferences(), 0) << "the test leaked references to service objects";
        EXPECT_EQ(VdsSimServiceReferences(), 0);
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

// Identifiers of the built-in machine.
inline constexpr const char* kHwProvider = "10000000-0000-4000-8000-000000000001";
inline constexpr const char* kSampleProvider = "6C9FEAEE-8193-400B-882C-49A83B50F862";
inline constexpr const char* kSubSystem = "20000000-0000-4000-8000-000000000001";
inline constexpr const char* kControllerA = "30000000-0000-4000-8000-000000000001";
inline constexpr const char* kDrive1 = "40000000-0000-4000-8000-000000000001";
inline constexpr const char* kBootLun = "50000000-0000-4000-8000-000000000001";
inline constexpr const char* kMirrorLun = "50000000-0000-4000-8000-000000000002";
inline constexpr const char* kStripeLun = "50000000-0000-4000-8000-000000000003";
inline constexpr const char* kBootLunPlex = "51000000-0000-4000-8000-000000000001";
inline constexpr const char* kBasicProvider = "60000000-0000-4000-8000-000000000001";
inline constexpr const char* kBasicPack = "70000000-0000-4000-8000-000000000001";
inline constexpr const char* kDynamicPack = "70000000-0000-4000-8000-000000000002";
inline constexpr const char* kMbrDisk = "80000000-0000-4000-8000-000000000001";
inline constexpr const char* kGptDisk = "80000000-0000-4000-8000-000000000002";
inline constexpr const char* kRawDisk = "80000000-0000-4000-8000-000000000003";
inline constexpr const char* kDynDisk = "80000000-0000-4000-8000-000000000004";
inline constexpr const char* kVolumeC = "90000000-0000-4000-8000-000000000002";
inline constexpr const char* kVolumeF = "90000000-0000-4000-8000-000000000004";
inline constexpr const char* kArchiveVolume = "90000000-0000-4000-8000-000000000005";
inline constexpr const char* kMirrorVolume = "90000000-0000-4000-8000-000000000006";
inline constexpr const char* kVolumeCPlex = "91000000-0000-4000-8000-000000000002";

}  // namespace simtest
