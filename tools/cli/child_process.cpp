#include "tools/cli/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace {

// An unnamed temporary file: a pipe per stream would need a poll loop so
// that a child with much to say never blocks on a full pipe.
int anonymousFile() {
    char name[] = "/tmp/quelter-cli-child-XXXXXX";
    // Close-on-exec, so no other child inherits it; dup2 onto a child's
    // standard stream clears the flag there.
    const int fd = mkostemp(name, O_CLOEXEC);
    if (fd >= 0) unlink(name);
    return fd;
}

std::string readAll(int fd) {
    std::string text;
    if (lseek(fd, 0, SEEK_SET) != 0) return text;
    char chunk[4096];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) {
            text.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            return text;
        }
    }
}

struct Child {
    pid_t pid = -1;
    int out = -1, err = -1;
};

Child start(const std::string& program, const std::vector<std::string>& args) {
    Child c;
    c.out = anonymousFile();
    c.err = anonymousFile();
    if (c.out < 0 || c.err < 0) return c;

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, c.out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, c.err, STDERR_FILENO);
    pid_t pid;
    // A bare name (no /proc to say where this program lives) is looked up on PATH.
    const auto spawn = program.find('/') == std::string::npos ? posix_spawnp : posix_spawn;
    if (spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) c.pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    return c;
}

}  // namespace

std::vector<ChildOutcome> runSideBySide(const std::string& program,
                                        const std::vector<std::vector<std::string>>& argLists) {
    std::vector<Child> children;
    for (const auto& args : argLists) children.push_back(start(program, args));

    std::vector<ChildOutcome> outcomes(children.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        Child& c = children[i];
        ChildOutcome& o = outcomes[i];
        if (c.pid > 0) {
            o.started = true;
            int status = 0;
            while (waitpid(c.pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (WIFEXITED(status)) o.exitCode = WEXITSTATUS(status);
            if (WIFSIGNALED(status)) o.signal = WTERMSIG(status);
        }
        for (auto [fd, text] : {std::pair{c.out, &o.out}, std::pair{c.err, &o.err}}) {
            if (fd < 0) continue;
            *text = readAll(fd);
            close(fd);
        }
    }
    return outcomes;
}

std::string ownExecutable(const char* argv0) {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n > 0) return std::string(path, static_cast<std::size_t>(n));
    // Without /proc: a path as started; a bare name was found on PATH.
    char resolved[PATH_MAX];
    if (realpath(argv0, resolved)) return resolved;
    return argv0;
}
