#include "bridge/connection.h"
#include "commands/created_packs.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "bridge/apartment_keeper.h"
#include "notify/deliveries.h"
#include "protocol/log_output.h"
#include "protocol/text_convert.h"
#include "tolvane.h"

namespace {

// RPC_E_CANTCALLOUT_ININPUTSYNCCALL: vdsInitialize from inside onNotify while
// the previous connection still closes would wait for its own batch.
constexpr HRESULT kOpenInsideClosingBatch = static_cast<HRESULT>(static_cast<std::uint32_t>(0x8001010Du));

// Everything one connection obtained, given back as a whole.
struct Held {
    std::unique_ptr<ApartmentKeeper> keeper;
    ComPtr<IVdsService> service;
    ComPtr<CVdsAdviseSink> sink;
    DWORD cookie = 0;
    bool advised = false;
};

// Unregisters the sink (the service lets every batch under way end first),
// releases both, and only then lets the apartment go that they were used in.
void giveBack(Held held) {
    if (held.advised && held.service) held.service->Unadvise(held.cookie);
    held.service.reset();
    held.sink.reset();
    held.keeper.reset();
}

class Connection {
public:
    int open();
    void close();
    ComPtr<IVdsService> service();
    ConnectionView view();

private:
    int openSteps(Held& held);
    void closeLocked();
    void publish(Held held);

    // vdsInitialize and vdsUninitialize, one at a time.
    std::mutex lifecycle_;
    // What commands read; taken briefly, never across a call into the service.
    std::mutex state_;
    Held held_;
    std::atomic<bool> comHeld_{false};
    bool connected_ = false;
    // Gives back a connection closed while a batch was still in Java.
    std::thread closing_;
};

// Never destroyed: at process exit a batch may still be running.
Connection& connection() {
    static Connection* const instance = new Connection;
    return *instance;
}

int Connection::openSteps(Held& held) {
    HRESULT hr = CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService,
                                  held.service.putVoid());
    if (FAILED(hr)) return hr;

    char computerName[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof computerName;
    GetComputerNameA(computerName, &length);

    {
        ComPtr<IVdsServiceInitialization> init;
        hr = held.service.queryInterface(IID_IVdsServiceInitialization, init);
        if (hr != S_OK) return hr;
        WCHAR wideName[MAX_COMPUTERNAME_LENGTH + 2] = {};
        vdsNarrowToWide(computerName, wideName, MAX_COMPUTERNAME_LENGTH + 2);
        hr = init->Initialize(wideName);
        if (hr != S_OK) return hr;
    }

    CVdsAdviseSink* sink = nullptr;
    hr = CVdsAdviseSink::Create(&sink, vdsDeliveries().open());
    if (FAILED(hr)) return hr;
    sink->AddRef();
    held.sink.reset(sink);

    // Advise holds the call while the service starts, so whether it is
    // starting is asked first: a wait is still answered with 1.
    const bool wasStarting = held.service->IsServiceReady() == S_FALSE;
    hr = held.service->Advise(held.sink.get(), &held.cookie);
    if (hr != S_OK) return hr;
    held.advised = true;

    hr = held.service->IsServiceReady();
    if (hr == S_FALSE) {
        held.service->WaitForServiceReady();
        return S_FALSE;
    }
    return hr == S_OK && wasStarting ? S_FALSE : hr;
}

void Connection::publish(Held held) {
    std::lock_guard lock(state_);
    held_ = std::move(held);
}

int Connection::open() {
    std::lock_guard lifecycle(lifecycle_);
    if (closing_.joinable()) {
        if (Deliveries::deliveringOnThisThread()) return kOpenInsideClosingBatch;
        closing_.join();
    }
    // Once open, the connection stays as it is; a half-open one (a failed
    // earlier call) is given back first, so nothing it held is overwritten.
    if (connected_) return S_OK;
    closeLocked();

    // The calling thread enters the apartment only for the opening steps;
    // the keeper holds it for the connection's life.
    const HRESULT entered = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(entered)) {
        vdsLog("VDS CoInitialize error\n");
        return entered;
    }
    vdsKeepLibraryLoaded();
    Held held;
    held.keeper = std::make_unique<ApartmentKeeper>();
    comHeld_ = true;
    const int result = openSteps(held);
    publish(std::move(held));
    connected_ = result == S_OK || result == S_FALSE;
    CoUninitialize();
    return result;
}

void Connection::close() {
    std::lock_guard lifecycle(lifecycle_);
    closeLocked();
}

void Connection::closeLocked() {
    if (!comHeld_) return;
    // From here on no onNotify starts, whatever the service still sends.
    vdsDeliveries().close();
    // Packs made in this connection are given back while the service is still held.
    vdsGiveBackAllCreatedPacks();
    Held held;
    {
        std::lock_guard lock(state_);
        held = std::move(held_);
        held_ = Held{};
    }
    connected_ = false;
    comHeld_ = false;
    vdsLog("Tolvane.dll unitialized\n");
    // Unadvise waits for the batches under way; one still in Java may be
    // this very thread's, or wait for a lock that this thread holds.
    if (vdsDeliveries().active() > 0)
        closing_ = std::thread(giveBack, std::move(held));
    else
        giveBack(std::move(held));
}

ComPtr<IVdsService> Connection::service() {
    std::lock_guard lock(state_);
    IVdsService* service = held_.service.get();
    if (service != nullptr) service->AddRef();
    return ComPtr<IVdsService>(service);
}

ConnectionView Connection::view() {
    std::lock_guard lock(state_);
    return {held_.service.get(), held_.sink.get(), comHeld_.load()};
}

}  // namespace

ComPtr<IVdsService> vdsServiceReference() { return connection().service(); }

ConnectionView vdsConnectionView() { return connection().view(); }

void vdsAbandonConnection() { vdsDeliveries().abandon(); }

int vdsInitialize() { return connection().open(); }

void vdsUninitialize() { connection().close(); }
