#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "apartment_state.h"
#include "platform/com_types.h"

namespace {

using tolvane::compat::multithreadedApartmentMembers;
using tolvane::compat::threadMayCallCom;

// Keeps the multithreaded apartment alive on a thread of its own until told to leave.
class ApartmentHolder {
public:
    explicit ApartmentHolder(DWORD model) {
        thread_ = std::thread([this, model] {
            EXPECT_EQ(CoInitializeEx(nullptr, model), S_OK);
            std::unique_lock lock(mutex_);
            entered_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return leave_; });
            lock.unlock();
            CoUninitialize();
        });
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }
    ~ApartmentHolder() {
        {
            std::lock_guard lock(mutex_);
            leave_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool leave_ = false;
    std::thread thread_;
};

bool mayCallOnNewThread() {
    bool may = false;
    std::thread([&] { may = threadMayCallCom(); }).join();
    return may;
}

TEST(ImplicitApartment, AThreadOutsideComMayCallOnlyWhileAnotherKeepsTheApartment) {
    ASSERT_EQ(multithreadedApartmentMembers(), 0);
    EXPECT_FALSE(mayCallOnNewThread());
    {
        ApartmentHolder holder(COINIT_MULTITHREADED);
        EXPECT_EQ(multithreadedApartmentMembers(), 1);
        EXPECT_TRUE(mayCallOnNewThread());
    }
    EXPECT_EQ(multithreadedApartmentMembers(), 0);
    EXPECT_FALSE(mayCallOnNewThread());
}

TEST(ImplicitApartment, ASingleThreadedApartmentLendsNothingToOthers) {
    ApartmentHolder holder(COINIT_APARTMENTTHREADED);
    EXPECT_EQ(multithreadedApartmentMembers(), 0);
    EXPECT_FALSE(mayCallOnNewThread());
}

TEST(ImplicitApartment, MembershipEndsOnlyWithTheLastBalancedLeave) {
    std::thread([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        EXPECT_EQ(multithreadedApartmentMembers(), 1);
        CoUninitialize();
        EXPECT_EQ(multithreadedApartmentMembers(), 0);
        CoUninitialize();  // unbalanced: ignored, never negative
        EXPECT_EQ(multithreadedApartmentMembers(), 0);
    }).join();
}

}  // namespace
