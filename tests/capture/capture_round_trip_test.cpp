// tolvane-capture's walk, tested by what it is for: a machine captured
// through VDS calls and loaded again is the machine it was taken from (the
// same digest of everything VDS can read), for the built-in machine, every
// description in the tree, generated machines with names outside ASCII, and
// machines that changes through the service have reshaped. What the walk
// cannot read it says, on the object, and goes on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "capture_walker.h"
#include "default_machine.h"
#include "generate/machine_generator.h"
#include "model/model_digest.h"
#include "model/model_edit.h"
#include "model/model_rules.h"
#include "model/topology_loader.h"
#include "model/topology_writer.h"
#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"
#include "simulated_machine.h"
#include "vds_sim.h"
#include "wide_text.h"

namespace {

using namespace tolvane;
constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;

std::string machineText() {
    std::string text(VdsSimTopologyJson(nullptr, 0) + 1, '\0');
    VdsSimTopologyJson(text.data(), text.size());
    text.resize(text.size() - 1);
    return text;
}

sim::Model loaded(const std::string& text, const char* source) {
    std::string error;
    auto m = sim::loadTopologyText(text, source, error);
    EXPECT_TRUE(m) << error;
    return m ? std::move(*m) : sim::Model{};
}

// A client of the service of its own, as tolvane-capture is one.
ComPtr<IVdsService> openService() {
    ComPtr<IVdsService> service;
    EXPECT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service.putVoid()), S_OK);
    ComPtr<IVdsServiceInitialization> init;
    if (service) {
        EXPECT_EQ(service.queryInterface(IID_IVdsServiceInitialization, init), S_OK);
    }
    if (init) {
        EXPECT_EQ(init->Initialize(nullptr), S_OK);
    }
    return service;
}

capture::Capture captured() {
    auto service = openService();
    return service ? capture::captureMachine(service.get()) : capture::Capture{};
}

template <typename I>
ComPtr<I> object(IVdsService* service, const char* id, VDS_OBJECT_TYPE type) {
    ComPtr<IUnknown> unk;
    EXPECT_EQ(service->GetObject(machine::id(id), type, unk.put()), S_OK) << id;
    ComPtr<I> out;
    if (unk) unk.queryInterface(vdsIidOf<I>(), out);
    return out;
}

VDS_ASYNC_OUTPUT waited(IVdsAsync* op, HRESULT called, const char* what) {
    VDS_ASYNC_OUTPUT out{};
    EXPECT_EQ(called, S_OK) << what;
    if (op == nullptr) return out;
    ComPtr<IVdsAsync> held(op);
    HRESULT result = E_FAIL;
    EXPECT_EQ(held->Wait(&result, &out), S_OK) << what;
    EXPECT_EQ(result, S_OK) << what;
    return out;
}

// --- Changes through the service, as a client makes them ------------------

void makeMirroredLun(IVdsService* s) {
    auto sub = object<IVdsSubSystem>(s, machine::text::kSubSystem, VDS_OT_SUB_SYSTEM);
    IVdsAsync* op = nullptr;
    const HRESULT hr = sub->CreateLun(VDS_LT_MIRROR, 8 * kGiB, nullptr, 0, wideText(u"*"), nullptr, &op);
    // The new LUN comes with a reference of the caller's own.
    ComPtr<IUnknown> made(waited(op, hr, "CreateLun").cl.pLunUnk);
}

void failDriveAndRebuild(IVdsService*) {
    const GUID drive = machine::id(machine::text::kDrive2);
    EXPECT_EQ(VdsSimSetStatus(&drive, VDS_DRS_FAILED), S_OK);
    VdsSimWaitIdle();
}

void reassociateBootLun(IVdsService* s) {
    auto lun = object<IVdsLun>(s, machine::text::kBootLun, VDS_OT_LUN);
    const GUID active = machine::kControllerB;
    const GUID inactive = machine::kControllerA;
    EXPECT_EQ(lun->AssociateControllers(&active, 1, &inactive, 1), S_OK);
}

// The unallocated disk into a pack of its own, a partition made a volume,
// formatted with a label outside ASCII, lettered and mounted in a folder.
void makeFormattedVolume(IVdsService* s) {
    auto provider = object<IVdsSwProvider>(s, machine::text::kBasicProvider, VDS_OT_PROVIDER);
    ComPtr<IVdsPack> pack;
    ASSERT_EQ(provider->CreatePack(pack.put()), S_OK);
    ASSERT_EQ(pack->AddDisk(machine::kRawDisk, VDS_PST_GPT, FALSE), S_OK);
    auto disk = object<IVdsAdvancedDisk>(s, machine::text::kRawDisk, VDS_OT_DISK);
    CREATE_PARTITION_PARAMETERS params{};
    params.style = VDS_PST_GPT;
    params.GptPartInfo.partitionType = sim::kGptBasicData;
    IVdsAsync* op = nullptr;
    HRESULT hr = disk->CreatePartition(129 * kMiB, 4 * kGiB, &params, &op);
    const GUID made = waited(op, hr, "CreatePartition").cp.volumeId;
    ComPtr<IUnknown> unk;
    ASSERT_EQ(s->GetObject(made, VDS_OT_VOLUME, unk.put()), S_OK);
    ComPtr<IVdsVolumeMF> volume;
    ASSERT_EQ(unk.queryInterface(IID_IVdsVolumeMF, volume), S_OK);
    op = nullptr;
    hr = volume->Format(VDS_FST_NTFS, wideText(u"Données ✓ 𝄞"), 8192, TRUE, TRUE, FALSE, &op);
    waited(op, hr, "Format");
    EXPECT_EQ(volume->AddAccessPath(wideText(u"S:\\")), S_OK);
    EXPECT_EQ(volume->AddAccessPath(wideText(u"C:\\Données\\")), S_OK);
}

void dismountF(IVdsService* s) {
    auto volume = object<IVdsVolumeMF>(s, machine::text::kVolumeF, VDS_OT_VOLUME);
    EXPECT_EQ(volume->Dismount(TRUE, FALSE), S_OK);
}

void removeArchiveFolder(IVdsService* s) {
    auto volume = object<IVdsVolumeMF>(s, machine::text::kArchiveVolume, VDS_OT_VOLUME);
    EXPECT_EQ(volume->DeleteAccessPath(wideText(u"C:\\Archive\\"), TRUE), S_OK);
}

void deleteStripeLun(IVdsService* s) {
    auto lun = object<IVdsLun>(s, machine::text::kStripeLun, VDS_OT_LUN);
    EXPECT_EQ(lun->Delete(), S_OK);
}

using Step = void (*)(IVdsService*);

// The built-in machine with every setting only the simulator keeps away from
// its default, so that the round trip shows they alone are left behind.
std::string simulatorOnlySettingsVaried() {
    sim::Model m = loaded(std::string(sim::defaultTopologyText()), "(built-in)");
    sim::SubSystem& sub = m.subsystems.at(machine::kSubSystem);
    sub.recoversByItself = false;
    sub.rebuildMsPerGiB = 0;
    sub.maintenanceRunning = 4;
    m.luns.at(machine::kMirroredLun).rebuilding = true;
    m.lunPlexes.at(machine::kMirroredLunPlex2).extents.front().stale = true;
    sim::Pack placeholder;
    placeholder.id = machine::id("70000000-0000-4000-8000-0000000000AA");
    placeholder.provider = machine::kBasicProvider;
    placeholder.placeholder = true;
    EXPECT_EQ(sim::addObject(m, placeholder), S_OK);
    sim::Partition& esp = m.disks.at(machine::kGptDisk).partitions.front();
    esp.fileSystem = 3;
    esp.label = u"SYSTÈME";
    sim::Volume& f = m.volumes.at(machine::kVolumeF);
    f.dismounted = true;
    f.fileSystem->compressionFlags = 1;
    f.fileSystem->maximumFileNameLength = 127;
    m.lastSerial[0x7E000000] = 42;
    m.commitChange();
    return sim::writeTopologyText(m);
}

std::string generated(const sim::MachineShape& shape) { return sim::generateMachine(shape).json; }

struct Row {
    std::string name;
    std::string topology;  // empty: the built-in machine
    std::vector<Step> steps = {};
    bool leavesUnreadable = false;  // the full digest differs, by design
};

std::vector<Row> rows() {
    std::vector<Row> out = {
        {"the built-in machine", ""},
        {"the empty machine", "{}"},
        {"simulator-only settings varied", simulatorOnlySettingsVaried(), {}, true},
        {"generated, small, names outside ASCII",
         generated({.drives = 3, .luns = 2, .packs = 1, .disksPerPack = 2, .partitionsPerDisk = 1,
                    .volumesPerPack = 2, .basicDisks = 1, .accentedNames = true})},
        {"generated, mirrors and spans over many extents, names outside ASCII",
         generated({.drives = 6, .luns = 4, .plexesPerLun = 2, .extentsPerLunPlex = 2, .packs = 2, .disksPerPack = 3,
                    .partitionsPerDisk = 2, .volumesPerPack = 3, .plexesPerVolume = 2, .extentsPerVolumePlex = 2,
                    .basicDisks = 2, .accentedNames = true})},
        {"generated, hardware only", generated({.drives = 8, .luns = 6, .extentsPerLunPlex = 3})},
        {"generated, software only, ASCII names",
         generated({.packs = 3, .disksPerPack = 2, .partitionsPerDisk = 3, .volumesPerPack = 2, .basicDisks = 3})},
        {"a mirrored LUN made", "", {makeMirroredLun}},
        {"a drive failed, the spare stood in and rebuilt", "", {failDriveAndRebuild}},
        {"a LUN served by the other controller", "", {reassociateBootLun}, true},
        {"a volume made, formatted, lettered and mounted in a folder", "", {makeFormattedVolume}},
        {"a volume dismounted for a while", "", {dismountF}, true},
        {"all of these in turn", "",
         {makeMirroredLun, failDriveAndRebuild, reassociateBootLun, makeFormattedVolume, dismountF},
         true},
        {"generated, one LUN on two drives", generated({.drives = 2, .luns = 1})},
        {"generated, LUNs of three plexes", generated({.drives = 6, .luns = 2, .plexesPerLun = 3})},
        {"generated, one dynamic volume", generated({.packs = 1, .disksPerPack = 1, .volumesPerPack = 1})},
        {"generated, basic disks only, names outside ASCII", generated({.basicDisks = 4, .accentedNames = true})},
        {"a mount folder taken away", "", {removeArchiveFolder}},
        {"a LUN deleted", "", {deleteStripeLun}},
    };
#if defined(TOLVANE_SOURCE_DIR)
    // Every description kept in the tree that loads (the rest are refusals).
    const std::filesystem::path root = TOLVANE_SOURCE_DIR;
    for (const char* folder : {"simulator/topologies", "tests"})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".json") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            std::string error;
            const auto m = sim::loadTopologyText(text.str(), "(tree)", error);
            if (!m) continue;
            const bool unreadable = sim::vdsReadableDigest(*m) != sim::modelDigest(*m);
            out.push_back({entry.path().lexically_relative(root).string(), text.str(), {}, unreadable});
        }
#endif
    return out;
}

class CaptureRoundTrip : public SimulatedMachineTest {
protected:
    void SetUp() override {
        SimulatedMachineTest::SetUp();
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
    }
    void TearDown() override {
        SimulatedMachineTest::TearDown();
        CoUninitialize();
    }
};

TEST_F(CaptureRoundTrip, EveryMachineCapturedReadsBackAsItself) {
    int machines = 0;
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.name);
        if (row.topology.empty())
            VdsSimLoadDefault();
        else
            ASSERT_EQ(VdsSimLoadTopologyJson(row.topology.c_str()), S_OK);
        {
            auto service = openService();
            for (Step step : row.steps) step(service.get());
        }
        VdsSimWaitIdle();
        const sim::Model source = loaded(machineText(), "(service)");

        const capture::Capture c = captured();
        EXPECT_EQ(c.unreadable, 0u);
        for (const auto& [id, notes] : c.notes)
            for (const auto& note : notes) ADD_FAILURE() << sim::guidToText(id) << ": " << note;
        EXPECT_EQ(VdsSimLiveReferences(), 0) << "references the capture kept";

        const std::string text = sim::writeTopologyText(c.model, c.notes);
        std::string error;
        const auto back = sim::loadTopologyText(text, "(captured)", error);
        ASSERT_TRUE(back) << error << "\n" << text;
        EXPECT_EQ(sim::checkModelRules(*back), std::nullopt);
        EXPECT_EQ(sim::vdsReadableDigest(*back), sim::vdsReadableDigest(source)) << text;
        // Only what no call reads is left behind, and the rows that say so really have some.
        EXPECT_EQ(sim::vdsReadableDigest(source) != sim::modelDigest(source), row.leavesUnreadable);
        EXPECT_EQ(sim::modelDigest(*back) != sim::modelDigest(source), row.leavesUnreadable);
        ++machines;
    }
    EXPECT_GE(machines, 20);
}

// A call that fails is named on the object the walk was reading, with its
// HRESULT; the walk reads the rest and gives back every reference.
struct FaultRow {
    const char* name;
    std::function<void()> inject;
    const char* noted;
    bool loads;  // the capture, notes and all, is a machine the loader takes
};

TEST_F(CaptureRoundTrip, WhatCannotBeReadIsNotedAndTheWalkGoesOn) {
    const GUID mbrDisk = machine::kMbrDisk;
    const FaultRow faults[] = {
        {"a volume's file system",
         [] { VdsSimInjectFault("IVdsVolumeMF::GetFileSystemProperties", 1, E_FAIL); },
         "\"IVdsVolumeMF::GetFileSystemProperties: 0x80004005\"", true},
        {"the subsystem's drives", [] { VdsSimInjectFault("IVdsSubSystem::QueryDrives", 0, E_ACCESSDENIED); },
         "\"IVdsSubSystem::QueryDrives: 0x80070005\"", false},
        {"a disk's properties", [mbrDisk] { VdsSimFailProperties(&mbrDisk, E_UNEXPECTED); },
         "\"IVdsDisk::GetProperties: 0x8000FFFF\"", false},
        {"an offline volume", [] { EXPECT_EQ(VdsSimSetStatus(&machine::kVolumeF, VDS_VS_OFFLINE), S_OK); },
         "\"IVdsVolumeMF::GetFileSystemProperties: 0x8004244F\"", true},
    };
    for (const FaultRow& row : faults) {
        SCOPED_TRACE(row.name);
        VdsSimLoadDefault();
        VdsSimClearFaults();
        row.inject();
        const capture::Capture c = captured();
        VdsSimClearFaults();
        EXPECT_GE(c.unreadable, 1u);
        EXPECT_EQ(VdsSimLiveReferences(), 0) << "references the capture kept";
        EXPECT_EQ(c.model.hardwareProviders.size(), 2u);
        EXPECT_EQ(c.model.softwareProviders.size(), 2u);
        EXPECT_EQ(c.model.unallocatedDisks.size(), 1u);
        const std::string text = sim::writeTopologyText(c.model, c.notes);
        EXPECT_NE(text.find(row.noted), std::string::npos) << text;
        std::string error;
        if (row.loads) {
            EXPECT_TRUE(sim::loadTopologyText(text, "(captured)", error)) << error;
        }
    }
}

}  // namespace
