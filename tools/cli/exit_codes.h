// quelter-cli's exit statuses.
#pragma once

enum ExitCode {
    kExitOk = 0,
    kExitNoTracker = 1,
    kExitModel = 2,
    kExitStopped = 3,
    kExitFile = 4,
    kExitCheck = 5,    // the block read back after a write differs from what was sent
    kExitChanges = 8,  // diff: a write would change the tracker
    kExitUsage = 64,
};
