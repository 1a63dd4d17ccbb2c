// The shape every changing command shares: lookups in order, the interface,
// the call, the wait, and one reading of the three results.

#include <gtest/gtest.h>

#include <atomic>

#include "bridge/connection.h"
#include "commands/target_call.h"
#include "default_machine.h"
#include "service_fixture.h"
#include "vds_sim.h"

namespace {

constexpr HRESULT kCallFailed = static_cast<HRESULT>(0x80042401u);
constexpr HRESULT kWaitFailed = static_cast<HRESULT>(0x80010108u);  // RPC_E_DISCONNECTED
constexpr HRESULT kDelivered = static_cast<HRESULT>(0x80042444u);

TEST(AsyncOutcome, TheFirstFailureOfCallWaitAndDeliveryIsTheAnswer) {
    struct Case {
        HRESULT call, wait, delivered;
        Outcome expected;
    };
    const Case cases[] = {
        {S_OK, S_OK, S_OK, Outcome::ok()},
        {kCallFailed, S_OK, S_OK, Outcome::vds(kCallFailed)},
        {S_FALSE, S_OK, S_OK, Outcome::vds(S_FALSE)},  // a call's success code still fails
        {S_OK, S_OK, kDelivered, Outcome::vds(kDelivered)},
        {S_OK, S_OK, S_FALSE, Outcome::vds(S_FALSE)},
        // A failed Wait delivers nothing: the delivered value must not be read as success.
        {S_OK, kWaitFailed, S_OK, Outcome::vds(kWaitFailed)},
        {S_OK, kWaitFailed, kDelivered, Outcome::vds(kWaitFailed)},
        {kCallFailed, kWaitFailed, kDelivered, Outcome::vds(kCallFailed)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vdsAsyncOutcome(c.call, c.wait, c.delivered), c.expected)
            << std::hex << c.call << " " << c.wait << " " << c.delivered;
    }
}

// Counts its references; stands for the new LUN that an operation hands back.
struct CountedObject : IUnknown {
    std::atomic<int> references{1};
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
};

// An operation whose Wait answers as told; a failing Wait writes nothing.
struct ScriptedAsync : IVdsAsync {
    HRESULT waitResult = S_OK;
    HRESULT delivered = S_OK;
    VDS_ASYNC_OUTPUT output{};
    int references = 1;
    int waits = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE Cancel() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Wait(HRESULT* result, VDS_ASYNC_OUTPUT* out) override {
        ++waits;
        if (FAILED(waitResult)) return waitResult;
        *result = delivered;
        *out = output;
        return waitResult;
    }
    HRESULT STDMETHODCALLTYPE QueryStatus(HRESULT*, ULONG*) override { return E_NOTIMPL; }
};

TEST(CallThenWait, AFailedWaitIsAFailureEvenThoughNothingWasDelivered) {
    ScriptedAsync op;
    op.waitResult = kWaitFailed;
    op.AddRef();
    ComPtr<IVdsAsync> held(&op);
    EXPECT_EQ(vdsCallThenWait(S_OK, held), Outcome::vds(kWaitFailed));
    EXPECT_EQ(op.waits, 1);
    EXPECT_EQ(op.references, 1) << "the operation is given back";
}

TEST(CallThenWait, InterfacesHandedBackByTheOperationAreReleased) {
    for (VDS_ASYNC_OUTPUT_TYPE type :
         {VDS_ASYNCOUT_CREATELUN, VDS_ASYNCOUT_CREATEVOLUME, VDS_ASYNCOUT_BREAKVOLUMEPLEX}) {
        CountedObject created;
        ScriptedAsync op;
        op.output.type = type;
        if (type == VDS_ASYNCOUT_CREATELUN) op.output.cl.pLunUnk = &created;
        if (type == VDS_ASYNCOUT_CREATEVOLUME) op.output.cv.pVolumeUnk = &created;
        if (type == VDS_ASYNCOUT_BREAKVOLUMEPLEX) op.output.bvp.pVolumeUnk = &created;
        op.AddRef();
        ComPtr<IVdsAsync> held(&op);
        EXPECT_EQ(vdsCallThenWait(S_OK, held), Outcome::ok()) << type;
        EXPECT_EQ(created.references, 0) << type;
    }
}

TEST(CallThenWait, AFailedCallIsNotWaitedForAndAMissingOperationIsNoSuccess) {
    ScriptedAsync op;
    op.AddRef();
    ComPtr<IVdsAsync> held(&op);
    EXPECT_EQ(vdsCallThenWait(kCallFailed, held), Outcome::vds(kCallFailed));
    EXPECT_EQ(op.waits, 0);
    EXPECT_EQ(op.references, 1);

    ComPtr<IVdsAsync> none;
    EXPECT_EQ(vdsCallThenWait(S_OK, none), Outcome::vds(E_POINTER));
}

class TargetCall : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }

    // An operation of the simulated service that ends after `ms` with `result`.
    static ComPtr<IVdsAsync> operation(int ms, HRESULT result) {
        ComPtr<IVdsAsync> op;
        EXPECT_EQ(VdsSimStartTestOperation(ms, result, op.putVoid()), S_OK);
        return op;
    }
};

TEST_F(TargetCall, TheServicesOperationsEndAsTheirDeliveredResult) {
    struct Case {
        int ms;
        HRESULT delivered;
    };
    for (const Case& c : {Case{0, S_OK}, Case{30, S_OK}, Case{0, kDelivered}, Case{30, kDelivered}}) {
        ComPtr<IVdsAsync> op = operation(c.ms, c.delivered);
        const Outcome expected = c.delivered == S_OK ? Outcome::ok() : Outcome::vds(c.delivered);
        EXPECT_EQ(vdsCallThenWait(S_OK, op), expected) << c.ms;
        EXPECT_FALSE(op);
    }
}

TEST_F(TargetCall, LookupsRunInOrderAndTheCallOnlyWhenAllSucceed) {
    const GUID unknown = machine::kUnknown;
    struct Case {
        const char* what;
        ChangeLookup target;
        std::vector<ChangeLookup> further;
        Outcome expected;
        bool called;
    };
    const Case cases[] = {
        {"all found", {VDS_OT_LUN, machine::kMirroredLun}, {{VDS_OT_LUN, machine::kBootLun, status::SecondNotFound}},
         Outcome::ok(), true},
        {"unknown target", {VDS_OT_LUN, unknown}, {{VDS_OT_LUN, unknown, status::SecondNotFound}},
         Outcome::failed(status::TargetNotFound), false},
        {"unknown second", {VDS_OT_LUN, machine::kMirroredLun},
         {{VDS_OT_LUN, unknown, status::SecondNotFound}, {VDS_OT_LUN, unknown, status::ThirdNotFound}},
         Outcome::failed(status::SecondNotFound), false},
        {"unknown third", {VDS_OT_LUN, machine::kMirroredLun},
         {{VDS_OT_LUN, machine::kBootLun, status::SecondNotFound}, {VDS_OT_LUN_PLEX, unknown, status::ThirdNotFound}},
         Outcome::failed(status::ThirdNotFound), false},
        {"target of another type", {VDS_OT_LUN, machine::kSubSystem}, {}, Outcome::failed(status::TargetNotFound), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool called = false;
        // Lookups are handed over as a list, as a command writes them.
        auto run = [&](auto&&... further) {
            return vdsCallOnTarget<IVdsLun>(vdsConnectionView().service, c.target, {further...}, [&](IVdsLun&) {
                called = true;
                ComPtr<IVdsAsync> op = operation(0, S_OK);
                return vdsCallThenWait(S_OK, op);
            });
        };
        Outcome o;
        if (c.further.empty()) o = run();
        else if (c.further.size() == 1) o = run(c.further[0]);
        else o = run(c.further[0], c.further[1]);
        EXPECT_EQ(o, c.expected);
        EXPECT_EQ(called, c.called);
    }
}

TEST_F(TargetCall, ATargetWithoutTheInterfaceIsAVdsErrorWithoutACall) {
    VdsSimRefuseInterface(&machine::kMirroredLun, &IID_IVdsLun);
    bool called = false;
    const Outcome o = vdsCallOnTarget<IVdsLun>(vdsConnectionView().service, {VDS_OT_LUN, machine::kMirroredLun}, {},
                                               [&](IVdsLun&) {
        called = true;
        return Outcome::ok();
    });
    EXPECT_EQ(o.status, status::VdsError);
    EXPECT_TRUE(FAILED(o.addStatus));
    EXPECT_FALSE(called);
}

}  // namespace
