// Running copies of a program side by side (POSIX only): each child's
// standard output and standard error are collected in full.
#pragma once

#include <string>
#include <vector>

struct ChildOutcome {
    bool started = false;
    int exitCode = -1;  // -1 when the child did not exit by itself
    int signal = 0;     // the signal that ended it, if one did
    std::string out, err;
};

// Starts `program` once per argument list (argv[0] is added), all at once,
// and waits for every one. Standard input is /dev/null.
std::vector<ChildOutcome> runSideBySide(const std::string& program,
                                        const std::vector<std::vector<std::string>>& argLists);

// This program's own path, for starting copies of it.
std::string ownExecutable(const char* argv0);
