// quelter-cli and quelter-tracker-sim as separate processes, for the end-to-end
// tests: a simulator in the background, one run of the tool, scratch folders.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "config/device_config.h"

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

class TempDir {
  public:
    TempDir() {
        char tmpl[] = "/tmp/quelter-e2e-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path_); }
    fs::path operator/(const char* name) const { return path_ / name; }

  private:
    fs::path path_;
};

// quelter-tracker-sim in the background; stopped (and its --save written) on stop().
class Simulator {
  public:
    explicit Simulator(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv{const_cast<char*>(QUELTER_SIM)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(QUELTER_SIM, argv.data());
            _exit(127);
        }
        close(out[1]);
        // The first line is the terminal's path.
        char ch;
        while (read(out[0], &ch, 1) == 1 && ch != '\n') path_ += ch;
        close(out[0]);
    }
    ~Simulator() { stop(); }
    const std::string& path() const { return path_; }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    std::string path_;
};

struct CliRun {
    int exitCode = -1;  // -1 also when it had to be killed at the deadline
    std::string out, err;
    long maxResidentKiB = 0;
    double seconds = 0;
};

// Runs quelter-cli and waits for it, at most until the deadline; a run that
// is still going then is killed and counts as failed. Its user data folder,
// where backups go, is `dataHome`, or else "data" beside `scratch`: never
// the real home. asNobody: it runs as the user nobody (the caller must be root).
inline CliRun runCli(std::vector<std::string> args, const fs::path& scratch,
                     std::chrono::seconds deadline = std::chrono::seconds(60),
                     const fs::path& dataHome = {}, bool asNobody = false) {
    const fs::path outFile = scratch.string() + ".out", errFile = scratch.string() + ".err";
    const fs::path data = dataHome.empty() ? scratch.parent_path() / "data" : dataHome;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        const int o = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(o, STDOUT_FILENO);
        dup2(e, STDERR_FILENO);
        constexpr uid_t kNobody = 65534;
        if (asNobody &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(126);
        std::vector<char*> argv{const_cast<char*>(QUELTER_CLI)};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(QUELTER_CLI, argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    bool killed = false;
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() - start > deadline) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            killed = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    CliRun r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.exitCode = !killed && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.maxResidentKiB = usage.ru_maxrss;
    r.out = readFile(outFile);
    r.err = readFile(errFile);
    return r;
}

// A saved block (device order, as --save writes it) in host order.
inline DeviceConfig hostImage(const std::string& block) {
    DeviceConfig c{};
    std::memcpy(c.bytes, block.data(), std::min(block.size(), kDeviceBlockSize));
    SwapByteOrder(c);
    return c;
}
