// What every command answers and logs, what it makes the service notify and
// how it leaves the machine, on each of the fault sweep's machines, held against a
// record kept in the tree. The simulated service's insides may be rebuilt;
// what a client sees of it may not move unnoticed. After a deliberate change
// of behaviour, run with TOLVANE_REPIN=1 to write the record anew and read
// its diff.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "commands/command_table.h"
#include "commands/created_packs.h"
#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"
#include "sample_requests.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "sweep_machines.h"
#include "tolvane.h"
#include "wide_text.h"

namespace {

class Fnv {
public:
    template <typename T>
    Fnv& add(const T& value) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
        for (std::size_t i = 0; i < sizeof value; ++i) byte(bytes[i]);
        return *this;
    }
    Fnv& add(const std::vector<unsigned char>& bytes) {
        for (unsigned char b : bytes) byte(b);
        return *this;
    }
    unsigned long long value() const { return hash_; }

private:
    void byte(unsigned char b) { hash_ = (hash_ ^ b) * 0x100000001B3ull; }
    unsigned long long hash_ = 0xCBF29CE484222325ull;
};

// Every field a client can read from a notification, never the padding
// between them.
void addNotice(Fnv& h, const VDS_NOTIFICATION& n) {
    h.add(n.objectType);
    switch (n.objectType) {
        case VDS_NTT_PACK: h.add(n.Pack.ulEvent).add(n.Pack.packId); break;
        case VDS_NTT_DISK: h.add(n.Disk.ulEvent).add(n.Disk.diskId); break;
        case VDS_NTT_VOLUME:
            h.add(n.Volume.ulEvent).add(n.Volume.volumeId).add(n.Volume.plexId).add(n.Volume.ulPercentCompleted);
            break;
        case VDS_NTT_PARTITION: h.add(n.Partition.ulEvent).add(n.Partition.diskId).add(n.Partition.ullOffset); break;
        case VDS_NTT_DRIVE_LETTER: h.add(n.Letter.ulEvent).add(n.Letter.wcLetter).add(n.Letter.volumeId); break;
        case VDS_NTT_FILE_SYSTEM:
            h.add(n.FileSystem.ulEvent).add(n.FileSystem.volumeId).add(n.FileSystem.dwPercentCompleted);
            break;
        case VDS_NTT_MOUNT_POINT: h.add(n.MountPoint.ulEvent).add(n.MountPoint.volumeId); break;
        case VDS_NTT_SUB_SYSTEM: h.add(n.SubSystem.ulEvent).add(n.SubSystem.subSystemId); break;
        case VDS_NTT_CONTROLLER: h.add(n.Controller.ulEvent).add(n.Controller.controllerId); break;
        case VDS_NTT_DRIVE: h.add(n.Drive.ulEvent).add(n.Drive.driveId); break;
        case VDS_NTT_LUN: h.add(n.Lun.ulEvent).add(n.Lun.LunId); break;
        case VDS_NTT_PORT: h.add(n.Port.ulEvent).add(n.Port.portId); break;
        case VDS_NTT_SERVICE: h.add(n.Service.ulEvent); break;
        default: break;
    }
}

class RecordingSink final : public IVdsAdviseSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IVdsAdviseSink) return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnNotify(LONG count, const VDS_NOTIFICATION* records) override {
        std::lock_guard lock(mutex_);
        for (LONG i = 0; i < count; ++i) addNotice(hash_, records[i]);
        count_ += count;
        return S_OK;
    }
    // What was delivered since the last call, as "count:hash".
    std::string take() {
        VdsSimWaitNotificationsDelivered();
        std::lock_guard lock(mutex_);
        char text[40];
        std::snprintf(text, sizeof text, "%ld:%016llx", count_, hash_.value());
        hash_ = Fnv{};
        count_ = 0;
        return text;
    }

private:
    std::mutex mutex_;
    Fnv hash_;
    long count_ = 0;
};

// A client of the service besides the library, listening to everything.
class Listener {
public:
    explicit Listener(RecordingSink& sink) {
        EXPECT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service_.putVoid()), S_OK);
        ComPtr<IVdsServiceInitialization> init;
        EXPECT_EQ(service_.queryInterface(IID_IVdsServiceInitialization, init), S_OK);
        if (init) init->Initialize(wideText(u"HOST"));
        if (service_) {
            EXPECT_EQ(service_->Advise(&sink, &cookie_), S_OK);
        }
    }
    ~Listener() {
        if (service_) service_->Unadvise(cookie_);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

private:
    ComPtr<IVdsService> service_;
    DWORD cookie_ = 0;
};

// What the command itself printed: the advise sink's lines, printed on its
// own thread whenever a notification lands, are taken out wherever they fell.
std::string commandLog(std::string printed) {
    static const char* const kSinkLines[] = {"Into OnNotify().................\n",
                                             "After JNI_GetCreatedJavaVMs OnNotify().................\n",
                                             "CVdsAdviseSink: Can not get the jvm"};
    for (const char* line : kSinkLines) {
        const std::string text = line;
        for (auto at = printed.find(text); at != std::string::npos; at = printed.find(text, at))
            printed.erase(at, text.size());
    }
    return printed;
}

std::string recordPath() { return std::string(TOLVANE_SOURCE_DIR) + "/tests/commands/pinned/behaviour.txt"; }

class BehaviourPin : public ServiceTest {};

TEST_F(BehaviourPin, EveryReplyNotificationAndMachineIsAsRecorded) {
#if defined(_WIN32)
    GTEST_SKIP() << "the record is of the machines off Windows, in UTF-8";
#endif
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
    std::ostringstream record;
    for (const SweepMachineInfo& machine : sweepMachines()) {
        capturedStdout([] { vdsUninitialize(); });
        if (!loadSweepMachine(machine.machine)) continue;
        connect();
        RecordingSink sink;
        Listener listener(sink);
        sink.take();
        for (const CommandRow& row : vdsCommandTable()) {
            const auto request = sampleRequest(row.code);
            if (!request) continue;
            const auto undo = prepareSample(row.code);
            VdsSimWaitIdle();
            const std::string prepared = sink.take();
            const Reply reply = runCommand(*request);
            vdsGiveBackAllCreatedPacks();
            VdsSimWaitIdle();  // what the hardware then does by itself is part of the step
            const std::string told = sink.take();
            const std::string log = commandLog(reply.printed);
            const std::vector<unsigned char> printed(log.begin(), log.end());
            char line[240];
            std::snprintf(line, sizeof line, "%s %04X %d %d %016llx log %016llx prepared %s told %s machine %016llx\n",
                          machine.name, static_cast<unsigned>(row.code), reply.null ? -1 : reply.status(),
                          reply.outSize, Fnv{}.add(reply.bytes).value(), Fnv{}.add(printed).value(), prepared.c_str(),
                          told.c_str(), VdsSimModelDigest());
            record << line;
            undo();
        }
    }
    capturedStdout([] { vdsUninitialize(); });
    CoUninitialize();

    if (const char* repin = std::getenv("TOLVANE_REPIN"); repin != nullptr && *repin == '1') {
        std::ofstream(recordPath()) << record.str();
        GTEST_SKIP() << "wrote " << recordPath();
    }
    std::ifstream file(recordPath());
    ASSERT_TRUE(file) << "no record at " << recordPath() << " (TOLVANE_REPIN=1 writes one)";
    std::stringstream kept;
    kept << file.rdbuf();
    std::istringstream want(kept.str()), got(record.str());
    std::string wantLine, gotLine;
    int line = 0;
    while (std::getline(want, wantLine)) {
        ++line;
        std::getline(got, gotLine);
        EXPECT_EQ(gotLine, wantLine) << "line " << line;
    }
    EXPECT_FALSE(std::getline(got, gotLine)) << "more steps than recorded, from line " << line + 1;
}

}  // namespace
