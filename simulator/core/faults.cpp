#include "core/faults.h"

namespace tolvane::sim {

void Faults::failCall(const std::string& method, int nth, HRESULT hr) {
    std::lock_guard lock(mutex_);
    calls_[method] = CallFault{nth < 0 ? 0 : nth, 0, hr};
}

void Faults::failWait(const std::string& method, HRESULT hr) {
    std::lock_guard lock(mutex_);
    waits_[method] = hr;
}

void Faults::refuseInterface(const GUID& object, const IID& iid) {
    std::lock_guard lock(mutex_);
    refused_.insert({guidToText(object), guidToText(iid)});
}

void Faults::failProperties(const GUID& object, HRESULT hr) {
    std::lock_guard lock(mutex_);
    properties_[object] = hr;
}

void Faults::succeedWith(const std::string& method, HRESULT hr) {
    std::lock_guard lock(mutex_);
    successes_[method] = hr;
}

void Faults::clear() {
    std::lock_guard lock(mutex_);
    successes_.clear();
    calls_.clear();
    waits_.clear();
    refused_.clear();
    properties_.clear();
}

std::optional<HRESULT> Faults::onCall(const std::string& method) {
    std::lock_guard lock(mutex_);
    auto it = calls_.find(method);
    if (it == calls_.end()) return std::nullopt;
    CallFault& f = it->second;
    ++f.calls;
    if (f.nth == 0 || f.calls == f.nth) return f.hr;
    return std::nullopt;
}

std::optional<HRESULT> Faults::waitOutcome(const std::string& method) const {
    std::lock_guard lock(mutex_);
    auto it = waits_.find(method);
    if (it == waits_.end()) return std::nullopt;
    return it->second;
}

bool Faults::refuses(const GUID& object, const IID& iid) const {
    std::lock_guard lock(mutex_);
    // Every QueryInterface asks; spare it the formatting when nothing is refused.
    if (refused_.empty()) return false;
    return refused_.count({guidToText(object), guidToText(iid)}) != 0;
}

std::optional<HRESULT> Faults::propertiesOutcome(const GUID& object) const {
    std::lock_guard lock(mutex_);
    auto it = properties_.find(object);
    if (it == properties_.end()) return std::nullopt;
    return it->second;
}

HRESULT Faults::successCode(const std::string& method) const {
    std::lock_guard lock(mutex_);
    // Every call asks; spare it the lookup when no test set a code.
    if (successes_.empty()) return S_OK;
    auto it = successes_.find(method);
    return it == successes_.end() ? S_OK : it->second;
}

}  // namespace tolvane::sim
