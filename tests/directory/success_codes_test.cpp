// A call that opens an enumeration succeeds with any success code, S_FALSE
// included; only a failure code means there is nothing to walk.

#include <gtest/gtest.h>

#include "bridge/connection.h"
#include "default_machine.h"
#include "directory/children.h"
#include "directory/lookup.h"
#include "service_fixture.h"
#include "stdout_capture.h"

namespace {

// The machine's subsystem, except that its enumerations answer `answer`
// once the real call has handed over the enumeration.
struct AnsweringSubSystem : IVdsSubSystem {
    ComPtr<IVdsSubSystem> real;
    HRESULT answer = S_FALSE;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return real->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetProperties(VDS_SUB_SYSTEM_PROP* p) override { return real->GetProperties(p); }
    HRESULT STDMETHODCALLTYPE GetProvider(IVdsProvider** p) override { return real->GetProvider(p); }
    HRESULT STDMETHODCALLTYPE QueryControllers(IEnumVdsObject** e) override {
        return answered(real->QueryControllers(e));
    }
    HRESULT STDMETHODCALLTYPE QueryLuns(IEnumVdsObject** e) override { return answered(real->QueryLuns(e)); }
    HRESULT STDMETHODCALLTYPE QueryDrives(IEnumVdsObject** e) override { return answered(real->QueryDrives(e)); }
    HRESULT STDMETHODCALLTYPE GetDrive(SHORT bus, SHORT slot, IVdsDrive** d) override {
        return real->GetDrive(bus, slot, d);
    }
    HRESULT STDMETHODCALLTYPE Reenumerate() override { return real->Reenumerate(); }
    HRESULT STDMETHODCALLTYPE SetControllerStatus(const VDS_OBJECT_ID*, LONG, const VDS_OBJECT_ID*, LONG) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateLun(VDS_LUN_TYPE, ULONGLONG, const VDS_OBJECT_ID*, LONG, LPCWSTR,
                                        const VDS_HINTS*, IVdsAsync**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReplaceDrive(VDS_OBJECT_ID, VDS_OBJECT_ID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatus(VDS_SUB_SYSTEM_STATUS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryMaxLunCreateSize(VDS_LUN_TYPE, const VDS_OBJECT_ID*, LONG, const VDS_HINTS*,
                                                    ULONGLONG*) override {
        return E_NOTIMPL;
    }

private:
    HRESULT answered(HRESULT hr) const { return hr == S_OK ? answer : hr; }
};

class SuccessCodes : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
        ASSERT_EQ(vdsResolve(vdsConnectionView().service, VDS_OT_SUB_SYSTEM, machine::kSubSystem, IID_IVdsSubSystem,
                             subSystem.real),
                  Resolved::Found);
    }
    void TearDown() override {
        subSystem.real.reset();
        ServiceTest::TearDown();
    }
    AnsweringSubSystem subSystem;
};

TEST_F(SuccessCodes, EnumerationsOpenedWithASuccessCodeAreWalked) {
    struct Case {
        const char* what;
        int (*count)(IVdsSubSystem*);
        int expected;
    };
    const Case cases[] = {
        {"drives", vdsGetDriveCount, 8},
        {"LUNs", vdsGetLunCount, 3},
        {"controllers", vdsGetControllerCount, 2},
    };
    for (HRESULT answer : {S_OK, S_FALSE, HRESULT{2}}) {
        subSystem.answer = answer;
        for (const Case& c : cases) {
            int n = 0;
            (void)capturedStdout([&] { n = c.count(&subSystem); });
            EXPECT_EQ(n, c.expected) << c.what << " answered " << answer;
        }
        InterfaceArray<IVdsDrive> drives = vdsCollect(static_cast<IVdsSubSystem*>(&subSystem),
                                                      vdsGetDriveCount, vdsGetDrives);
        EXPECT_EQ(drives.size(), 8) << answer;
    }
}

TEST_F(SuccessCodes, AFailureCodeStillMeansNothingToWalk) {
    subSystem.answer = E_FAIL;
    EXPECT_EQ(vdsGetDriveCount(&subSystem), 0);
}

}  // namespace
