// The few file-system services that differ between Windows and the POSIX
// systems: creating a file that must not exist yet, the user's data folder
// and the local time.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>

// Opens `path` for binary writing only if nothing of that name exists yet.
// The test and the creation are one step, so two processes can never both
// get the same name. nullptr when it fails; `taken` then says whether the
// name was already in use (rather than the folder refusing the file).
std::FILE* OpenNewFile(const std::string& path, bool& taken);

// Where per-user application data lives: $XDG_DATA_HOME (when absolute) or
// $HOME/.local/share; %LOCALAPPDATA% on Windows. Empty when the environment
// names none.
std::string UserDataFolder();

// The local date and time now.
std::tm LocalTimeNow();
