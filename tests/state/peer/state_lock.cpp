// Holds a state file's write lock, as a process in the middle of a long
// change would, for the tests of what others answer meanwhile:
//
//   state_lock FILE    "LOCKED" once the lock is held; lets go when its
//                      standard input ends
#include <sqlite3.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: state_lock FILE\n");
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::printf("FAILED %s\n", db != nullptr ? sqlite3_errmsg(db) : "no memory");
        sqlite3_close(db);
        return 1;
    }
    std::printf("LOCKED\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}
