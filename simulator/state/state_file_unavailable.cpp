// The Windows build of the simulated service keeps its machine in the
// process: no SQLite is built for Windows here, and on Windows a client
// that needs a machine that outlives it has the real service.
#include "state/state_file.h"

namespace tolvane::sim {

struct StateFile::Db {};

StateFile::StateFile(std::string path, std::unique_ptr<Db> db) : path_(std::move(path)), db_(std::move(db)) {}
StateFile::~StateFile() = default;

std::unique_ptr<StateFile> StateFile::open(const std::string&, const std::function<std::optional<Model>(std::string&)>&,
                                           bool& created, std::string& error, int) {
    created = false;
    error = "cannot be used: the Windows build of the simulated service keeps its machine in the process";
    return nullptr;
}

std::optional<Model> StateFile::loadMachine(std::string& error) {
    error = "no state file";
    return std::nullopt;
}
std::optional<StateFile::News> StateFile::news(std::string&) { return News{}; }
bool StateFile::beginWrite(std::string&) { return false; }
bool StateFile::commitChange(const Model&, const Batch&, std::string&) { return false; }
void StateFile::rollback() {}
bool StateFile::commitWholeMachine(const Model&, const Batch&, std::string&) { return false; }
bool StateFile::writeLog(bool, const std::vector<GUID>&, const Batch&, std::string&) { return false; }
bool StateFile::setCallFault(const std::string&, int, HRESULT, std::string&) { return false; }
bool StateFile::clearCallFaults(std::string&) { return false; }
std::optional<HRESULT> StateFile::countCall(const std::string&, std::string&) { return std::nullopt; }

}  // namespace tolvane::sim
