// settings/file_access.h on POSIX systems.
#include "settings/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "settings/file_access_parts.h"

using namespace file_access_parts;

namespace {

namespace fs = std::filesystem;

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

// The file a symbolic link points at, so that saving replaces that file and
// not the link.
std::string resolveTarget(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path resolved = fs::weakly_canonical(path, ec);
        if (!ec) return resolved.string();
    }
    return path;
}

// The new file takes the old one's owner and group. Only the owner matters
// enough to refuse over: a group that cannot be kept leaves the file ours.
bool keepOwner(int fd, const struct stat& old) {
    if (old.st_uid != ::geteuid()) return ::fchown(fd, old.st_uid, old.st_gid) == 0;
    if (old.st_gid != ::getegid()) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    return true;
}

// After a rename the folder's entry must reach the disk as well. Some file
// systems cannot sync a folder; the file itself is in place by then.
void syncFolderOf(const std::string& target, std::size_t nameStart) {
    const std::string folder = nameStart == 0 ? "." : target.substr(0, nameStart);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& out) {
    // Non-blocking, so that opening a FIFO without a writer does not wait.
    FdCloser file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0) return false;
    struct stat st;
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<unsigned long long>(st.st_size) > maxBytes)
        return false;
    return readAll(static_cast<std::size_t>(st.st_size), maxBytes, out,
                   [&file](char* to, std::size_t room, long& got) {
                       ssize_t n;
                       do n = ::read(file.fd, to, room);
                       while (n < 0 && errno == EINTR);
                       got = static_cast<long>(n);
                       return n >= 0;
                   });
}

bool SaveFileReplacing(const std::string& path, const std::function<bool(std::FILE*)>& write) {
    const std::string target = resolveTarget(path);
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A rename would replace a device, a FIFO or a file the user may not
    // write regardless: refuse them as opening them for writing would. A file
    // nobody may write stays as it is even for the superuser, whom access()
    // lets write anything.
    constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & kAnyWrite) == 0 ||
                   ::access(target.c_str(), W_OK) != 0))
        return false;

    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
        temporary = temporaryNameFor(target, nameStart);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    bool ok = !exists || (keepOwner(fd, old) && ::fchmod(fd, old.st_mode & 07777) == 0);
    ok = ok && write(file) && std::fflush(file) == 0 && ::fsync(fd) == 0;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolderOf(target, nameStart);
    return true;
}

NewFileResult SaveNewFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                          std::string& reason) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) return NewFileResult::Taken;
        reason = systemReason(errno);
        return NewFileResult::Failed;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        reason = systemReason(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return NewFileResult::Failed;
    }
    bool ok = write(file) && std::fflush(file) == 0 && ::fsync(fd) == 0;
    if (!ok) reason = systemReason(errno);
    if (std::fclose(file) != 0 && ok) {
        reason = systemReason(errno);
        ok = false;
    }
    if (ok) return NewFileResult::Created;
    ::unlink(path.c_str());
    return NewFileResult::Failed;
}

bool MakeFolders(const std::string& path, std::string& reason) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec) reason = ec.message();
    return !ec;
}

void RemoveFile(const std::string& path) {
    ::unlink(path.c_str());
}

std::string UserDataFolder() {
    // A relative XDG_DATA_HOME is to be ignored.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    return std::string(home) + "/.local/share";
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}
