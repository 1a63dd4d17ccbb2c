// Every test program of the Windows lane registers the simulated service with
// Wine's COM runtime before its first test, from the main thread in the
// multithreaded apartment, as the real service is reached from the JVM's
// threads. Registration is an explicit call here rather than TolvaneSim.dll's
// own doing: a DLL's load runs under the loader lock, which COM's threads need.
#include <gtest/gtest.h>

#include "platform/com_types.h"
#include "vds_sim.h"

namespace {

class SimulatedServiceRegistration : public ::testing::Environment {
public:
    void SetUp() override {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
        entered_ = true;
        ASSERT_EQ(VdsSimRegister(), S_OK);
    }
    void TearDown() override {
        EXPECT_EQ(VdsSimRevoke(), S_OK);
        if (entered_) CoUninitialize();
    }

private:
    bool entered_ = false;
};

[[maybe_unused]] ::testing::Environment* const g_registration =
    ::testing::AddGlobalTestEnvironment(new SimulatedServiceRegistration);

}  // namespace
