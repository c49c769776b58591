// A fresh folder for one test's files, removed with everything in it.
#pragma once

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

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
