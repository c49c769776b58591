// A fresh folder for one test's files, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

class TempDir {
  public:
    TempDir() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("quelter-settings-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(std::string_view name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

    std::string write(std::string_view name, std::string_view bytes) const {
        std::ofstream(file(name), std::ios::binary).write(bytes.data(), bytes.size());
        return file(name);
    }

  private:
    std::filesystem::path path_;
};

// Sets an environment variable; an empty value removes it.
inline void setEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
#endif
}

// A fresh folder that stands in for the user's data folder (XDG_DATA_HOME,
// LOCALAPPDATA on Windows) while it lives, so that backups never reach the
// real home.
class DataHome : public TempDir {
  public:
#ifdef _WIN32
    static constexpr const char* kVariable = "LOCALAPPDATA";
#else
    static constexpr const char* kVariable = "XDG_DATA_HOME";
#endif
    DataHome() {
        if (const char* old = std::getenv(kVariable)) old_ = old;
        setEnvironment(kVariable, path().string());
    }
    ~DataHome() {
        setEnvironment(kVariable, old_);
    }
    std::filesystem::path backups() const {
        return path() / "quelter-config" / "backups";
    }

  private:
    std::string old_;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
