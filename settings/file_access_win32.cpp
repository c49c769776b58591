// settings/file_access.h on Windows: wide paths, handles and the C
// runtime's file descriptors.
#include "settings/file_access.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <filesystem>

#include "settings/file_access_parts.h"

using namespace file_access_parts;

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
