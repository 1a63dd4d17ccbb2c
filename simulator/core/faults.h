// Failures that tests ask the service to produce: a method's nth call, the
// outcome of an asynchronous operation, an interface an object refuses, the
// properties of one object.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

#include "model/guid_text.h"
#include "platform/com_types.h"

namespace tolvane::sim {

class Faults {
public:
    // nth is 1-based and counted from now; 0 fails every call.
    void failCall(const std::string& method, int nth, HRESULT hr);
    void failWait(const std::string& method, HRESULT hr);
    void refuseInterface(const GUID& object, const IID& iid);
    void failProperties(const GUID& object, HRESULT hr);
    // Every call of `method` does its work and then answers `hr`, a success
    // code other than S_OK, as the real service may.
    void succeedWith(const std::string& method, HRESULT hr);
    void clear();

    // Counts the call and answers the failure it must produce, if any.
    std::optional<HRESULT> onCall(const std::string& method);
    std::optional<HRESULT> waitOutcome(const std::string& method) const;
    bool refuses(const GUID& object, const IID& iid) const;
    std::optional<HRESULT> propertiesOutcome(const GUID& object) const;
    // What a call that did its work answers: S_OK, or the success code set for it.
    HRESULT successCode(const std::string& method) const;

private:
    struct CallFault {
        int nth = 0;
        int calls = 0;
        HRESULT hr = 0;
    };
    mutable std::mutex mutex_;
    std::map<std::string, CallFault> calls_;
    std::map<std::string, HRESULT> waits_;
    std::set<std::pair<std::string, std::string>> refused_;
    std::unordered_map<GUID, HRESULT, GuidHash> properties_;
    std::map<std::string, HRESULT> successes_;
};

}  // namespace tolvane::sim
