// The state file on its own: two connections to one file stand for two
// processes. What one commits, the other brings its copy up to, object by
// object, and both machines stay alike (digest, every parent's order of
// children, the notifications told); files that are not ours are refused.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "changes/hardware_failures.h"
#include "changes/lun_changes.h"
#include "changes/lun_growth.h"
#include "changes/pack_changes.h"
#include "changes/volume_changes.h"
#include "generate/machine_generator.h"
#include "model/model_digest.h"
#include "model/model_rules.h"
#include "model/topology_loader.h"
#include "state/state_file.h"

namespace tolvane::sim {
namespace {

constexpr std::uint64_t kMiB = 1024ull * 1024;

// A file name of this test's own, gone when the test ends.
class TempStateFile {
public:
    TempStateFile() {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tolvane-state-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++) + ".db"))
                    .string();
    }
    ~TempStateFile() {
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path_ + suffix).c_str());
    }
    const std::string& path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::string path_;
};

Model machineOf(std::string_view json) {
    std::string error;
    auto model = loadTopologyText(json, "(test)", error);
    EXPECT_TRUE(model) << error;
    return model ? std::move(*model) : Model{};
}

// Every parent's children in order, so that two machines can be compared
// for the order the digest does not see.
std::vector<std::vector<GUID>> childOrders(const Model& m) {
    std::vector<std::vector<GUID>> out{m.hardwareProviders, m.softwareProviders, m.unallocatedDisks};
    std::vector<std::pair<GUID, std::vector<GUID>>> lists;
    for (const auto& [id, x] : m.providers) lists.push_back({id, x.children.toVector()});
    for (const auto& [id, x] : m.subsystems) {
        lists.push_back({id, x.controllers.toVector()});
        lists.push_back({id, x.drives.toVector()});
        lists.push_back({id, x.luns.toVector()});
    }
    for (const auto& [id, x] : m.controllers) lists.push_back({id, x.ports.toVector()});
    for (const auto& [id, x] : m.luns) lists.push_back({id, x.plexes.toVector()});
    for (const auto& [id, x] : m.packs) {
        lists.push_back({id, x.disks.toVector()});
        lists.push_back({id, x.volumes.toVector()});
    }
    for (const auto& [id, x] : m.volumes) lists.push_back({id, x.plexes.toVector()});
    std::stable_sort(lists.begin(), lists.end(), [](const auto& a, const auto& b) {
        return std::memcmp(&a.first, &b.first, sizeof(GUID)) < 0;
    });
    for (auto& [id, list] : lists) out.push_back(std::move(list));
    return out;
}

std::unique_ptr<StateFile> openOn(const std::string& path, const Model& initial, bool& created) {
    std::string error;
    auto state = StateFile::open(path, [&](std::string&) { return std::optional<Model>(initial); }, created, error);
    EXPECT_TRUE(state) << error;
    return state;
}

// A change at random among those that make, move, grow and take out
// objects, on a machine with LUNs and dynamic volumes.
ChangeFunction anyChange(const Model& m, std::mt19937& random, int& which) {
    // An object of the table at random; none (a refused change) once it is empty.
    const auto pick = [&](const auto& table) {
        if (table.empty()) return GUID{};
        auto it = table.begin();
        std::advance(it, static_cast<long>(random() % table.size()));
        return it->first;
    };
    const GUID subsystem = m.subsystems.begin()->first;
    which = static_cast<int>(random() % 8);
    switch (which) {
        case 0:
        case 1: return createLun({subsystem, VDS_LT_SIMPLE, (1 + random() % 4) * 64 * kMiB, {}, u"*", {}});
        case 2: return deleteLun(pick(m.luns));
        case 3: return extendLun(pick(m.luns), 32 * kMiB, {});
        case 4: return changeHardwareStatus(pick(m.drives), random() % 2 ? 1 : 5);  // ONLINE or FAILED
        case 5: {
            const GUID volume = pick(m.volumes);
            return deleteVolume(volume, true);
        }
        case 6: {
            // A disk and its volumes moved to another pack: one change files
            // children of two kinds under one parent.
            const GUID disk = pick(m.disks);
            const GUID target = pick(m.packs);
            const Disk* d = m.disks.get(disk);
            return migrateDisks({d != nullptr ? d->pack : GUID{}, target, {disk}, true, false});
        }
        default: {
            if (m.disks.empty()) return deleteLun(GUID{});
            const Disk& disk = m.disks.at(pick(m.disks));
            NewVolume request;
            request.pack = disk.pack;
            request.type = VDS_VT_SIMPLE;
            request.disks = {VDS_INPUT_DISK{disk.id, 16 * kMiB, {}, {}}};
            return createVolume(request);
        }
    }
}

struct SharedCase {
    const char* name;
    std::string json;
};

std::vector<SharedCase> sharedCases() {
    MachineShape small;
    small.drives = 12;
    small.luns = 40;
    small.plexesPerLun = 2;
    small.packs = 2;
    small.disksPerPack = 3;
    small.partitionsPerDisk = 2;
    small.volumesPerPack = 4;
    small.accentedNames = true;
    return {{"default machine", std::string(defaultTopologyText())}, {"generated machine", generateMachine(small).json}};
}

TEST(StateFile, TwoConnectionsKeepOneMachineThroughRandomChanges) {
    for (const auto& c : sharedCases()) {
        SCOPED_TRACE(c.name);
        TempStateFile file;
        const Model initial = machineOf(c.json);
        bool created = false;
        auto writer = openOn(file.path(), initial, created);
        ASSERT_TRUE(writer && created);
        auto reader = openOn(file.path(), initial, created);
        ASSERT_TRUE(reader);
        EXPECT_FALSE(created);
        std::string error;
        Model mine = *writer->loadMachine(error);
        Model theirs = *reader->loadMachine(error);
        std::vector<Batch> told;
        std::set<int> kindsMade;  // which kinds of change went through
        std::mt19937 random(7);
        for (int step = 0; step < 300; ++step) {
            ASSERT_TRUE(writer->beginWrite(error)) << error;
            ASSERT_EQ(writer->news(error)->what, StateFile::News::What::Nothing);
            Batch batch;
            mine.openChange();
            int which = 0;
            const HRESULT hr = anyChange(mine, random, which)(mine, batch);
            if (FAILED(hr) || findTouchedRuleBreak(mine)) {
                mine.undoChange();
                writer->rollback();
                continue;
            }
            ASSERT_TRUE(writer->commitChange(mine, batch, error)) << error;
            mine.commitChange();
            told.push_back(batch);
            kindsMade.insert(which);
            if (step % 5 != 4) continue;
            // The reader catches up on several changes at once.
            auto news = reader->news(error);
            ASSERT_TRUE(news) << error;
            ASSERT_EQ(news->what, StateFile::News::What::Changes);
            theirs.openChange();
            ASSERT_TRUE(putRows(theirs, news->rows, news->gone, news->lists, error)) << error;
            theirs.commitChange();
            reader->caughtUp(news->sequence);
            ASSERT_EQ(modelDigest(theirs), modelDigest(mine)) << "step " << step;
            ASSERT_EQ(childOrders(theirs), childOrders(mine)) << "step " << step;
            ASSERT_EQ(theirs.lastSerial, mine.lastSerial);
            EXPECT_FALSE(checkModelRules(theirs));
            std::vector<Batch> heard = news->batches;
            ASSERT_EQ(heard.size(), told.size());
            for (std::size_t i = 0; i < heard.size(); ++i)
                ASSERT_EQ(encodeBatch(heard[i]), encodeBatch(told[i])) << "step " << step;
            told.clear();
        }
        EXPECT_TRUE(kindsMade.count(6)) << "no migration went through";
        // And a process that comes later reads the same machine whole.
        auto later = openOn(file.path(), initial, created);
        const auto whole = later->loadMachine(error);
        ASSERT_TRUE(whole) << error;
        EXPECT_EQ(modelDigest(*whole), modelDigest(mine));
        EXPECT_EQ(childOrders(*whole), childOrders(mine));
    }
}

TEST(StateFile, AWriteThatWasNotCommittedLeavesNoTrace) {
    TempStateFile file;
    const Model initial = machineOf(defaultTopologyText());
    bool created = false;
    auto writer = openOn(file.path(), initial, created);
    std::string error;
    Model mine = *writer->loadMachine(error);
    const auto before = modelDigest(mine);
    ASSERT_TRUE(writer->beginWrite(error));
    Batch batch;
    mine.openChange();
    ASSERT_EQ(createLun({mine.subsystems.begin()->first, VDS_LT_SIMPLE, 64 * kMiB, {}, u"*", {}})(mine, batch), S_OK);
    writer->rollback();
    mine.undoChange();
    auto later = openOn(file.path(), initial, created);
    EXPECT_EQ(modelDigest(*later->loadMachine(error)), before);
}

TEST(StateFile, AWriterWaitsForAnotherThenGivesUp) {
    TempStateFile file;
    const Model initial = machineOf(defaultTopologyText());
    bool created = false;
    std::string error;
    auto patient = StateFile::open(file.path(), [&](std::string&) { return std::optional<Model>(initial); }, created,
                                   error, 200);
    ASSERT_TRUE(patient) << error;
    auto other = openOn(file.path(), initial, created);
    ASSERT_TRUE(other->beginWrite(error));  // and holds it
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(patient->beginWrite(error));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_NE(error.find("locked"), std::string::npos) << error;
    other->rollback();
    EXPECT_TRUE(patient->beginWrite(error)) << error;
    patient->rollback();
}

// A fault set through one connection (a tool that then ends) is counted over
// every connection's calls: the nth call fails wherever it is made.
TEST(StateFile, CallFaultsAreCountedOverEveryConnection) {
    TempStateFile file;
    const Model initial = machineOf(defaultTopologyText());
    bool created = false;
    std::string error;
    auto tool = openOn(file.path(), initial, created);
    auto first = openOn(file.path(), initial, created);
    auto second = openOn(file.path(), initial, created);
    const std::string method = "IVdsLun::SetStatus";
    const HRESULT refused = static_cast<HRESULT>(0x80042431u);
    ASSERT_TRUE(first->news(error) && second->news(error)) << error;
    EXPECT_FALSE(second->hasCallFault(method));

    ASSERT_TRUE(tool->setCallFault(method, 3, refused, error)) << error;
    tool.reset();
    EXPECT_TRUE(openOn(file.path(), initial, created)->hasCallFault(method)) << "a process that comes later";
    struct Call {
        StateFile* by;
        std::optional<HRESULT> answers;
    };
    const Call calls[] = {{first.get(), std::nullopt}, {second.get(), std::nullopt}, {second.get(), refused},
                          {first.get(), std::nullopt}};
    for (const Call& call : calls) {
        ASSERT_TRUE(call.by->news(error)) << error;
        ASSERT_TRUE(call.by->hasCallFault(method));
        EXPECT_FALSE(call.by->hasCallFault("IVdsLun::Extend"));
        EXPECT_EQ(call.by->countCall(method, error), call.answers) << error;
    }

    ASSERT_TRUE(first->setCallFault(method, 0, refused, error)) << error;
    for (StateFile* by : {first.get(), second.get(), first.get()}) {
        ASSERT_TRUE(by->news(error));
        EXPECT_EQ(by->countCall(method, error), refused) << "every call, for nth 0";
    }
    ASSERT_TRUE(second->clearCallFaults(error)) << error;
    ASSERT_TRUE(first->news(error));
    EXPECT_FALSE(first->hasCallFault(method));
}

// Writes `sql` into a state file made from the default machine.
void tamper(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST(StateFile, FilesThatAreNotOursOrNotWholeAreRefusedAndLeftAsTheyAre) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        const char* says;
    };
    const auto ours = [](const char* sql) {
        return [sql](const std::string& path) {
            bool created = false;
            std::string error;
            StateFile::open(path, [](std::string&) { return std::optional<Model>(machineOf(defaultTopologyText())); },
                            created, error);
            tamper(path, sql);
        };
    };
    const std::vector<Case> cases = {
        {"not a database",
         [](const std::string& path) { std::ofstream(path) << std::string(4096, 'x'); },
         "is not a state file"},
        {"another program's database", [](const std::string& path) { tamper(path, "CREATE TABLE notes(text)"); },
         "is not a state file"},
        {"another schema version", ours("PRAGMA user_version = 99"), "schema version 99"},
        {"a damaged object row", ours("UPDATE object SET body = x'0102' WHERE kind = 33"), "damaged"},
        {"a row whose parent is gone", ours("DELETE FROM object WHERE kind = 30"), "damaged"},
        {"lists missing", ours("DELETE FROM machine WHERE name = 'lists'"), "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStateFile file;
        c.make(file.path());
        const auto size = std::filesystem::file_size(file.path());
        bool created = false;
        std::string error;
        auto state = StateFile::open(file.path(), [](std::string&) { return std::optional<Model>(Model{}); }, created,
                                     error);
        std::optional<Model> model;
        if (state) model = state->loadMachine(error);
        EXPECT_FALSE(model);
        EXPECT_FALSE(created);
        const std::string said = state ? "is damaged: " + error : error;
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
        EXPECT_EQ(std::filesystem::file_size(file.path()), size);
    }
}

// A file that other programs can write may hold anything: a machine read
// from rows with bytes changed, cut or added is either refused or keeps
// every rule, and nothing is read past a body's end (the sanitizers watch).
TEST(StateFile, RowsWithDamagedBodiesAreRefusedOrReadIntoAMachineThatKeepsTheRules) {
    const Model initial = machineOf(defaultTopologyText());
    const std::vector<ObjectRow> rows = rowsInOrder(initial);
    const std::string lists = encodeLists(listsOf(initial));
    std::mt19937 random(3);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<ObjectRow> damaged = rows;
        std::string damagedLists = lists;
        std::string& body = random() % 8 == 0 ? damagedLists : damaged[random() % damaged.size()].body;
        switch (random() % 4) {
            case 0: body[random() % body.size()] ^= static_cast<char>(1 + random() % 255); break;
            case 1: body.resize(random() % body.size()); break;
            case 2: body.append(1 + random() % 8, static_cast<char>(random())); break;
            default:  // a count or length made huge
                if (body.size() >= 4) std::memset(body.data() + random() % (body.size() - 3), 0xFF, 4);
        }
        const auto readLists = decodeLists(damagedLists);
        std::string error;
        const auto model = readLists ? machineFromRows(*readLists, damaged, error) : std::nullopt;
        if (!model) {
            ++refused;
            continue;
        }
        EXPECT_FALSE(checkModelRules(*model)) << "round " << round;
    }
    EXPECT_GT(refused, 1000);  // most damage is seen
}

}  // namespace
}  // namespace tolvane::sim
