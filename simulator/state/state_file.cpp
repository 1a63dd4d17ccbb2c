#include "state/state_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace tolvane::sim {

namespace {

// "Tolv": marks a file as ours before its schema version is read.
constexpr int kApplicationId = 0x546F6C76;
// The log keeps this many recent changes; a process further behind reads
// the whole machine again and tells its clients what differs.
constexpr std::int64_t kLogKept = 4096;
// Orders are (sequence << 24) + place: a change's new children come after
// every older child, in the order it filed them.
constexpr int kOrderShift = 24;
// How often a process retries making a new file another process is making.
constexpr int kMakeRetryMs = 20;

// Also made in files made before there were shared faults: the table adds to
// the layout and changes nothing else in it.
constexpr const char* kFaultTable =
    "CREATE TABLE IF NOT EXISTS fault(method TEXT PRIMARY KEY, nth INTEGER NOT NULL, calls INTEGER NOT NULL,"
    " hr INTEGER NOT NULL)";

const char* const kSchema[] = {
    "CREATE TABLE object(id BLOB PRIMARY KEY, kind INTEGER NOT NULL, parent BLOB, ord INTEGER NOT NULL,"
    " body BLOB NOT NULL) WITHOUT ROWID",
    "CREATE TABLE machine(name TEXT PRIMARY KEY, body BLOB NOT NULL)",
    "CREATE TABLE change(seq INTEGER PRIMARY KEY, whole INTEGER NOT NULL, touched BLOB NOT NULL,"
    " notices BLOB NOT NULL)",
    kFaultTable,
};

std::string blobOf(const GUID& id) { return std::string(reinterpret_cast<const char*>(&id), sizeof id); }

}  // namespace

// The connection and its statements, each prepared once.
struct StateFile::Db {
    sqlite3* db = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements;

    ~Db() {
        for (auto& [sql, stmt] : statements) sqlite3_finalize(stmt);
        sqlite3_close(db);
    }
    std::string error() const { return sqlite3_errmsg(db); }

    // A prepared statement, reset and ready to bind; finished by its Use.
    class Use {
    public:
        Use(sqlite3_stmt* stmt) : stmt_(stmt) {}  // NOLINT
        ~Use() {
            if (stmt_ != nullptr) {
                sqlite3_reset(stmt_);
                sqlite3_clear_bindings(stmt_);
            }
        }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        explicit operator bool() const { return stmt_ != nullptr; }

        Use& bind(int i, std::int64_t v) {
            sqlite3_bind_int64(stmt_, i, v);
            return *this;
        }
        Use& bind(int i, const std::string& blob) {
            sqlite3_bind_blob(stmt_, i, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
            return *this;
        }
        Use& bindText(int i, const char* text) {
            sqlite3_bind_text(stmt_, i, text, -1, SQLITE_STATIC);
            return *this;
        }
        Use& bindNullable(int i, const GUID& id) {
            if (isNullGuid(id))
                sqlite3_bind_null(stmt_, i);
            else
                bind(i, blobOf(id));
            return *this;
        }
        // SQLITE_ROW, SQLITE_DONE or an error code.
        int step() { return sqlite3_step(stmt_); }
        std::int64_t integer(int i) { return sqlite3_column_int64(stmt_, i); }
        std::string blob(int i) {
            const void* p = sqlite3_column_blob(stmt_, i);
            return p == nullptr ? std::string() : std::string(static_cast<const char*>(p), sqlite3_column_bytes(stmt_, i));
        }
        // An identifier column: null reads as the null identifier; any other
        // length makes `ok` false.
        GUID id(int i, bool& ok) {
            GUID g{};
            const std::string b = blob(i);
            if (b.size() == sizeof g)
                std::memcpy(&g, b.data(), sizeof g);
            else if (!b.empty())
                ok = false;
            return g;
        }

    private:
        sqlite3_stmt* stmt_;
    };

    Use use(const std::string& sql) {
        auto it = statements.find(sql);
        if (it == statements.end()) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
                return Use(nullptr);
            it = statements.emplace(sql, stmt).first;
        }
        return Use(it->second);
    }
    bool exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    // A one-integer query (a pragma, a count); nothing when it fails.
    std::optional<std::int64_t> integer(const std::string& sql) {
        Use q = use(sql);
        if (!q || q.step() != SQLITE_ROW) return std::nullopt;
        return q.integer(0);
    }
};

namespace {

using Db = StateFile::Db;

bool putObject(Db& db, const ObjectRow& row, std::optional<std::int64_t> order) {
    // A row keeps its place among its parent's children unless given one.
    Db::Use q = order ? db.use("INSERT INTO object(id, kind, parent, ord, body) VALUES(?1, ?2, ?3, ?4, ?5)"
                               " ON CONFLICT(id) DO UPDATE SET kind = ?2, parent = ?3, ord = ?4, body = ?5")
                      : db.use("INSERT INTO object(id, kind, parent, ord, body) VALUES(?1, ?2, ?3, 0, ?5)"
                               " ON CONFLICT(id) DO UPDATE SET kind = ?2, parent = ?3, body = ?5");
    if (!q) return false;
    q.bind(1, blobOf(row.id)).bind(2, static_cast<std::int64_t>(row.kind)).bindNullable(3, row.parent);
    if (order) q.bind(4, *order);
    q.bind(5, row.body);
    return q.step() == SQLITE_DONE;
}

bool dropObject(Db& db, const GUID& id) {
    Db::Use q = db.use("DELETE FROM object WHERE id = ?1");
    return q && q.bind(1, blobOf(id)).step() == SQLITE_DONE;
}

bool putMachineRow(Db& db, const char* name, const std::string& body) {
    Db::Use q = db.use("INSERT INTO machine(name, body) VALUES(?1, ?2) ON CONFLICT(name) DO UPDATE SET body = ?2");
    return q && q.bindText(1, name).bind(2, body).step() == SQLITE_DONE;
}

std::optional<std::string> machineRow(Db& db, const char* name) {
    Db::Use q = db.use("SELECT body FROM machine WHERE name = ?1");
    if (!q || q.bindText(1, name).step() != SQLITE_ROW) return std::nullopt;
    return q.blob(0);
}

std::optional<std::uint64_t> committedSequence(Db& db) {
    auto body = machineRow(db, "sequence");
    std::uint64_t sequence = 0;
    if (!body || body->size() != sizeof sequence) return std::nullopt;
    std::memcpy(&sequence, body->data(), sizeof sequence);
    return sequence;
}

bool putSequence(Db& db, std::uint64_t sequence) {
    return putMachineRow(db, "sequence", std::string(reinterpret_cast<const char*>(&sequence), sizeof sequence));
}

// Reads object rows; false when a row's columns are not what we wrote.
template <typename F>
bool readRow(Db::Use& q, F&& take) {
    bool ok = true;
    ObjectRow row;
    row.id = q.id(0, ok);
    row.kind = static_cast<Kind>(q.integer(1));
    row.parent = q.id(2, ok);
    row.body = q.blob(3);
    if (!ok) return false;
    take(std::move(row), q.integer(4));
    return true;
}

// Writes the whole machine, every row placed in its parent's order.
bool writeWholeMachine(Db& db, const Model& m, std::uint64_t sequence, std::string& listsBody) {
    if (!db.exec("DELETE FROM object")) return false;
    const auto rows = rowsInOrder(m);
    const std::int64_t base = static_cast<std::int64_t>(sequence) << kOrderShift;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!putObject(db, rows[i], base + static_cast<std::int64_t>(i))) return false;
    listsBody = encodeLists(listsOf(m));
    return putMachineRow(db, "lists", listsBody);
}

// Runs `body` in a transaction of the kind `begin` opens; rolls back when it fails.
template <typename F>
bool inTransaction(Db& db, const char* begin, F&& body) {
    if (!db.exec(begin)) return false;
    if (body() && db.exec("COMMIT")) return true;
    db.exec("ROLLBACK");
    return false;
}

// Reads in one snapshot: a transaction of its own, or the write already open.
template <typename F>
bool inSnapshot(Db& db, F&& body) {
    if (sqlite3_get_autocommit(db.db) == 0) return body();
    return inTransaction(db, "BEGIN", body);
}

// Makes a new, empty file ours, holding the machine `initial()` gives; true
// too when another process made it first. `why` is set when the machine
// cannot be had, which no retry mends.
bool makeFile(Db& db, const std::function<std::optional<Model>(std::string&)>& initial, bool& created,
              std::string& why) {
    if (!db.exec("PRAGMA journal_mode = WAL")) return false;
    std::string listsBody;
    return inTransaction(db, "BEGIN IMMEDIATE", [&] {
        if (db.integer("SELECT count(*) FROM sqlite_master").value_or(-1) != 0) return true;
        std::optional<Model> model = initial(why);
        if (!model) return false;
        for (const char* sql : kSchema)
            if (!db.exec(sql)) return false;
        created = db.exec(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str()) &&
                  db.exec(("PRAGMA user_version = " + std::to_string(kStateSchemaVersion)).c_str()) &&
                  writeWholeMachine(db, *model, 0, listsBody) && putSequence(db, 0);
        return created;
    });
}

}  // namespace

StateFile::StateFile(std::string path, std::unique_ptr<Db> db) : path_(std::move(path)), db_(std::move(db)) {}
StateFile::~StateFile() = default;

std::unique_ptr<StateFile> StateFile::open(const std::string& path,
                                           const std::function<std::optional<Model>(std::string&)>& initial,
                                           bool& created, std::string& error, int busyTimeoutMs) {
    created = false;
    auto db = std::make_unique<Db>();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db->db, flags, nullptr) != SQLITE_OK) {
        error = "cannot be opened: " + db->error();
        return nullptr;
    }
    sqlite3_busy_timeout(db->db, busyTimeoutMs);
    // Whether it is ours is read before anything is written to it.
    // Both in one snapshot: another process may be making the file.
    std::optional<std::int64_t> application;
    std::optional<std::int64_t> tables;
    inTransaction(*db, "BEGIN", [&] {
        application = db->integer("PRAGMA application_id");
        tables = db->integer("SELECT count(*) FROM sqlite_master");
        return true;
    });
    if (!application || !tables) {
        error = "is not a state file of the simulated service (" + db->error() + ")";
        return nullptr;
    }
    if (*tables != 0 && *application != kApplicationId) {
        error = "is not a state file of the simulated service";
        return nullptr;
    }
    if (*tables == 0) {
        // New: made from the topology. Two processes may get here at once;
        // the one that writes first makes it, the other waits and finds it
        // made. Changing the journal mode takes the file whole, which the
        // busy handler does not wait for, so that wait is our own.
        std::string why;
        bool ok = false;
        for (int waited = 0; !ok && why.empty() && waited <= busyTimeoutMs; waited += kMakeRetryMs) {
            ok = makeFile(*db, initial, created, why);
            if (!ok) std::this_thread::sleep_for(std::chrono::milliseconds(kMakeRetryMs));
        }
        if (!ok) {
            error = why.empty() ? "cannot be made: " + db->error() : why;
            return nullptr;
        }
    }
    const auto version = db->integer("PRAGMA user_version");
    if (db->integer("PRAGMA application_id") != kApplicationId) {
        error = "is not a state file of the simulated service";
        return nullptr;
    }
    if (version != kStateSchemaVersion) {
        error = "has schema version " + std::to_string(version.value_or(-1)) + "; this build reads version " +
                std::to_string(kStateSchemaVersion);
        return nullptr;
    }
    // Durable when the process dies at any moment; a power cut may lose the
    // last changes, which a simulated machine can afford.
    db->exec("PRAGMA synchronous = NORMAL");
    // A change reads a few rows of a large file: mapped and cached, they
    // cost no system call.
    db->exec("PRAGMA mmap_size = 268435456");
    db->exec("PRAGMA cache_size = -32768");
    if (!db->exec(kFaultTable)) {
        error = "cannot be written: " + db->error();
        return nullptr;
    }
    std::unique_ptr<StateFile> state(new StateFile(path, std::move(db)));
    // Faults set before this process came count from its first call.
    if (!state->readFaultedMethods()) {
        error = "cannot be read: " + state->db_->error();
        return nullptr;
    }
    return state;
}

std::optional<Model> StateFile::loadMachine(std::string& error) {
    // Read before the machine: a commit in between moves it, and is caught
    // up on at the next look.
    const long long version = db_->integer("PRAGMA data_version").value_or(-1);
    std::optional<Model> model;
    std::uint64_t sequence = 0;
    std::string listsBody;
    const bool ok = inSnapshot(*db_, [&] {
        const auto committed = committedSequence(*db_);
        const auto body = machineRow(*db_, "lists");
        const auto lists = body ? decodeLists(*body) : std::nullopt;
        if (!committed || !lists) {
            error = "its machine's lists are missing or damaged";
            return false;
        }
        std::vector<ObjectRow> rows;
        Db::Use q = db_->use("SELECT id, kind, parent, body, ord FROM object ORDER BY ord");
        if (!q) return false;
        int step = SQLITE_ROW;
        while ((step = q.step()) == SQLITE_ROW)
            if (!readRow(q, [&](ObjectRow row, std::int64_t) { rows.push_back(std::move(row)); })) {
                error = "an object's row is damaged";
                return false;
            }
        if (step != SQLITE_DONE) return false;
        model = machineFromRows(*lists, rows, error);
        sequence = *committed;
        listsBody = *body;
        return model.has_value();
    });
    if (!ok) {
        if (error.empty()) error = db_->error();
        return std::nullopt;
    }
    seen_ = sequence;
    listsBody_ = std::move(listsBody);
    dataVersion_ = version;
    return model;
}

std::optional<StateFile::News> StateFile::news(std::string& error) {
    News out;
    const auto version = db_->integer("PRAGMA data_version");
    if (!version) {
        error = db_->error();
        return std::nullopt;
    }
    // Inside a write, the sequence itself is read: the write must start from
    // the very last change, whatever the data version said before it began.
    const bool writing = sqlite3_get_autocommit(db_->db) == 0;
    if (*version == dataVersion_ && !writing) return out;
    if (!readFaultedMethods()) {
        error = db_->error();
        return std::nullopt;
    }
    const bool ok = inSnapshot(*db_, [&] {
        const auto committed = committedSequence(*db_);
        if (!committed) return false;
        out.sequence = *committed;
        if (*committed == seen_) return true;
        Db::Use log = db_->use("SELECT seq, whole, touched, notices FROM change WHERE seq > ?1 ORDER BY seq");
        if (!log) return false;
        log.bind(1, static_cast<std::int64_t>(seen_));
        std::uint64_t expected = seen_ + 1;
        std::unordered_set<GUID, GuidHash> touched;
        int step = SQLITE_ROW;
        out.what = News::What::Changes;
        while ((step = log.step()) == SQLITE_ROW) {
            auto ids = decodeIds(log.blob(2));
            auto batch = decodeBatch(log.blob(3));
            if (static_cast<std::uint64_t>(log.integer(0)) != expected++ || log.integer(1) != 0 || !ids || !batch) {
                out.what = News::What::WholeMachine;  // fell behind the log, or a machine loaded whole
                return true;
            }
            touched.insert(ids->begin(), ids->end());
            out.batches.push_back(std::move(*batch));
        }
        if (step != SQLITE_DONE || expected != *committed + 1) {
            out.what = News::What::WholeMachine;
            return step == SQLITE_DONE;
        }
        std::vector<std::pair<std::int64_t, ObjectRow>> placed;
        for (const GUID& id : touched) {
            Db::Use q = db_->use("SELECT id, kind, parent, body, ord FROM object WHERE id = ?1");
            if (!q) return false;
            q.bind(1, blobOf(id));
            const int found = q.step();
            if (found == SQLITE_DONE) {
                out.gone.push_back(id);
                continue;
            }
            if (found != SQLITE_ROW ||
                !readRow(q, [&](ObjectRow row, std::int64_t order) { placed.emplace_back(order, std::move(row)); }))
                return false;
        }
        std::sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [order, row] : placed) out.rows.push_back(std::move(row));
        if (auto body = machineRow(*db_, "lists"); body && *body != listsBody_) {
            out.lists = decodeLists(*body);
            if (!out.lists) return false;
            listsBody_ = std::move(*body);
        }
        return true;
    });
    if (!ok) {
        error = db_->error();
        return std::nullopt;
    }
    dataVersion_ = *version;
    return out;
}

bool StateFile::beginWrite(std::string& error) {
    if (db_->exec("BEGIN IMMEDIATE")) return true;
    error = db_->error();
    return false;
}

void StateFile::rollback() { db_->exec("ROLLBACK"); }

bool StateFile::writeLog(bool whole, const std::vector<GUID>& touched, const Batch& told, std::string& error) {
    const std::uint64_t sequence = seen_ + 1;
    Db::Use q = db_->use("INSERT INTO change(seq, whole, touched, notices) VALUES(?1, ?2, ?3, ?4)");
    bool ok = q && q.bind(1, static_cast<std::int64_t>(sequence))
                           .bind(2, whole ? 1 : 0)
                           .bind(3, encodeIds(touched))
                           .bind(4, encodeBatch(told))
                           .step() == SQLITE_DONE;
    ok = ok && putSequence(*db_, sequence);
    if (ok && sequence % 256 == 0) {
        Db::Use prune = db_->use("DELETE FROM change WHERE seq <= ?1");
        ok = prune && prune.bind(1, static_cast<std::int64_t>(sequence) - kLogKept).step() == SQLITE_DONE;
    }
    if (ok && db_->exec("COMMIT")) {
        seen_ = sequence;
        return true;
    }
    error = db_->error();
    rollback();
    return false;
}

bool StateFile::commitChange(const Model& m, const Batch& told, std::string& error) {
    const std::uint64_t sequence = seen_ + 1;
    std::vector<GUID> touched;
    std::unordered_set<GUID, GuidHash> placedAgain;
    const std::int64_t base = static_cast<std::int64_t>(sequence) << kOrderShift;
    std::int64_t place = 0;
    bool ok = true;
    for (const auto& children : newlyFiledChildren(m))
        for (const GUID& id : children) {
            const auto kind = m.kindOf(id);
            auto row = kind ? rowOf(m, *kind, id) : std::nullopt;
            ok = ok && row && putObject(*db_, *row, base + place++);
            placedAgain.insert(id);
            touched.push_back(id);
        }
    for (const auto& [kind, id] : touchedObjects(m)) {
        if (placedAgain.count(id)) continue;
        touched.push_back(id);
        const auto row = rowOf(m, kind, id);
        ok = ok && (row ? putObject(*db_, *row, std::nullopt) : dropObject(*db_, id));
    }
    std::string listsBody = encodeLists(listsOf(m));
    if (ok && listsBody != listsBody_) ok = putMachineRow(*db_, "lists", listsBody);
    if (!ok) {
        error = db_->error();
        rollback();
        return false;
    }
    if (!writeLog(false, touched, told, error)) return false;
    listsBody_ = std::move(listsBody);
    return true;
}

bool StateFile::commitWholeMachine(const Model& m, const Batch& told, std::string& error) {
    std::string listsBody;
    if (!writeWholeMachine(*db_, m, seen_ + 1, listsBody)) {
        error = db_->error();
        rollback();
        return false;
    }
    if (!writeLog(true, {}, told, error)) return false;
    listsBody_ = std::move(listsBody);
    return true;
}

bool StateFile::readFaultedMethods() {
    Db::Use q = db_->use("SELECT method FROM fault");
    if (!q) return false;
    std::set<std::string> methods;
    int step = SQLITE_ROW;
    while ((step = q.step()) == SQLITE_ROW) methods.insert(q.blob(0));
    if (step != SQLITE_DONE) return false;
    faultedMethods_ = std::move(methods);
    return true;
}

bool StateFile::setCallFault(const std::string& method, int nth, HRESULT hr, std::string& error) {
    const bool ok = inTransaction(*db_, "BEGIN IMMEDIATE", [&] {
        Db::Use q = db_->use("INSERT OR REPLACE INTO fault(method, nth, calls, hr) VALUES(?1, ?2, 0, ?3)");
        return q && q.bindText(1, method.c_str()).bind(2, nth < 0 ? 0 : nth).bind(3, static_cast<std::int64_t>(hr))
                            .step() == SQLITE_DONE;
    });
    if (!ok) error = db_->error();
    return ok && readFaultedMethods();
}

bool StateFile::clearCallFaults(std::string& error) {
    const bool ok = inTransaction(*db_, "BEGIN IMMEDIATE", [&] { return db_->exec("DELETE FROM fault"); });
    if (!ok) error = db_->error();
    faultedMethods_.clear();
    return ok;
}

std::optional<HRESULT> StateFile::countCall(const std::string& method, std::string& error) {
    std::optional<HRESULT> due;
    const bool ok = inTransaction(*db_, "BEGIN IMMEDIATE", [&] {
        Db::Use q = db_->use("UPDATE fault SET calls = calls + 1 WHERE method = ?1 RETURNING nth, calls, hr");
        if (!q) return false;
        q.bindText(1, method.c_str());
        const int step = q.step();
        if (step == SQLITE_ROW) {
            const std::int64_t nth = q.integer(0);
            if (nth == 0 || q.integer(1) == nth) due = static_cast<HRESULT>(q.integer(2));
            return q.step() == SQLITE_DONE;
        }
        return step == SQLITE_DONE;
    });
    if (!ok) {
        error = db_->error();
        return std::nullopt;
    }
    return due;
}

}  // namespace tolvane::sim
