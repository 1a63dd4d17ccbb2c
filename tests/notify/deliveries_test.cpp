#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "notify/deliveries.h"

namespace {

using namespace std::chrono_literals;

// Each case gets a fresh set, so generations start from the beginning.
class DeliveriesTest : public ::testing::Test {
protected:
    Deliveries deliveries;
};

TEST_F(DeliveriesTest, OnlyTheOpenGenerationDelivers) {
    EXPECT_EQ(deliveries.begin(0), nullptr) << "nothing was opened";
    const unsigned first = deliveries.open();
    const unsigned second = deliveries.open();
    EXPECT_NE(first, second);
    EXPECT_EQ(deliveries.begin(first), nullptr) << "a sink of an earlier connection";
    EXPECT_NE(deliveries.begin(second), nullptr);
    deliveries.close();
    EXPECT_EQ(deliveries.begin(second), nullptr);
    EXPECT_EQ(deliveries.active(), 0);
}

TEST_F(DeliveriesTest, ABatchCountsAsActiveOnItsThreadUntilItEnds) {
    const unsigned generation = deliveries.open();
    EXPECT_FALSE(Deliveries::deliveringOnThisThread());
    {
        auto batch = deliveries.begin(generation);
        ASSERT_NE(batch, nullptr);
        EXPECT_EQ(batch->target(), nullptr) << "no Java receiver was set";
        EXPECT_TRUE(Deliveries::deliveringOnThisThread());
        bool elsewhere = true;
        std::thread([&] { elsewhere = Deliveries::deliveringOnThisThread(); }).join();
        EXPECT_FALSE(elsewhere);
        EXPECT_EQ(deliveries.active(), 1);
    }
    EXPECT_FALSE(Deliveries::deliveringOnThisThread());
    EXPECT_EQ(deliveries.active(), 0);
}

TEST_F(DeliveriesTest, ClosingFromInsideABatchInJavaDoesNotWaitForIt) {
    const unsigned generation = deliveries.open();
    auto batch = deliveries.begin(generation);
    ASSERT_TRUE(batch->enterJava());
    deliveries.close();  // would hang if it waited for this thread's own batch
    EXPECT_EQ(deliveries.active(), 1) << "the batch in Java runs to its end";
    batch.reset();
    EXPECT_EQ(deliveries.active(), 0);
}

TEST_F(DeliveriesTest, ClosingWaitsForABatchStillOnItsWayAndKeepsItOutOfJava) {
    const unsigned generation = deliveries.open();
    std::promise<void> started;
    std::promise<void> proceed;
    std::atomic<bool> reachedJava{true};
    std::thread service([&] {
        auto batch = deliveries.begin(generation);
        started.set_value();
        proceed.get_future().wait();
        reachedJava = batch->enterJava();
    });
    started.get_future().wait();
    auto closing = std::async(std::launch::async, [&] { deliveries.close(); });
    EXPECT_EQ(closing.wait_for(50ms), std::future_status::timeout)
        << "close returned while a batch could still reach Java";
    proceed.set_value();
    closing.get();
    service.join();
    EXPECT_FALSE(reachedJava.load());
    EXPECT_EQ(deliveries.active(), 0);
}

TEST_F(DeliveriesTest, AbandoningStopsBatchesWithoutWaiting) {
    const unsigned generation = deliveries.open();
    auto preparing = deliveries.begin(generation);
    deliveries.abandon();  // a batch still on its way is not waited for
    EXPECT_FALSE(preparing->enterJava());
    EXPECT_EQ(deliveries.begin(generation), nullptr);
}

}  // namespace
