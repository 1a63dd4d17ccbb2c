// Scenarios on the pure layer: a list of changes applied to one machine in
// turn, as the service's core applies each (open, apply, check what was
// touched, commit or undo). A refused step must leave the machine exactly as
// it was and tell nothing; a committed one must keep every rule.
#pragma once

#include <gmock/gmock.h>

#include <functional>
#include <optional>
#include <vector>

#include "model/change.h"
#include "model/model_digest.h"
#include "model/model_rules.h"
#include "notice.h"

namespace simmodel {

using tolvane::sim::Batch;
using tolvane::sim::ChangeFunction;
using tolvane::sim::ChangeOutput;
using tolvane::sim::Model;

struct Step {
    const char* what;
    std::function<ChangeFunction()> call;
    HRESULT expected;
    // What it tells, and the offsets its partition notifications carry, in
    // order; not compared when absent.
    std::optional<std::vector<simtest::Notice>> told = std::nullopt;
    std::vector<std::uint64_t> partitionOffsets = {};
    std::function<void(const Model&, const ChangeOutput&)> check = nullptr;
};

// As the service's core runs a change.
inline HRESULT apply(Model& m, const ChangeFunction& change, Batch& out, ChangeOutput& output) {
    m.openChange();
    HRESULT hr = change(m, out, output);
    if (SUCCEEDED(hr) && tolvane::sim::findTouchedRuleBreak(m)) hr = E_UNEXPECTED;
    if (FAILED(hr))
        m.undoChange();
    else
        m.commitChange();
    return hr;
}

inline void run(Model& m, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::uint64_t before = tolvane::sim::modelDigest(m);
        Batch batch;
        ChangeOutput output;
        const HRESULT hr = apply(m, step.call(), batch, output);
        ASSERT_EQ(hr, step.expected);
        std::vector<simtest::Notice> told;
        std::vector<std::uint64_t> offsets;
        for (const auto& n : batch) {
            told.push_back(simtest::noticeOf(n));
            if (n.objectType == VDS_NTT_PARTITION) offsets.push_back(n.Partition.ullOffset);
        }
        if (FAILED(hr)) {
            EXPECT_EQ(tolvane::sim::modelDigest(m), before) << "a refused change left a trace";
            EXPECT_THAT(told, ::testing::IsEmpty()) << "a refused change is never told";
            continue;
        }
        if (step.told) {
            EXPECT_EQ(told, *step.told);
            EXPECT_EQ(offsets, step.partitionOffsets);
        }
        EXPECT_EQ(tolvane::sim::checkModelRules(m), std::nullopt);
        if (step.check) step.check(m, output);
    }
}

}  // namespace simmodel
