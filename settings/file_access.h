// Reading and replacing whole files: the one place where the settings code
// talks to the operating system, and the only one that differs between POSIX
// and Windows. Paths are UTF-8 (on Windows, one that is not valid UTF-8 is
// taken in the ANSI code page, as a command line's arguments come).
#pragma once

#include <cstddef>
#include <cstdio>
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
