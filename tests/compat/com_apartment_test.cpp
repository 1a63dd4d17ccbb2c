#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/com_types.h"

namespace {

// One call on the thread: enter an apartment (expecting a result) or leave.
struct Step {
    enum Kind { Enter, Leave } kind;
    DWORD model = COINIT_MULTITHREADED;
    HRESULT expected = S_OK;
};

constexpr DWORD kMta = COINIT_MULTITHREADED;
constexpr DWORD kSta = COINIT_APARTMENTTHREADED;

Step enter(DWORD model, HRESULT expected) { return {Step::Enter, model, expected}; }
Step leave() { return {Step::Leave}; }

struct ApartmentCase {
    const char* name;
    std::vector<Step> steps;
};

// Runs the steps on a fresh thread, then leaves whatever is still entered so
// the next case starts clean.
void runOnNewThread(const ApartmentCase& c) {
    std::thread([&c] {
        unsigned entered = 0;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            if (step.kind == Step::Leave) {
                CoUninitialize();
                if (entered > 0) --entered;
                continue;
            }
            HRESULT hr = CoInitializeEx(nullptr, step.model);
            EXPECT_EQ(hr, step.expected) << c.name << ", step " << i;
            if (SUCCEEDED(hr)) ++entered;
        }
        while (entered-- > 0) CoUninitialize();
    }).join();
}

TEST(ComApartment, FollowsTheRulesOfEachSequence) {
    const ApartmentCase cases[] = {
        {"multithreaded twice", {enter(kMta, S_OK), enter(kMta, S_FALSE)}},
        {"single-threaded twice", {enter(kSta, S_OK), enter(kSta, S_FALSE)}},
        {"sta then mta", {enter(kSta, S_OK), enter(kMta, RPC_E_CHANGED_MODE)}},
        {"mta then sta", {enter(kMta, S_OK), enter(kSta, RPC_E_CHANGED_MODE)}},
        {"left completely, other model allowed",
         {enter(kMta, S_OK), leave(), enter(kSta, S_OK)}},
        {"S_FALSE must be balanced too",
         {enter(kMta, S_OK), enter(kMta, S_FALSE), leave(), enter(kSta, RPC_E_CHANGED_MODE),
          leave(), enter(kSta, S_OK)}},
        {"a refused call takes nothing",
         {enter(kMta, S_OK), enter(kSta, RPC_E_CHANGED_MODE), leave(), enter(kSta, S_OK)}},
        {"unbalanced leave is ignored", {leave(), enter(kSta, S_OK), enter(kSta, S_FALSE)}},
    };
    for (const ApartmentCase& c : cases) runOnNewThread(c);
}

TEST(ComApartment, EachThreadHasItsOwnApartment) {
    std::thread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, kSta), S_OK);
        std::thread([] {
            EXPECT_EQ(CoInitializeEx(nullptr, kMta), S_OK);
            CoUninitialize();
        }).join();
        CoUninitialize();
    }).join();
}

TEST(ComApartment, RefusesAReservedPointer) {
    std::thread([] {
        int reserved = 0;
        EXPECT_EQ(CoInitializeEx(&reserved, kMta), E_INVALIDARG);
        EXPECT_EQ(CoInitializeEx(nullptr, kSta), S_OK) << "the refused call entered nothing";
        CoUninitialize();
    }).join();
}

}  // namespace
