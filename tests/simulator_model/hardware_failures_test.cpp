// The failure rules of the simulated RAID subsystem on the pure layer: which
// LUNs survive which lost drives, how controllers and the subsystem decide
// whether hosts reach a LUN, and the recovery steps (stand-ins, rebuild),
// each applied as the service's core applies a change.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "built_in_model.h"
#include "change_steps.h"
#include "changes/hardware_changes.h"
#include "changes/hardware_failures.h"
#include "changes/lun_changes.h"
#include "model/model_digest.h"
#include "model/topology_loader.h"

#if !defined(_WIN32)
#include "generate/machine_generator.h"
#endif

using namespace simmodel;
using namespace tolvane::sim;

namespace {

using Told = simtest::Notice;

// One subsystem: controllers C1 and C2 with a port each, drives D1..D5 of
// 10 GiB and the hot spare D6; the LUN is the row's.
constexpr const char* kSub = "20000000-0000-4000-8000-0000000000AA";
constexpr const char* kC1 = "30000000-0000-4000-8000-0000000000A1";
constexpr const char* kC2 = "30000000-0000-4000-8000-0000000000A2";
constexpr const char* kP1 = "31000000-0000-4000-8000-0000000000A1";
constexpr const char* kLun = "50000000-0000-4000-8000-0000000000A1";
const char* const kDrives[] = {"", "40000000-0000-4000-8000-0000000000D1", "40000000-0000-4000-8000-0000000000D2",
                               "40000000-0000-4000-8000-0000000000D3", "40000000-0000-4000-8000-0000000000D4",
                               "40000000-0000-4000-8000-0000000000D5", "40000000-0000-4000-8000-0000000000D6"};
const char* drive(int n) { return kDrives[n]; }
std::string plexId(int n) { return "51000000-0000-4000-8000-0000000000B" + std::to_string(n); }

// A LUN of `type`; each plex lists the drives of its 4 GiB extents.
struct Layout {
    const char* type;
    const char* plexType;
    std::vector<std::vector<int>> plexes;
};

const Layout kSimple{"simple", "simple", {{1}}};
const Layout kSpan{"span", "span", {{1, 2}}};
const Layout kStripe{"stripe", "stripe", {{1, 2}}};
const Layout kMirror{"mirror", "simple", {{1}, {2}}};
const Layout kParity{"parity", "parity", {{1, 2, 3}}};
const Layout kStripedMirror{"mirror", "stripe", {{1, 2}, {3, 4}}};

Model machineWith(const Layout& layout, bool recoversByItself = true) {
    std::string drives;
    for (int d = 1; d <= 6; ++d)
        drives += std::string(d > 1 ? "," : "") + R"({"id":")" + drive(d) + R"(","size":"10 GiB")" +
                  (d == 6 ? R"(,"flags":1})" : "}");
    std::string plexes;
    for (std::size_t p = 0; p < layout.plexes.size(); ++p) {
        std::string extents;
        for (int d : layout.plexes[p])
            extents += std::string(extents.empty() ? "" : ",") + R"({"drive":")" + drive(d) + R"(","size":"4 GiB"})";
        plexes += std::string(p > 0 ? "," : "") + R"({"id":")" + plexId(static_cast<int>(p + 1)) + R"(","type":")" +
                  layout.plexType + R"(","extents":[)" + extents + "]}";
    }
    const std::string json = R"({"hardwareProviders":[{"id":"10000000-0000-4000-8000-0000000000AA","name":"P",
        "subsystems":[{"id":")" + std::string(kSub) + R"(","recoversByItself":)" +
                             (recoversByItself ? "true" : "false") + R"(,
        "controllers":[{"id":")" + kC1 + R"(","ports":[{"id":")" + kP1 + R"("}]},{"id":")" + kC2 + R"("}],
        "drives":[)" + drives + R"(],
        "luns":[{"id":")" + kLun + R"(","type":")" + layout.type + R"(","plexes":[)" + plexes + "]}]}]}]}";
    std::string error;
    auto model = loadTopologyText(json, "(test)", error);
    EXPECT_TRUE(model) << error;
    return model ? *model : Model{};
}

struct State {
    std::int32_t status;
    std::int32_t health;
    bool operator==(const State&) const = default;
};
void PrintTo(const State& s, std::ostream* os) { *os << "{" << s.status << ", " << s.health << "}"; }

constexpr State kHealthy{VDS_LS_ONLINE, VDS_H_HEALTHY};
constexpr State kDegraded{VDS_LS_ONLINE, VDS_H_FAILED_REDUNDANCY};
constexpr State kLost{VDS_LS_FAILED, VDS_H_FAILED};
constexpr State kUnreached{VDS_LS_NOT_READY, VDS_H_HEALTHY};
constexpr State kStale{VDS_LPS_ONLINE, VDS_H_STALE};

State lunState(const Model& m) { return {m.luns.at(id(kLun)).status, m.luns.at(id(kLun)).health}; }
std::vector<State> plexStates(const Model& m) {
    std::vector<State> out;
    for (const GUID& p : m.luns.at(id(kLun)).plexes)
        out.push_back({m.lunPlexes.at(p).status, m.lunPlexes.at(p).health});
    return out;
}

// Status changes in order, each judged as the core judges a change.
struct Event {
    const char* object;
    std::int32_t status;
};

struct FailureRow {
    const char* what;
    const Layout& layout;
    std::vector<Event> events;
    State lun;
    std::vector<State> plexes;
    bool lookedAfter;  // left for the subsystem to recover by itself
};

class FailureRules : public ::testing::TestWithParam<FailureRow> {};

TEST_P(FailureRules, TheLunAndEachPlexFollowTheHardware) {
    const FailureRow& row = GetParam();
    Model m = machineWith(row.layout);
    ChangeOutput last;
    for (const Event& e : row.events) {
        Batch told;
        last = {};
        ASSERT_EQ(simmodel::apply(m, changeHardwareStatus(id(e.object), e.status), told, last), S_OK);
    }
    EXPECT_EQ(lunState(m), row.lun);
    EXPECT_EQ(plexStates(m), row.plexes);
    EXPECT_EQ(!last.lunsToRecover.empty(), row.lookedAfter);
    EXPECT_EQ(checkModelRules(m), std::nullopt);
}

const char* const D1 = kDrives[1];
const char* const D2 = kDrives[2];
const char* const D3 = kDrives[3];

INSTANTIATE_TEST_SUITE_P(
    Rows, FailureRules,
    ::testing::Values(
        FailureRow{"a simple LUN dies with its drive", kSimple, {{D1, VDS_DRS_FAILED}}, kLost, {kLost}, false},
        FailureRow{"a span dies with any of its drives", kSpan, {{D2, VDS_DRS_FAILED}}, kLost, {kLost}, false},
        FailureRow{"a stripe dies with any of its drives", kStripe, {{D1, VDS_DRS_FAILED}}, kLost, {kLost}, false},
        FailureRow{"a mirror lives on its other copy", kMirror, {{D1, VDS_DRS_FAILED}}, kDegraded,
                   {kLost, kHealthy}, true},
        FailureRow{"a mirror that lost both copies is lost", kMirror, {{D1, VDS_DRS_FAILED}, {D2, VDS_DRS_FAILED}},
                   kLost, {kLost, kLost}, false},
        FailureRow{"parity survives one lost column", kParity, {{D2, VDS_DRS_FAILED}}, kDegraded, {kDegraded}, true},
        FailureRow{"parity dies with a second column", kParity, {{D1, VDS_DRS_FAILED}, {D3, VDS_DRS_FAILED}}, kLost,
                   {kLost}, false},
        FailureRow{"a striped mirror lives while each stripe has a copy", kStripedMirror,
                   {{D1, VDS_DRS_FAILED}, {kDrives[4], VDS_DRS_FAILED}}, kDegraded, {kLost, kLost}, true},
        FailureRow{"a striped mirror that lost both copies of a stripe is lost", kStripedMirror,
                   {{D1, VDS_DRS_FAILED}, {D3, VDS_DRS_FAILED}}, kLost, {kLost, kLost}, false},
        FailureRow{"a drive set offline may come back: no stand-in", kMirror, {{D1, VDS_DRS_OFFLINE}}, kDegraded,
                   {kLost, kHealthy}, false},
        FailureRow{"a pulled drive is as good as failed", kMirror, {{D2, VDS_DRS_REMOVED}}, kDegraded,
                   {kHealthy, kLost}, true},
        FailureRow{"a copy back from a failure missed writes: resynced", kMirror,
                   {{D1, VDS_DRS_FAILED}, {D1, VDS_DRS_ONLINE}}, kDegraded, {kStale, kHealthy}, true},
        FailureRow{"a stripe back with its drive holds its data again", kStripe,
                   {{D1, VDS_DRS_FAILED}, {D1, VDS_DRS_ONLINE}}, kHealthy, {kHealthy}, false},
        FailureRow{"one controller serving is enough", kMirror, {{kC1, VDS_CS_FAILED}}, kHealthy,
                   {kHealthy, kHealthy}, false},
        FailureRow{"no controller serving: no host reaches the LUN", kMirror,
                   {{kC1, VDS_CS_FAILED}, {kC2, VDS_CS_OFFLINE}}, kUnreached, {kHealthy, kHealthy}, false},
        FailureRow{"a controller with no port serving serves nothing", kMirror,
                   {{kC2, VDS_CS_FAILED}, {kP1, VDS_PRS_FAILED}}, kUnreached, {kHealthy, kHealthy}, false},
        FailureRow{"a controller back in service brings the LUN back", kMirror,
                   {{kC1, VDS_CS_FAILED}, {kC2, VDS_CS_FAILED}, {kC1, VDS_CS_ONLINE}}, kHealthy,
                   {kHealthy, kHealthy}, false},
        FailureRow{"an offline subsystem reaches no host", kParity, {{kSub, VDS_SSS_OFFLINE}}, kUnreached,
                   {kHealthy}, false}),
    [](const auto& info) {
        std::string name;
        for (const char* c = info.param.what; *c != 0; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name;
    });

// Recovery, step by step ----------------------------------------------------------

Step status(const char* what, const char* object, std::int32_t value, std::vector<Told> told) {
    return {what, [=] { return changeHardwareStatus(id(object), value); }, S_OK, told};
}

const std::vector<Told> kProgress{{VDS_NF_VOLUME_REBUILDING_PROGRESS, id(kLun)}};

TEST(HardwareRecovery, AHotSpareStandsInAndTheRebuildEndsWithTheMirrorWhole) {
    Model m = machineWith(kMirror);
    const auto rebuilding = [](const Model& mm, const ChangeOutput&) {
        EXPECT_EQ(lunState(mm), (State{VDS_LS_ONLINE, VDS_H_REBUILDING}));
        EXPECT_EQ(rebuildMilliseconds(mm, id(kLun)), 8u);  // 4 GiB at 2 ms per GiB
    };
    run(m, {
        status("the drive fails", D1, VDS_DRS_FAILED,
               {{VDS_NF_DRIVE_MODIFY, id(D1)}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
        {"the spare stands in", [] { return beginRecoveryByItself(id(kLun)); }, S_OK,
         std::vector<Told>{{VDS_NF_DRIVE_MODIFY, id(D1)},
                           {VDS_NF_DRIVE_MODIFY, id(drive(6))},
                           {VDS_NF_LUN_MODIFY, id(kLun)},
                           {VDS_NF_DRIVE_REMOVED, id(D1)}},
         {}, rebuilding},
        {"nothing more to stand in for", [] { return beginRecoveryByItself(id(kLun)); }, S_FALSE,
         std::vector<Told>{}},
        {"a step of the rebuild", [] { return tellRebuildProgress(id(kLun), 40); }, S_OK, kProgress},
        {"the rebuild ends", [] { return finishRebuild(id(kLun)); }, S_OK,
         std::vector<Told>{{VDS_NF_VOLUME_REBUILDING_PROGRESS, id(kLun)}, {VDS_NF_LUN_MODIFY, id(kLun)}},
         {}, [](const Model& mm, const ChangeOutput&) {
             EXPECT_EQ(lunState(mm), kHealthy);
             EXPECT_EQ(plexStates(mm), (std::vector<State>{kHealthy, kHealthy}));
             EXPECT_EQ(mm.drives.at(id(drive(6))).flags & VDS_DRF_HOTSPARE, 0u);  // a spare no longer
             EXPECT_TRUE(mm.drives.at(id(D1)).health == VDS_H_REPLACED);
         }},
        {"no rebuild left to tell", [] { return tellRebuildProgress(id(kLun), 50); }, S_FALSE, std::vector<Told>{}},
    });
}

TEST(HardwareRecovery, AStripedMirrorRebuildsEachLostColumnFromItsOtherCopy) {
    Model m = machineWith(kStripedMirror);
    const auto lunIs = [](State lun, std::vector<State> plexes) {
        return [lun, plexes](const Model& mm, const ChangeOutput&) {
            EXPECT_EQ(lunState(mm), lun);
            EXPECT_EQ(plexStates(mm), plexes);
        };
    };
    const State rebuilding{VDS_LPS_ONLINE, VDS_H_REBUILDING};
    run(m, {
        status("a column of the first copy fails", D1, VDS_DRS_FAILED,
               {{VDS_NF_DRIVE_MODIFY, id(D1)}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
        status("and the other column of the second", kDrives[4], VDS_DRS_FAILED,
               {{VDS_NF_DRIVE_MODIFY, id(kDrives[4])}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
        // One hot spare: it stands in for the first lost drive only.
        {"the spare stands in", [] { return beginRecoveryByItself(id(kLun)); }, S_OK, std::nullopt, {},
         lunIs(kDegraded, {rebuilding, kLost})},
        {"the first copy is whole", [] { return finishRebuild(id(kLun)); }, S_OK, std::nullopt, {},
         lunIs(kDegraded, {kHealthy, kLost})},
        {"Recover takes a drive with room for the other", [] { return recoverLun(id(kLun)); }, S_OK, std::nullopt,
         {}, lunIs(State{VDS_LS_ONLINE, VDS_H_REBUILDING}, {kHealthy, rebuilding})},
        {"and the mirror is whole", [] { return finishRebuild(id(kLun)); }, S_OK, std::nullopt, {},
         lunIs(kHealthy, {kHealthy, kHealthy})},
    });
}

TEST(HardwareRecovery, ARebuildWhoseSourceFailsStopsAndTheLunIsLost) {
    Model m = machineWith(kMirror);
    run(m, {
        status("the drive fails", D1, VDS_DRS_FAILED,
               {{VDS_NF_DRIVE_MODIFY, id(D1)}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
        {"the spare stands in", [] { return beginRecoveryByItself(id(kLun)); }, S_OK},
        status("the only copy fails", D2, VDS_DRS_FAILED,
               {{VDS_NF_DRIVE_MODIFY, id(D2)}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
        {"the rebuild has nothing to tell", [] { return tellRebuildProgress(id(kLun), 50); }, S_FALSE,
         std::vector<Told>{}, {}, [](const Model& mm, const ChangeOutput&) { EXPECT_EQ(lunState(mm), kLost); }},
        {"Recover cannot bring the data back", [] { return recoverLun(id(kLun)); }, VDS_E_OBJECT_STATUS_FAILED},
    });
}

struct RecoverRow {
    const char* what;
    const Layout& layout;
    std::vector<Event> before;
    bool spare;  // the hot spare is kept (else cleared first)
    HRESULT answer;
    State after;
};

class Recover : public ::testing::TestWithParam<RecoverRow> {};

TEST_P(Recover, FindsAStandInOrSaysWhyNot) {
    const RecoverRow& row = GetParam();
    Model m = machineWith(row.layout, /*recoversByItself=*/false);
    std::vector<Step> steps;
    if (!row.spare)
        steps.push_back({"no spare", [] { return clearDriveFlags(id(drive(6)), VDS_DRF_HOTSPARE); }, S_OK});
    for (const Event& e : row.before)
        steps.push_back({"before", [e] { return changeHardwareStatus(id(e.object), e.status); }, S_OK});
    steps.push_back({row.what, [] { return recoverLun(id(kLun)); }, row.answer, std::nullopt, {},
                     [&row](const Model& mm, const ChangeOutput&) { EXPECT_EQ(lunState(mm), row.after); }});
    run(m, steps);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Recover,
    ::testing::Values(
        RecoverRow{"not fault tolerant", kStripe, {}, true, VDS_E_INVALID_OPERATION, kHealthy},
        RecoverRow{"whole already: nothing to do", kMirror, {}, true, S_OK, kHealthy},
        RecoverRow{"the spare stands in", kMirror, {{D1, VDS_DRS_FAILED}}, true, S_OK,
                   State{VDS_LS_ONLINE, VDS_H_REBUILDING}},
        RecoverRow{"without a spare any drive with room", kParity, {{D2, VDS_DRS_FAILED}}, false, S_OK,
                   State{VDS_LS_ONLINE, VDS_H_REBUILDING}},
        RecoverRow{"a drive set offline is stood in for too", kMirror, {{D2, VDS_DRS_OFFLINE}}, true, S_OK,
                   State{VDS_LS_ONLINE, VDS_H_REBUILDING}},
        RecoverRow{"a resync of a copy that came back", kMirror, {{D1, VDS_DRS_FAILED}, {D1, VDS_DRS_ONLINE}}, true,
                   S_OK, State{VDS_LS_ONLINE, VDS_H_REBUILDING}},
        RecoverRow{"a lost LUN", kMirror, {{D1, VDS_DRS_FAILED}, {D2, VDS_DRS_FAILED}}, true,
                   VDS_E_OBJECT_STATUS_FAILED, kLost},
        RecoverRow{"a failed subsystem", kMirror, {{kSub, VDS_SSS_FAILED}}, true, VDS_E_OBJECT_STATUS_FAILED,
                   kUnreached}),
    [](const auto& info) {
        std::string name;
        for (const char* c = info.param.what; *c != 0; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name;
    });

TEST(HardwareRecovery, NoDriveWithRoomLeavesTheLunDegradedAndTheMachineAsItWas) {
    // Every drive that could stand in is out of service.
    Model m = machineWith(kMirror, false);
    run(m, {
        {"no spare", [] { return clearDriveFlags(id(drive(6)), VDS_DRF_HOTSPARE); }, S_OK},
        status("the drive fails", D1, VDS_DRS_FAILED, {{VDS_NF_DRIVE_MODIFY, id(D1)}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
    });
    for (int d = 3; d <= 6; ++d) {
        m.openChange();
        m.drives.at(id(drive(d))).status = VDS_DRS_OFFLINE;  // out of service: no stand-in
        m.commitChange();
    }
    run(m, {{"Recover", [] { return recoverLun(id(kLun)); }, VDS_E_NOT_ENOUGH_DRIVE}});
}

TEST(HardwareRecovery, FailedHardwareRefusesWhatItCannotDo) {
    Model m = machineWith(kMirror);
    NewLun lun;
    lun.subsystem = id(kSub);
    lun.type = VDS_LT_SIMPLE;
    lun.size = 1ull << 30;
    run(m, {
        status("a controller fails", kC1, VDS_CS_FAILED,
               {{VDS_NF_CONTROLLER_MODIFY, id(kC1)}, {VDS_NF_PORT_MODIFY, id(kP1)}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
        {"it cannot carry the LUN", [] { return associateControllers(id(kLun), {id(kC1)}, {id(kC2)}); },
         VDS_E_OBJECT_STATUS_FAILED},
        {"a second spare", [] { return setDriveFlags(id(drive(5)), VDS_DRF_HOTSPARE); }, S_OK},
        status("the subsystem fails", kSub, VDS_SSS_FAILED,
               {{VDS_NF_SUB_SYSTEM_MODIFY, id(kSub)}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
        {"it builds nothing", [lun] { return createLun(lun); }, VDS_E_OBJECT_STATUS_FAILED},
        {"nor replaces a drive", [] { return replaceDrive(id(kSub), id(D1), id(drive(3))); },
         VDS_E_OBJECT_STATUS_FAILED},
        status("it comes back", kSub, VDS_SSS_ONLINE,
               {{VDS_NF_SUB_SYSTEM_MODIFY, id(kSub)}, {VDS_NF_LUN_MODIFY, id(kLun)}}),
        {"and builds again", [lun] { return createLun(lun); }, S_OK},
        status("a drive fails", drive(4), VDS_DRS_FAILED, {{VDS_NF_DRIVE_MODIFY, id(drive(4))}}),
        {"a failed drive can stand in for nothing", [] { return setDriveFlags(id(drive(4)), VDS_DRF_HOTSPARE); },
         VDS_E_OBJECT_STATUS_FAILED},
    });
}

TEST(HardwareRecovery, ALunMovesToTheControllerThatStillServesAndStaysThere) {
    Model m = machineWith(kMirror);
    const auto activeIs = [](const char* controller) {
        return [controller](const Model& mm, const ChangeOutput&) {
            EXPECT_EQ(mm.luns.at(id(kLun)).activeControllers, std::vector<GUID>{id(controller)});
            EXPECT_EQ(lunState(mm), kHealthy);
        };
    };
    run(m, {
        {"the active controller fails", [] { return changeHardwareStatus(id(kC1), VDS_CS_FAILED); }, S_OK,
         std::vector<Told>{{VDS_NF_CONTROLLER_MODIFY, id(kC1)}, {VDS_NF_PORT_MODIFY, id(kP1)},
                           {VDS_NF_LUN_MODIFY, id(kLun)}},
         {}, activeIs(kC2)},
        {"it comes back", [] { return changeHardwareStatus(id(kC1), VDS_CS_ONLINE); }, S_OK,
         std::vector<Told>{{VDS_NF_CONTROLLER_MODIFY, id(kC1)}, {VDS_NF_PORT_MODIFY, id(kP1)}}, {}, activeIs(kC2)},
    });
}

#if !defined(_WIN32)  // machines are generated off Windows only

// Property over generated machines: a drive that fails and comes back, once
// the subsystem has resynced what it missed, leaves the machine as it was.
TEST(HardwareRecovery, EveryDriveThatFailsAndComesBackLeavesTheMachineAsItWasOnceResynced) {
    std::size_t resynced = 0;
    const MachineShape shapes[] = {{.drives = 4, .luns = 6, .plexesPerLun = 2, .extentsPerLunPlex = 2},
                                   {.drives = 3, .luns = 4, .plexesPerLun = 1, .extentsPerLunPlex = 3},
                                   {.drives = 6, .luns = 3, .plexesPerLun = 3, .extentsPerLunPlex = 1}};
    for (const MachineShape& shape : shapes) {
        const GeneratedMachine generated = generateMachine(shape);
        std::string error;
        auto loaded = loadTopologyText(generated.json, "(generated)", error);
        ASSERT_TRUE(loaded) << error;
        for (const GUID& d : generated.drives) {
            Model m = *loaded;
            const std::uint64_t before = modelDigest(m);
            Batch told;
            ChangeOutput output;
            ASSERT_EQ(simmodel::apply(m, changeHardwareStatus(d, VDS_DRS_FAILED), told, output), S_OK);
            for (const GUID& l : generated.luns) {
                const Lun& lun = m.luns.at(l);
                EXPECT_EQ(lun.status == VDS_LS_FAILED, !lunHoldsData(m, lun));
            }
            output = {};
            ASSERT_EQ(simmodel::apply(m, changeHardwareStatus(d, VDS_DRS_ONLINE), told, output), S_OK);
            resynced += output.lunsToRecover.size();
            for (const GUID& l : output.lunsToRecover) {
                ASSERT_EQ(simmodel::apply(m, beginRecoveryByItself(l), told, output), S_OK);
                ASSERT_EQ(simmodel::apply(m, finishRebuild(l), told, output), S_OK);
            }
            EXPECT_EQ(modelDigest(m), before);
            EXPECT_EQ(checkModelRules(m), std::nullopt);
        }
    }
    EXPECT_GT(resynced, 0u) << "no machine had a copy to resync";
}

#endif

}  // namespace
