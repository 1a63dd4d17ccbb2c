// Load: eight threads send the sample requests of every implemented command
// (queries and changes alike) in random order while the service delivers
// notification batches and another thread keeps rescanning. Whatever the
// interleaving, every reply keeps its shape, no change may break the
// machine's rules, and every reference comes back.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "all_samples.h"
#include "commands/created_packs.h"
#include "reply_check.h"
#include "service_fixture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSenders = 8;
constexpr int kRecordSize = 48;

// Seconds of load; TOLVANE_STRESS_SECONDS lengthens a run by hand.
std::chrono::milliseconds loadTime() {
    const char* text = std::getenv("TOLVANE_STRESS_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return std::chrono::milliseconds(seconds > 0 ? seconds * 1000 : 3000);
}

// The library logs every command: under load that is megabytes nobody reads.
class SilencedStdout {
public:
    SilencedStdout() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int sink = open("/dev/null", O_WRONLY);
        dup2(sink, STDOUT_FILENO);
        close(sink);
    }
    ~SilencedStdout() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    SilencedStdout(const SilencedStdout&) = delete;
    SilencedStdout& operator=(const SilencedStdout&) = delete;

private:
    int saved_ = -1;
};

// Faults seen on any thread, reported once the threads are joined.
class Faults {
public:
    void add(std::string fault) {
        std::lock_guard lock(mutex_);
        if (faults_.size() < 20) faults_.push_back(std::move(fault));
    }
    std::vector<std::string> all() {
        std::lock_guard lock(mutex_);
        return faults_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> faults_;
};

// What the simulated service answers (E_UNEXPECTED) for a change that would
// break the machine's rules; test builds check the rules after every change.
constexpr std::uint32_t kBrokeTheRules = 0x8000FFFFu;

std::uint32_t word(const unsigned char* bytes) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

// Sends one request as the Java side would and checks the reply's shape.
bool send(std::vector<unsigned char> request, Faults& faults) {
    int outSize = kOutSizeUntouched;
    unsigned char* out = vdsCmdHandler(request.data(), static_cast<int>(request.size()), &outSize);
    const bool answered = out != nullptr && outSize >= 12;
    if (auto broken = replyFault(request.data(), request.size(), out, outSize)) faults.add(*broken);
    if (answered && word(out + 8) == kBrokeTheRules)
        faults.add("a change broke the machine's rules (command " + std::to_string(word(out) >> 16) + ")");
    const bool succeeded = answered && word(out + 4) == 0;
    vdsFreeOutput(out);
    return succeeded;
}

std::vector<unsigned char> records(int count, int batch) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * kRecordSize);
    for (int i = 0; i < count; ++i) {
        bytes[static_cast<std::size_t>(i) * kRecordSize] = 11;  // pack notifications
        bytes[static_cast<std::size_t>(i) * kRecordSize + 4] = static_cast<unsigned char>(batch);
        bytes[static_cast<std::size_t>(i) * kRecordSize + 8] = 1;
    }
    return bytes;
}

class LoadWithNotifications : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        VdsSimJournalEnable(0);
        connect();
    }
};

TEST_F(LoadWithNotifications, RepliesKeepTheirShapeAndTheMachineItsRules) {
    const auto samples = allSampleRequests();
    ASSERT_FALSE(samples.empty());
    Faults faults;
    std::atomic<bool> stop{false};
    std::atomic<long> sent{0}, succeeded{0}, batches{0}, rescans{0};

    {
        SilencedStdout silenced;
        std::vector<std::thread> threads;
        for (int t = 0; t < kSenders; ++t) {
            threads.emplace_back([&, t] {
                std::mt19937 random(static_cast<unsigned>(1000 + t));
                std::uniform_int_distribution<std::size_t> pick(0, samples.size() - 1);
                while (!stop) {
                    if (send(samples[pick(random)], faults)) ++succeeded;
                    ++sent;
                }
            });
        }
        threads.emplace_back([&] {
            for (int batch = 1; !stop; ++batch) {
                const int count = batch % 40;
                const auto bytes = records(count, batch);
                VdsSimFireNotifications(bytes.data(), count);
                ++batches;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        threads.emplace_back([&] {
            // Paced as an operator's rescans are: each one queues notifications
            // of its own, and an unpaced loop only measures that queue.
            while (!stop) {
                send(RequestBytes(0x1002).data(), faults);
                ++rescans;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        std::this_thread::sleep_for(loadTime());
        stop = true;
        for (std::thread& thread : threads) thread.join();
        VdsSimWaitNotificationsDelivered();
    }

    for (const std::string& fault : faults.all()) ADD_FAILURE() << fault;
    EXPECT_GT(succeeded.load(), 0);
    EXPECT_GT(batches.load(), 0);
    EXPECT_GT(rescans.load(), 0);
    vdsGiveBackAllCreatedPacks();
    EXPECT_EQ(VdsSimLiveReferences(), 0) << "references left behind";
    std::printf("%ld requests (%ld succeeded), %ld batches, %ld rescans\n", sent.load(), succeeded.load(),
                batches.load(), rescans.load());
}

}  // namespace
