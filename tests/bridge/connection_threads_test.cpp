// These tests watch the COM stand-in's apartment bookkeeping and Linux file
// descriptors; on Windows the real COM runtime keeps that to itself.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "apartment_state.h"
#include "bridge/connection.h"
#include "notify/deliveries.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

using tolvane::compat::multithreadedApartmentMembers;
using tolvane::compat::threadHasEnteredCom;

class ConnectionThreads : public ServiceTest {};

// Sends standard output to /dev/null while many threads print at once.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = ::dup(1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(saved_, 1);
        ::close(saved_);
    }

private:
    int saved_ = -1;
};

// A reply is well formed when it is at least a header, names its command and,
// for a list that succeeded, carries a non-negative count.
bool wellFormed(int code, bool list, const unsigned char* reply, int size) {
    if (reply == nullptr || size < 12) return false;
    std::int16_t cmd = 0;
    std::int32_t status = 0;
    std::memcpy(&cmd, reply + 2, 2);
    std::memcpy(&status, reply + 4, 4);
    if (static_cast<std::uint16_t>(cmd) != code) return false;
    if (status != 0 || !list) return true;
    std::int16_t count = 0;
    std::memcpy(&count, reply + 12, 2);
    return size >= 14 && count >= 0;
}

TEST_F(ConnectionThreads, CommandsRunSafelyWhileTheConnectionClosesAndOpens) {
    struct Request {
        std::vector<unsigned char> bytes;
        bool list;
    };
    const std::vector<Request> requests = {
        {RequestBytes(0x0091).data(), true},
        {RequestBytes(0x0400).data(), true},
        {RequestBytes(0x0092).guid(4, guidOf("10000000-0000-4000-8000-000000000001")).data(), true},
        {RequestBytes(0x1002).data(), false},
    };
    std::atomic<bool> done{false};
    std::atomic<long> malformed{0};
    std::atomic<long> answered{0};
    {
        QuietStdout quiet;
        std::vector<std::thread> senders;
        for (int t = 0; t < 8; ++t) {
            senders.emplace_back([&, t] {
                for (std::size_t i = t; !done.load(); ++i) {
                    const Request& r = requests[i % requests.size()];
                    std::vector<unsigned char> request = r.bytes;
                    const int code = request[2] | (request[3] << 8);
                    int outSize = 0;
                    unsigned char* reply =
                        vdsCmdHandler(request.data(), static_cast<int>(request.size()), &outSize);
                    if (!wellFormed(code, r.list, reply, outSize)) ++malformed;
                    ++answered;
                    vdsFreeOutput(reply);
                    std::this_thread::yield();
                }
            });
        }
        for (int i = 0; i < 1000; ++i) {
            const int result = vdsInitialize();
            if (result != 0) ADD_FAILURE() << "open " << i << " answered " << result;
            vdsUninitialize();
        }
        done = true;
        for (auto& s : senders) s.join();
    }
    EXPECT_EQ(malformed.load(), 0) << "of " << answered.load() << " replies";
    EXPECT_EQ(VdsSimServiceReferences(), 0);
    EXPECT_EQ(VdsSimLiveReferences(), 0);
    EXPECT_EQ(VdsSimAdvisedSinks(), 0);
    EXPECT_EQ(multithreadedApartmentMembers(), 0);
}

TEST_F(ConnectionThreads, OpeningAndClosingOnDifferentThreadsLeavesEachThreadsComAsItWas) {
    bool openerLeftInCom = true;
    std::thread([&] {
        connect();
        openerLeftInCom = threadHasEnteredCom();
    }).join();
    EXPECT_FALSE(openerLeftInCom);
    EXPECT_EQ(multithreadedApartmentMembers(), 1) << "the connection keeps the apartment";

    // A closer that is in the apartment on its own account stays in it.
    bool closerStillInCom = false;
    std::thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        capturedStdout([] { vdsUninitialize(); });
        closerStillInCom = threadHasEnteredCom();
        CoUninitialize();
    }).join();
    EXPECT_TRUE(closerStillInCom);
    EXPECT_EQ(multithreadedApartmentMembers(), 0);
}

TEST_F(ConnectionThreads, CommandsOnThreadsOutsideComReachTheOpenService) {
    connect();
    Reply reply;
    std::thread([&] { reply = runCommand(RequestBytes(0x0400).data()); }).join();
    EXPECT_EQ(reply.status(), 0);
    EXPECT_GT(reply.int16(12), 0);
}

TEST_F(ConnectionThreads, AClosedConnectionGivesNoServiceReference) {
    EXPECT_FALSE(vdsServiceReference());
    connect();
    {
        ComPtr<IVdsService> held = vdsServiceReference();
        ASSERT_TRUE(held);
        EXPECT_EQ(VdsSimServiceReferences(), 2);
        capturedStdout([] { vdsUninitialize(); });
        EXPECT_FALSE(vdsServiceReference());
        EXPECT_EQ(VdsSimServiceReferences(), 1) << "the command's reference outlives the connection";
    }
    EXPECT_EQ(VdsSimServiceReferences(), 0);
}

// Closing while a batch is in Java hands the rest to a closing thread; opening
// again from inside that batch would wait for itself and is refused.
TEST_F(ConnectionThreads, ReopeningFromInsideABatchThatOutlivedItsConnectionIsRefused) {
    connect();
    auto batch = vdsDeliveries().begin(vdsConnectionView().sink->generation());
    ASSERT_NE(batch, nullptr);
    ASSERT_TRUE(batch->enterJava());
    capturedStdout([] { vdsUninitialize(); });
    int result = 0;
    capturedStdout([&] { result = vdsInitialize(); });
    EXPECT_EQ(static_cast<std::uint32_t>(result), 0x8001010Du);
    batch.reset();
    capturedStdout([&] { result = vdsInitialize(); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(VdsSimAdvisedSinks(), 1) << "the earlier sink was unregistered before the new one";
}

}  // namespace

#endif  // !defined(_WIN32)
