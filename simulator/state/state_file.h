// The machine kept in a file (SQLite, write-ahead log), so that it outlives
// the process and every process using the simulated service sees one
// machine, as every program on a Windows server sees one Virtual Disk
// Service.
//
// The file holds one row per object (model/object_rows.h), the machine's own
// lists, and a log of recent changes: each change's sequence number, the
// objects it touched and the notifications it told. A writer applies its
// change against the latest committed machine inside the write transaction
// and writes only the rows it touched; a reader brings its copy up to date
// from the log, and tells its own clients what the writer told its own.
//
// Off Windows only: the Windows build of the simulated service keeps its
// machine in the process.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/change.h"
#include "model/model.h"
#include "model/object_rows.h"

namespace tolvane::sim {

// What CoCreateInstance, and any call that cannot reach the file, answers
// when the state file is refused (not ours, another schema version, damaged)
// or stays busy past the timeout: ERROR_DATABASE_FAILURE.
inline constexpr HRESULT kStateFileFailed = MAKE_HRESULT_CONST(0x800710D9u);

// The layout of rows and bodies; a file of any other version is refused.
inline constexpr int kStateSchemaVersion = 1;

class StateFile {
public:
    // How long a call waits for another process's write to finish.
    static constexpr int kBusyTimeoutMs = 5000;

    // Opens the file at `path`, creating it from `initial()` when it does not
    // exist or is empty; `created` says which. Nothing (and `error` set)
    // when the file is refused.
    static std::unique_ptr<StateFile> open(const std::string& path,
                                           const std::function<std::optional<Model>(std::string&)>& initial,
                                           bool& created, std::string& error, int busyTimeoutMs = kBusyTimeoutMs);
    ~StateFile();
    StateFile(const StateFile&) = delete;
    StateFile& operator=(const StateFile&) = delete;

    const std::string& path() const { return path_; }
    // The whole machine as committed, checked against the model's rules.
    std::optional<Model> loadMachine(std::string& error);

    // What other writers committed since this connection last caught up.
    struct News {
        enum class What { Nothing, Changes, WholeMachine } what = What::Nothing;
        std::uint64_t sequence = 0;
        std::vector<ObjectRow> rows;  // touched objects that have rows, in order
        std::vector<GUID> gone;       // touched objects that no longer have one
        std::optional<MachineLists> lists;
        std::vector<Batch> batches;   // the notifications each change told
    };
    // Cheap when nothing changed: one look at the file's data version.
    std::optional<News> news(std::string& error);
    // The sequence now caught up to (after the caller applied the news).
    void caughtUp(std::uint64_t sequence) { seen_ = sequence; }

    // A change: begin (waiting for other writers up to the timeout), catch up
    // with news(), apply, then either write what the open change of `m`
    // touched with its notifications and commit, or roll back.
    bool beginWrite(std::string& error);
    bool commitChange(const Model& m, const Batch& told, std::string& error);
    void rollback();
    // Inside a write: the whole machine replaced (a topology loaded).
    bool commitWholeMachine(const Model& m, const Batch& told, std::string& error);

    // Call faults kept in the file, so that a tool that sets one (and ends)
    // fails the call in whichever process makes it: the nth call from when
    // it was set, counted over every process, or every call for nth 0.
    bool setCallFault(const std::string& method, int nth, HRESULT hr, std::string& error);
    bool clearCallFaults(std::string& error);
    // Whether `method` has a fault in the file, as of the last news(): a
    // call without one costs no write.
    bool hasCallFault(const std::string& method) const { return faultedMethods_.count(method) != 0; }
    // Counts one call of `method` against its fault: the failure when it is due.
    std::optional<HRESULT> countCall(const std::string& method, std::string& error);

    // The connection, known only where the file is read and written.
    struct Db;

private:
    explicit StateFile(std::string path, std::unique_ptr<Db> db);
    bool writeLog(bool whole, const std::vector<GUID>& touched, const Batch& told, std::string& error);
    bool readFaultedMethods();

    std::string path_;
    std::unique_ptr<Db> db_;
    std::uint64_t seen_ = 0;        // the last change this copy holds
    long long dataVersion_ = -1;    // the file's data version when last looked
    std::string listsBody_;         // the machine's lists as last written or read
    std::set<std::string> faultedMethods_;
};

}  // namespace tolvane::sim
