// One machine shared by processes through a state file: clients in
// processes of their own (state_peer) hear and list what another process
// made, change the machine at once and agree on it, and a process killed at
// any moment leaves the file holding exactly what its calls had committed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "vds_sim.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// A state_peer process, its stdin and stdout piped to the test.
class PeerProcess {
public:
    PeerProcess(const std::string& stateFile, std::vector<std::string> args) {
        int toPeer[2];
        int fromPeer[2];
        if (pipe(toPeer) != 0 || pipe(fromPeer) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toPeer[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromPeer[1], 1);
        for (int fd : {toPeer[0], toPeer[1], fromPeer[0], fromPeer[1]}) posix_spawn_file_actions_addclose(&actions, fd);
        args.insert(args.begin(), TOLVANE_STATE_PEER);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env = {"TOLVANE_SIM_STATE=" + stateFile};
        for (char** e = environ; *e != nullptr; ++e)
            if (std::strncmp(*e, "TOLVANE_SIM_", 12) != 0) env.push_back(*e);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, TOLVANE_STATE_PEER, &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(toPeer[0]);
        close(fromPeer[1]);
        in_ = toPeer[1];
        out_ = fromPeer[0];
    }
    ~PeerProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(in_);
        close(out_);
    }

    // The next line, or nothing once the peer ends or the time is up.
    std::optional<std::string> line(std::chrono::milliseconds within = 20s) {
        const auto due = std::chrono::steady_clock::now() + within;
        for (;;) {
            if (auto end = buffered_.find('\n'); end != std::string::npos) {
                std::string text = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return text;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count()))) <= 0) return std::nullopt;
            char chunk[512];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffered_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // Every line until the peer's output ends.
    std::vector<std::string> rest() {
        std::vector<std::string> out;
        while (auto l = line()) out.push_back(*l);
        return out;
    }
    void say(const std::string& text) {
        const std::string l = text + "\n";
        EXPECT_EQ(write(in_, l.data(), l.size()), static_cast<ssize_t>(l.size()));
    }
    void killNow() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // The exit status once it ends.
    int exitCode() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffered_;
};

class SharedMachine : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = (std::filesystem::temp_directory_path() / ("tolvane-shared-" + std::to_string(getpid()) + ".db")).string();
        Clean();
    }
    void TearDown() override { Clean(); }
    void Clean() {
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path_ + suffix).c_str());
    }
    // The one line starting with `prefix` of what a peer said, without it.
    static std::string valueAfter(const std::vector<std::string>& lines, const std::string& prefix) {
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
        return {};
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::string path_;
};

TEST_F(SharedMachine, AnotherProcessHearsAndListsWhatOneMade) {
    PeerProcess watcher(path_, {"watch", "10000"});
    ASSERT_EQ(watcher.line(), "READY");
    PeerProcess maker(path_, {"make"});
    const auto made = maker.rest();
    ASSERT_EQ(maker.exitCode(), 0) << ::testing::PrintToString(made);
    const std::string lun = valueAfter(made, "LUN ");
    const std::string volume = valueAfter(made, "VOLUME ");
    ASSERT_FALSE(lun.empty());
    ASSERT_FALSE(volume.empty());
    const auto heard = watcher.rest();
    EXPECT_TRUE(has(heard, "ARRIVED LUN " + lun)) << ::testing::PrintToString(heard);
    EXPECT_TRUE(has(heard, "ARRIVED VOLUME " + volume)) << ::testing::PrintToString(heard);
    EXPECT_TRUE(has(heard, "LISTED LUN " + lun));
    EXPECT_TRUE(has(heard, "LISTED VOLUME " + volume));
}

TEST_F(SharedMachine, ProcessesChangingAtOnceAgreeOnTheMachine) {
    PeerProcess first(path_, {"churn", "150", "1"});
    PeerProcess second(path_, {"churn", "150", "2"});
    ASSERT_EQ(first.line(60s), "DONE");
    ASSERT_EQ(second.line(60s), "DONE");
    first.say("go");
    second.say("go");
    const auto one = first.line();
    const auto other = second.line();
    ASSERT_TRUE(one && one->rfind("DIGEST ", 0) == 0) << one.value_or("(nothing)");
    EXPECT_EQ(one, other);
    // A process that opens the file now reads the machine they agree on, and
    // its rules hold, or the service would not have started.
    setenv("TOLVANE_SIM_STATE", path_.c_str(), 1);
    char digest[32];
    std::snprintf(digest, sizeof digest, "DIGEST %016llx", VdsSimModelDigest());
    unsetenv("TOLVANE_SIM_STATE");
    EXPECT_EQ(one, std::string(digest));
}

TEST_F(SharedMachine, AProcessKilledAtAnyMomentLeavesExactlyWhatItsCallsCommitted) {
    PeerProcess maker(path_, {"make"});
    const std::string lun = valueAfter(maker.rest(), "LUN ");
    ASSERT_FALSE(lun.empty());
    const auto sizeNow = [&] {
        PeerProcess reader(path_, {"size", lun});
        const auto said = reader.rest();
        EXPECT_EQ(reader.exitCode(), 0) << ::testing::PrintToString(said);
        return std::stoull(valueAfter(said, "SIZE ").empty() ? "0" : valueAfter(said, "SIZE "));
    };
    constexpr std::uint64_t kMiB = 1024ull * 1024;
    std::uint64_t size = sizeNow();
    std::mt19937 random(11);
    for (int round = 0; round < 50; ++round) {
        PeerProcess grower(path_, {"grow", lun});
        ASSERT_EQ(grower.line(), "GREW 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
        grower.killNow();
        long grew = 1;
        while (auto l = grower.line(0ms))
            if (l->rfind("GREW ", 0) == 0) grew = std::stol(l->substr(5));
        const std::uint64_t now = sizeNow();
        // Every Extend whose Wait answered is there; the one under way when
        // the process died may be there too, whole, or not at all.
        EXPECT_TRUE(now == size + grew * kMiB || now == size + (grew + 1) * kMiB)
            << "round " << round << ": " << grew << " returned, " << (now - size) / kMiB << " MiB found";
        size = now;
    }
}

}  // namespace
