// Reading, replacing and creating whole files, and where the user's data
// lives: the one place where the settings code talks to the operating system,
// and the only one that differs between POSIX and Windows. Paths are UTF-8
// (on Windows, one that is not valid UTF-8 is taken in the ANSI code page, as
// a command line's arguments come).
#pragma once

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <functional>
#include <limits>
#include <string>

inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

// The whole of a regular file of at most maxBytes into `out`. Anything else
// (a FIFO, a device, a folder) and any larger file is refused at once, judged
// on the opened file itself, without waiting on it or reading it; a file
// that grows while it is read is refused as soon as it passes maxBytes. On
// failure `out` is as it was.
bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& out);

// Writes a new file through `write` and puts it in place of `path` in one
// step, so a reader, a crash or a power cut sees either the old file or the
// whole new one:
//  - a symbolic link is followed, and the file it points at is replaced;
//  - an existing target must be a regular file this user may write; it keeps
//    its permissions and its owner (a file whose owner cannot be kept, because
//    it belongs to someone else, is refused rather than taken over);
//  - the new bytes go to a hidden temporary file beside the target, named
//    ".NAME.XXXXXXXX.tmp" so that nothing left by a crash passes for a
//    settings file; it is flushed to disk before it is renamed over the
//    target, and the folder is flushed after.
// False, with the target untouched and no temporary file left, when any step
// fails or `write` returns false.
bool SaveFileReplacing(const std::string& path, const std::function<bool(std::FILE*)>& write);

enum class NewFileResult { Created, Taken, Failed };

// Writes a new file at `path` through `write`, only if nothing of that name
// exists yet: the test and the creation are one step, so two writers (threads
// or processes) never both get one name. The file is readable by its owner
// only, and on disk before Created is returned. Taken: the name was in use
// and nothing was touched. Failed: `reason` says why, and nothing of ours is
// left behind.
NewFileResult SaveNewFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                          std::string& reason);

// Makes a folder and any missing folders above it; false, with the reason,
// when it is not there afterwards.
bool MakeFolders(const std::string& path, std::string& reason);

// Removes a file, if there is one.
void RemoveFile(const std::string& path);

// Where per-user application data lives: $XDG_DATA_HOME (when absolute) or
// $HOME/.local/share; %LOCALAPPDATA% on Windows. Empty when the environment
// names none.
std::string UserDataFolder();

// Between a folder and a name in the paths above.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The local date and time now.
std::tm LocalTimeNow();
