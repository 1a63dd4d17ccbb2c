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
    // order; neither compared when absent (empty).
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

// What a step answered, told and gave back.
struct Judged {
    HRESULT hr;
    Batch batch;
    ChangeOutput output;
};

// Applies one step and judges it as every step is judged: the answer it
// states; a refused change leaves no trace and tells nothing; a committed one
// keeps every rule and tells what the step states, partition notices at the
// offsets it names (when it names any).
inline Judged judge(Model& m, const Step& step) {
    const std::uint64_t before = tolvane::sim::modelDigest(m);
    Judged j{E_FAIL, {}, {}};
    j.hr = apply(m, step.call(), j.batch, j.output);
    EXPECT_EQ(j.hr, step.expected);
    std::vector<simtest::Notice> told;
    std::vector<std::uint64_t> offsets;
    for (const auto& n : j.batch) {
        told.push_back(simtest::noticeOf(n));
        if (n.objectType == VDS_NTT_PARTITION) offsets.push_back(n.Partition.ullOffset);
    }
    if (FAILED(j.hr)) {
        EXPECT_EQ(tolvane::sim::modelDigest(m), before) << "a refused change left a trace";
        EXPECT_THAT(told, ::testing::IsEmpty()) << "a refused change is never told";
        return j;
    }
    if (step.told) {
        EXPECT_EQ(told, *step.told);
    }
    if (!step.partitionOffsets.empty()) {
        EXPECT_EQ(offsets, step.partitionOffsets);
    }
    EXPECT_EQ(tolvane::sim::checkModelRules(m), std::nullopt);
    return j;
}

// A scenario stops at the first step that answers otherwise than stated.
inline void run(Model& m, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const Judged j = judge(m, step);
        if (j.hr != step.expected) return;
        if (SUCCEEDED(j.hr) && step.check) step.check(m, j.output);
    }
}

}  // namespace simmodel
