#include "settings/file_access.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Room for one byte past the limit, to tell a file of exactly maxBytes from
// a longer one.
std::size_t capacityFor(std::size_t maxBytes) {
    return maxBytes < kNoSizeLimit ? maxBytes + 1 : kNoSizeLimit;
}

// Grows `data` while reading so that a file which grows after its size was
// taken is still read whole, but never past `cap`.
template <class ReadSome>
bool readAll(std::size_t expected, std::size_t maxBytes, std::string& out, ReadSome readSome) {
    const std::size_t cap = capacityFor(maxBytes);
    std::string data(std::min(cap, expected + 1), '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
            if (used >= cap) return false;
            data.resize(std::min(cap, used + (std::size_t{1} << 16)));
        }
        long got = 0;
        if (!readSome(data.data() + used, data.size() - used, got)) return false;
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    if (used > maxBytes) return false;
    data.resize(used);
    out.swap(data);
    return true;
}

// A fresh hidden name in the target's folder: ".NAME.<16 hex digits>.tmp",
// with NAME cut short enough that a target of the longest name the file
// system allows still gets a temporary name it allows.
std::string temporaryNameFor(const std::string& target, std::size_t nameStart) {
    static std::mt19937_64 random{std::random_device{}()};
    constexpr std::size_t kNameKept = 200;
    char suffix[16];
    const auto end = std::to_chars(suffix, suffix + sizeof suffix, random(), 16).ptr;
    return target.substr(0, nameStart) + "." + target.substr(nameStart, kNameKept) + "." +
           std::string(suffix, end) + ".tmp";
}

constexpr int kNameAttempts = 8;

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

}  // namespace

#ifdef _WIN32

namespace {

// UTF-8, as the window passes paths; a path that is not valid UTF-8 is taken
// in the ANSI code page, as the C runtime hands a command line's arguments.
std::wstring widen(const std::string& path) {
    if (path.empty()) return {};
    const int size = static_cast<int>(path.size());
    UINT codePage = CP_UTF8;
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
    if (n == 0) {
        codePage = CP_ACP;
        n = MultiByteToWideChar(codePage, 0, path.data(), size, nullptr, 0);
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, path.data(), size, wide.data(), n);
    return wide;
}

struct HandleCloser {
    HANDLE h;
    ~HandleCloser() { CloseHandle(h); }
};

}  // namespace

bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& out) {
    const HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    HandleCloser closer{h};
    // Pipes, consoles and devices are not files.
    if (GetFileType(h) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return false;
    return readAll(static_cast<std::size_t>(size.QuadPart), maxBytes, out,
                   [h](char* to, std::size_t room, long& got) {
                       DWORD n = 0;
                       const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(room, 1u << 30));
                       if (!ReadFile(h, to, ask, &n, nullptr)) return false;
                       got = static_cast<long>(n);
                       return true;
                   });
}

bool SaveFileReplacing(const std::string& path, const std::function<bool(std::FILE*)>& write) {
    const std::wstring target = widen(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return false;

    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::wstring temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
        temporary = widen(temporaryNameFor(path, nameStart));
        fd = _wopen(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) {
        _close(fd);
        _wremove(temporary.c_str());
        return false;
    }
    bool ok = write(file) && std::fflush(file) == 0 &&
              FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
    ok = std::fclose(file) == 0 && ok;
    // Write-through: the rename is on disk when it returns.
    if (ok)
        ok = MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) _wremove(temporary.c_str());
    return ok;
}

NewFileResult SaveNewFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                          std::string& reason) {
    const std::wstring wide = widen(path);
    const int fd = _wopen(wide.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        if (errno == EEXIST) return NewFileResult::Taken;
        reason = systemReason(errno);
        return NewFileResult::Failed;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) {
        reason = systemReason(errno);
        _close(fd);
        _wremove(wide.c_str());
        return NewFileResult::Failed;
    }
    bool ok = write(file) && std::fflush(file) == 0 &&
              FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
    if (!ok) reason = systemReason(errno);
    if (std::fclose(file) != 0 && ok) {
        reason = systemReason(errno);
        ok = false;
    }
    if (ok) return NewFileResult::Created;
    _wremove(wide.c_str());
    return NewFileResult::Failed;
}

bool MakeFolders(const std::string& path, std::string& reason) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(widen(path)), ec);
    if (ec) reason = ec.message();
    return !ec;
}

void RemoveFile(const std::string& path) {
    _wremove(widen(path).c_str());
}

std::string UserDataFolder() {
    const wchar_t* folder = _wgetenv(L"LOCALAPPDATA");
    if (!folder || !*folder) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, folder, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, folder, -1, utf8.data(), n, nullptr, nullptr);
    utf8.pop_back();  // the terminator
    return utf8;
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return local;
}

#else  // POSIX

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

#endif
