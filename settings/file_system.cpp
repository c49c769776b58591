#include "settings/file_system.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

std::FILE* OpenNewFile(const std::string& path, bool& taken) {
#ifdef _WIN32
    // The C library's "x" mode is not honoured here; _O_EXCL is.
    const int fd =
        ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
#endif
    taken = fd < 0 && errno == EEXIST;
    if (fd < 0) return nullptr;
#ifdef _WIN32
    std::FILE* file = ::_fdopen(fd, "wb");
    if (!file) ::_close(fd);
#else
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
#endif
    return file;
}

std::string UserDataFolder() {
#ifdef _WIN32
    return environment("LOCALAPPDATA");
#else
    // A relative XDG_DATA_HOME is to be ignored.
    const std::string xdg = environment("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') return xdg;
    const std::string home = environment("HOME");
    return home.empty() ? std::string() : home + "/.local/share";
#endif
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &now);
#else
    ::localtime_r(&now, &local);
#endif
    return local;
}
