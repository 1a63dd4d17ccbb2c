// A client of the simulated service in a process of its own, for the tests of
// one machine shared through a state file (TOLVANE_SIM_STATE). It speaks COM
// to the service as any program would and reports on stdout, one line per
// fact, flushed at once, so that a test can read it, and kill it, at any
// moment.
//
//   state_peer make             a LUN and a volume: "LUN <id>", "VOLUME <id>"
//   state_peer watch MS         "READY", then each arrival heard within MS
//                               ("ARRIVED LUN <id>", "ARRIVED VOLUME <id>"),
//                               then what the lists show ("LISTED LUN <id>",
//                               "LISTED VOLUME <id>")
//   state_peer churn N SEED     N changes made at random; "DONE", then after
//                               a line on stdin "DIGEST <hex>"
//   state_peer grow LUN         extends the LUN by 1 MiB again and again,
//                               "GREW <k>" after the k-th Extend's Wait
//   state_peer size LUN         "SIZE <bytes>"
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "default_machine.h"
#include "platform/com_ptr.h"
#include "sim_session.h"
#include "platform/vds_interfaces.h"
#include "protocol/guid_text.h"
#include "vds_sim.h"

namespace {

constexpr ULONGLONG kMiB = 1024ull * 1024;
using machine::text::kDynamicPack;
using machine::text::kDynDisk;
using machine::text::kSubSystem;

using simtest::as;
using simtest::collect;
using simtest::id;

std::string textOf(const GUID& id) {
    char text[kGuidTextLength + 1];
    vdsFormatGuid(id, text);
    return text;
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

[[noreturn]] void fail(const char* what, HRESULT hr) {
    std::printf("FAILED %s 0x%08" PRIX32 "\n", what, static_cast<std::uint32_t>(hr));
    std::fflush(stdout);
    std::exit(2);
}

// Waits for an operation; its result, and what it made.
HRESULT finish(IVdsAsync* op, VDS_ASYNC_OUTPUT* output = nullptr) {
    HRESULT result = E_FAIL;
    VDS_ASYNC_OUTPUT ignored{};
    const HRESULT hr = op->Wait(&result, output != nullptr ? output : &ignored);
    return FAILED(hr) ? hr : result;
}

// The arrivals this process hears, with what the sink was told.
class ArrivalSink : public IVdsAdviseSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IVdsAdviseSink) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnNotify(LONG count, const VDS_NOTIFICATION* notices) override {
        std::lock_guard lock(mutex_);
        for (LONG i = 0; i < count; ++i) {
            const VDS_NOTIFICATION& n = notices[i];
            if (n.objectType == VDS_NTT_LUN && n.Lun.ulEvent == VDS_NF_LUN_ARRIVE) say("ARRIVED LUN " + textOf(n.Lun.LunId));
            if (n.objectType == VDS_NTT_VOLUME && n.Volume.ulEvent == VDS_NF_VOLUME_ARRIVE)
                say("ARRIVED VOLUME " + textOf(n.Volume.volumeId));
            if (n.objectType == VDS_NTT_LUN && n.Lun.ulEvent == VDS_NF_LUN_ARRIVE) ++luns_;
            if (n.objectType == VDS_NTT_VOLUME && n.Volume.ulEvent == VDS_NF_VOLUME_ARRIVE) ++volumes_;
        }
        return S_OK;
    }
    bool heardBoth() {
        std::lock_guard lock(mutex_);
        return luns_ > 0 && volumes_ > 0;
    }

private:
    std::mutex mutex_;
    int luns_ = 0;
    int volumes_ = 0;
};

class Peer {
public:
    Peer() {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) fail("CoInitializeEx", E_FAIL);
        const HRESULT hr =
            CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service_.putVoid());
        if (FAILED(hr)) fail("CoCreateInstance", hr);
        ComPtr<IVdsServiceInitialization> init;
        if (FAILED(service_.queryInterface(IID_IVdsServiceInitialization, init))) fail("Initialize", E_NOINTERFACE);
        WCHAR none[1] = {0};
        if (const HRESULT ready = init->Initialize(none); FAILED(ready)) fail("Initialize", ready);
        service_->WaitForServiceReady();
    }

    template <typename I>
    ComPtr<I> object(const char* text, VDS_OBJECT_TYPE type) {
        ComPtr<IUnknown> unk;
        if (const HRESULT hr = service_->GetObject(id(text), type, unk.put()); FAILED(hr)) fail("GetObject", hr);
        return as<I>(unk.get());
    }

    // A simple LUN of `size`; its identifier in `made`.
    HRESULT makeLun(ULONGLONG size, GUID* made) {
        auto subsystem = object<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
        ComPtr<IVdsAsync> op;
        WCHAR everyHost[2] = {u'*', 0};
        HRESULT hr = subsystem->CreateLun(VDS_LT_SIMPLE, size, nullptr, 0, everyHost, nullptr, op.put());
        if (FAILED(hr)) return hr;
        VDS_ASYNC_OUTPUT out{};
        hr = finish(op.get(), &out);
        if (FAILED(hr)) return hr;
        ComPtr<IUnknown> lun(out.cl.pLunUnk);
        VDS_LUN_PROP p{};
        if (SUCCEEDED(as<IVdsLun>(lun.get())->GetProperties(&p)) && made != nullptr) *made = p.id;
        CoTaskMemFree(p.pwszFriendlyName);
        CoTaskMemFree(p.pwszIdentification);
        CoTaskMemFree(p.pwszUnmaskingList);
        return S_OK;
    }

    HRESULT makeVolume(GUID* made) {
        auto pack = object<IVdsPack>(kDynamicPack, VDS_OT_PACK);
        VDS_INPUT_DISK input{};
        input.diskId = id(kDynDisk);
        input.ullSize = 64 * kMiB;
        ComPtr<IVdsAsync> op;
        HRESULT hr = pack->CreateVolume(VDS_VT_SIMPLE, &input, 1, 0, op.put());
        if (FAILED(hr)) return hr;
        VDS_ASYNC_OUTPUT out{};
        hr = finish(op.get(), &out);
        if (FAILED(hr)) return hr;
        ComPtr<IUnknown> volume(out.cv.pVolumeUnk);
        VDS_VOLUME_PROP p{};
        if (SUCCEEDED(as<IVdsVolume>(volume.get())->GetProperties(&p)) && made != nullptr) *made = p.id;
        CoTaskMemFree(p.pwszName);
        return S_OK;
    }

    std::vector<GUID> lunIds() {
        ComPtr<IEnumVdsObject> e;
        if (const HRESULT hr = object<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM)->QueryLuns(e.put()); FAILED(hr))
            fail("QueryLuns", hr);
        std::vector<GUID> out;
        for (auto& lun : collect<IVdsLun>(e.get())) {
            VDS_LUN_PROP p{};
            if (SUCCEEDED(lun->GetProperties(&p))) out.push_back(p.id);
            CoTaskMemFree(p.pwszFriendlyName);
            CoTaskMemFree(p.pwszIdentification);
            CoTaskMemFree(p.pwszUnmaskingList);
        }
        return out;
    }

    std::vector<GUID> volumeIds() {
        ComPtr<IEnumVdsObject> e;
        if (const HRESULT hr = object<IVdsPack>(kDynamicPack, VDS_OT_PACK)->QueryVolumes(e.put()); FAILED(hr))
            fail("QueryVolumes", hr);
        std::vector<GUID> out;
        for (auto& volume : collect<IVdsVolume>(e.get())) {
            VDS_VOLUME_PROP p{};
            if (SUCCEEDED(volume->GetProperties(&p))) out.push_back(p.id);
            CoTaskMemFree(p.pwszName);
        }
        return out;
    }

    void advise(IVdsAdviseSink* sink) {
        DWORD cookie = 0;
        if (const HRESULT hr = service_->Advise(sink, &cookie); FAILED(hr)) fail("Advise", hr);
    }

    ComPtr<IVdsService> service_;
};

// A refusal the real service gives; anything else (a broken rule, a state
// file that took no change) is a fault of the sharing.
bool expected(HRESULT hr) { return SUCCEEDED(hr) || (static_cast<std::uint32_t>(hr) & 0xFFFF0000u) == 0x80040000u; }

int make(Peer& peer) {
    GUID lun{};
    GUID volume{};
    if (const HRESULT hr = peer.makeLun(256 * kMiB, &lun); FAILED(hr)) fail("CreateLun", hr);
    say("LUN " + textOf(lun));
    if (const HRESULT hr = peer.makeVolume(&volume); FAILED(hr)) fail("CreateVolume", hr);
    say("VOLUME " + textOf(volume));
    return 0;
}

int watch(Peer& peer, int milliseconds) {
    ArrivalSink sink;
    peer.advise(&sink);
    say("READY");
    for (int waited = 0; waited < milliseconds && !sink.heardBoth(); waited += 10) {
        struct timespec tick{0, 10 * 1000 * 1000};
        nanosleep(&tick, nullptr);
    }
    for (const GUID& id : peer.lunIds()) say("LISTED LUN " + textOf(id));
    for (const GUID& id : peer.volumeIds()) say("LISTED VOLUME " + textOf(id));
    return 0;
}

int churn(Peer& peer, int changes, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<GUID> made;
    const auto check = [](const char* what, HRESULT hr) {
        if (!expected(hr)) fail(what, hr);
    };
    for (int i = 0; i < changes; ++i) {
        switch (random() % 4) {
            case 0:
            case 1: {
                GUID lun{};
                const HRESULT hr = peer.makeLun((1 + random() % 8) * 16 * kMiB, &lun);
                check("CreateLun", hr);
                if (SUCCEEDED(hr)) made.push_back(lun);
                break;
            }
            case 2: {
                // Any LUN beyond the machine's own three, the other process's too.
                auto luns = peer.lunIds();
                if (luns.size() <= 3) break;
                const GUID victim = luns[3 + random() % (luns.size() - 3)];
                ComPtr<IUnknown> unk;
                HRESULT hr = peer.service_->GetObject(victim, VDS_OT_LUN, unk.put());
                if (SUCCEEDED(hr)) hr = as<IVdsLun>(unk.get())->Delete();
                check("Delete", hr);
                break;
            }
            default: {
                if (made.empty()) break;
                ComPtr<IUnknown> unk;
                HRESULT hr = peer.service_->GetObject(made[random() % made.size()], VDS_OT_LUN, unk.put());
                if (SUCCEEDED(hr)) {
                    ComPtr<IVdsAsync> op;
                    hr = as<IVdsLun>(unk.get())->Extend(16 * kMiB, nullptr, 0, op.put());
                    if (SUCCEEDED(hr)) hr = finish(op.get());
                }
                check("Extend", hr);
                break;
            }
        }
    }
    VdsSimWaitIdle();
    say("DONE");
    char line[16];
    if (std::fgets(line, sizeof line, stdin) == nullptr) return 1;
    peer.lunIds();  // a call, which starts from the latest machine
    char digest[32];
    std::snprintf(digest, sizeof digest, "DIGEST %016llx", VdsSimModelDigest());
    say(digest);
    return 0;
}

int grow(Peer& peer, const char* lunText) {
    ComPtr<IUnknown> unk;
    if (const HRESULT hr = peer.service_->GetObject(id(lunText), VDS_OT_LUN, unk.put()); FAILED(hr))
        fail("GetObject", hr);
    auto lun = as<IVdsLun>(unk.get());
    for (long k = 1;; ++k) {
        ComPtr<IVdsAsync> op;
        HRESULT hr = lun->Extend(kMiB, nullptr, 0, op.put());
        if (SUCCEEDED(hr)) hr = finish(op.get());
        if (FAILED(hr)) fail("Extend", hr);
        say("GREW " + std::to_string(k));
    }
}

int size(Peer& peer, const char* lunText) {
    VDS_LUN_PROP p{};
    const HRESULT hr = peer.object<IVdsLun>(lunText, VDS_OT_LUN)->GetProperties(&p);
    if (FAILED(hr)) fail("GetProperties", hr);
    say("SIZE " + std::to_string(p.ullSize));
    CoTaskMemFree(p.pwszFriendlyName);
    CoTaskMemFree(p.pwszIdentification);
    CoTaskMemFree(p.pwszUnmaskingList);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    Peer peer;
    if (what == "make") return make(peer);
    if (what == "watch" && argc > 2) return watch(peer, std::atoi(argv[2]));
    if (what == "churn" && argc > 3) return churn(peer, std::atoi(argv[2]), static_cast<unsigned>(std::atoi(argv[3])));
    if (what == "grow" && argc > 2) return grow(peer, argv[2]);
    if (what == "size" && argc > 2) return size(peer, argv[2]);
    std::fprintf(stderr, "usage: state_peer make | watch MS | churn N SEED | grow LUN | size LUN\n");
    return 64;
}
