#include <gtest/gtest.h>

#include <thread>

#include "bridge/connection.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

class Connection : public ServiceTest {};

int initialize(std::string* printed = nullptr) {
    int result = 0;
    const std::string out = capturedStdout([&] { result = vdsInitialize(); });
    if (printed != nullptr) *printed = out;
    return result;
}

TEST_F(Connection, OpensAndClosesWithoutLeavingReferences) {
    EXPECT_EQ(initialize(), 0);
    EXPECT_EQ(VdsSimAdvisedSinks(), 1);
    EXPECT_NE(vdsConnectionView().service, nullptr);
    const std::string out = capturedStdout([] { vdsUninitialize(); });
    EXPECT_EQ(out, "Tolvane.dll unitialized\n");
    EXPECT_EQ(vdsConnectionView().service, nullptr);
    EXPECT_EQ(vdsConnectionView().sink, nullptr);
    EXPECT_EQ(vdsConnectionView().comHeld, false);
    EXPECT_EQ(VdsSimAdvisedSinks(), 0);
    EXPECT_EQ(VdsSimServiceReferences(), 0);
}

TEST_F(Connection, ClosingWhatIsNotOpenDoesNothing) {
    EXPECT_EQ(capturedStdout([] { vdsUninitialize(); }), "");
    EXPECT_EQ(initialize(), 0);
    capturedStdout([] { vdsUninitialize(); });
    EXPECT_EQ(capturedStdout([] { vdsUninitialize(); }), "");
}

TEST_F(Connection, WaitsForAStartingServiceAndAnswersOne) {
    VdsSimSetStartingPhase(200);
    EXPECT_EQ(initialize(), 1);
    EXPECT_EQ(VdsSimAdvisedSinks(), 1);
}

TEST_F(Connection, ASecondInitializeKeepsTheOpenConnection) {
    EXPECT_EQ(initialize(), 0);
    IVdsService* service = vdsConnectionView().service;
    CVdsAdviseSink* sink = vdsConnectionView().sink;
    EXPECT_EQ(initialize(), 0);
    EXPECT_EQ(vdsConnectionView().service, service);
    EXPECT_EQ(vdsConnectionView().sink, sink);
    EXPECT_EQ(VdsSimAdvisedSinks(), 1);
    EXPECT_EQ(VdsSimServiceReferences(), 1);
}

TEST_F(Connection, AThreadInASingleThreadedApartmentCannotConnect) {
    int result = 0;
    std::string printed;
    std::thread caller([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        result = initialize(&printed);
        CoUninitialize();
    });
    caller.join();
    EXPECT_EQ(result, RPC_E_CHANGED_MODE);
    EXPECT_EQ(printed, "VDS CoInitialize error\n");
    EXPECT_EQ(vdsConnectionView().comHeld, false);
}

// Each failing step returns its own result silently; what the connection
// obtained before it is given back by the next vdsInitialize or vdsUninitialize.
TEST_F(Connection, AFailingStepReturnsItsCodeAndLeavesNothingBehind) {
    struct Case {
        const char* method;
        HRESULT hr;
    };
    const Case cases[] = {
        {"IVdsServiceInitialization::Initialize", static_cast<HRESULT>(0x80042401u)},
        {"IVdsService::Advise", E_OUTOFMEMORY},
        {"IVdsService::IsServiceReady", static_cast<HRESULT>(0x80042402u)},
    };
    for (const Case& c : cases) {
        VdsSimClearFaults();
        VdsSimInjectFault(c.method, 0, c.hr);
        std::string printed;
        EXPECT_EQ(initialize(&printed), c.hr) << c.method;
        EXPECT_EQ(printed, "") << c.method;
        VdsSimClearFaults();
        // A retry closes the half-open connection first and then succeeds.
        EXPECT_EQ(initialize(), 0) << c.method;
        EXPECT_EQ(VdsSimAdvisedSinks(), 1) << c.method;
        capturedStdout([] { vdsUninitialize(); });
        EXPECT_EQ(VdsSimServiceReferences(), 0) << c.method;
        EXPECT_EQ(VdsSimAdvisedSinks(), 0) << c.method;
    }
}

TEST_F(Connection, ARefusedTopologyMeansNoConnection) {
    EXPECT_NE(VdsSimLoadTopologyJson("{\"hardwareProviders\": 5}"), 0);
    VdsSimUseEnvironmentTopology();
    ::setenv("TOLVANE_SIM_TOPOLOGY", "/nonexistent/machine.json", 1);
    const int result = initialize();
    ::unsetenv("TOLVANE_SIM_TOPOLOGY");
    VdsSimLoadDefault();
    EXPECT_LT(result, 0);
    EXPECT_EQ(vdsConnectionView().service, nullptr);
}

}  // namespace
