// What a change of the machine is: a function over the model that edits it
// in place, adds the notifications it owes and answers a VDS result code,
// with what it gives back besides (the object it made, where a partition
// starts) in a typed output. No COM, locks or threads inside; whoever runs it
// makes it a transaction (the service's core: open, apply, check, commit or
// undo).
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "model/model.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

using Batch = std::vector<VDS_NOTIFICATION>;

// What a change gives back besides its result. Set even when the change is
// refused where the call reports something then too (each disk's result of
// a migration).
struct ChangeOutput {
    GUID made{};                     // the pack, LUN or volume it made
    std::uint64_t offset = 0;        // where the partition it made starts
    std::uint64_t reclaimed = 0;     // the bytes a shrink gave back
    std::vector<HRESULT> perDisk;    // each disk's result, in the order asked
    bool rebootNeeded = false;
    // LUNs the subsystem looks after by itself once the change is committed
    // (stand-ins for failed drives, rebuilds), on the service's worker.
    std::vector<GUID> lunsToRecover;
};

class ChangeFunction {
public:
    using Apply = std::function<HRESULT(Model&, Batch&, ChangeOutput&)>;

    ChangeFunction() = default;
    ChangeFunction(Apply apply) : apply_(std::move(apply)) {}  // NOLINT: a change is its function
    // Most changes give nothing back besides their result.
    template <typename F>
        requires std::invocable<F&, Model&, Batch&> && (!std::invocable<F&, Model&, Batch&, ChangeOutput&>)
    ChangeFunction(F f)  // NOLINT
        : apply_([f = std::move(f)](Model& m, Batch& out, ChangeOutput&) mutable { return f(m, out); }) {}

    HRESULT operator()(Model& m, Batch& out, ChangeOutput& output) const { return apply_(m, out, output); }
    HRESULT operator()(Model& m, Batch& out) const {
        ChangeOutput unused;
        return apply_(m, out, unused);
    }
    explicit operator bool() const { return static_cast<bool>(apply_); }

private:
    Apply apply_;
};

}  // namespace tolvane::sim
