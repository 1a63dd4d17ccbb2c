// tolvane-capture: writes the machine that the VDS service it reaches shows
// as a topology file (docs/topology.md), on standard output or into -o FILE.
// On Windows that is the machine's own service; off Windows the simulated one
// (with TOLVANE_SIM_STATE, the machine that file keeps).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "capture_walker.h"
#include "model/guid_text.h"
#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"

namespace {

int usage() {
    std::fputs("usage: tolvane-capture [-o FILE]\n", stderr);
    return 2;
}

void fail(const char* what, HRESULT hr) {
    std::fprintf(stderr, "tolvane-capture: %s failed: 0x%08lX\n", what,
                 static_cast<unsigned long>(static_cast<std::uint32_t>(hr)));
}

std::size_t objects(const tolvane::sim::Model& m) { return m.kinds.size(); }

// Opens the service as any VDS client does: create, initialise for this
// machine, wait until it has found its storage.
HRESULT openService(ComPtr<IVdsService>& service) {
    HRESULT hr = CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service.putVoid());
    if (FAILED(hr)) return fail("CoCreateInstance(CLSID_VdsService)", hr), hr;
    ComPtr<IVdsServiceInitialization> init;
    hr = service.queryInterface(IID_IVdsServiceInitialization, init);
    if (hr != S_OK) return fail("QueryInterface(IVdsServiceInitialization)", hr), hr;
    hr = init->Initialize(nullptr);
    if (FAILED(hr)) return fail("IVdsServiceInitialization::Initialize", hr), hr;
    hr = service->WaitForServiceReady();
    if (FAILED(hr)) return fail("IVdsService::WaitForServiceReady", hr), hr;
    return S_OK;
}

int capture(const char* outPath) {
    ComPtr<IVdsService> service;
    if (FAILED(openService(service))) return 1;
    const tolvane::capture::Capture c = tolvane::capture::captureMachine(service.get());
    service.reset();
    const std::string text = tolvane::sim::writeTopologyText(c.model, c.notes);
    if (outPath != nullptr) {
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::fprintf(stderr, "tolvane-capture: cannot write %s\n", outPath);
            return 1;
        }
    } else if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        std::fputs("tolvane-capture: cannot write standard output\n", stderr);
        return 1;
    }
    std::string summary = "tolvane-capture: " + std::to_string(objects(c.model)) + " objects, " +
                          std::to_string(c.unreadable) + " calls unreadable\n";
    for (const auto& [id, notes] : c.notes)
        for (const auto& note : notes)
            summary += "  " + (tolvane::sim::isNullGuid(id) ? std::string("machine") : tolvane::sim::guidToText(id)) +
                       ": " + note + "\n";
    std::fputs(summary.c_str(), stderr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* outPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc)
            outPath = argv[++i];
        else
            return usage();
    }
    const HRESULT entered = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(entered)) return fail("CoInitializeEx", entered), 1;
    const int status = capture(outPath);
    CoUninitialize();
    return status;
}
