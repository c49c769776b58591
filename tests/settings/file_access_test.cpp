// Open and Save against what a POSIX file system can put in their way:
// FIFOs, devices, files of other users, and a crash in the middle of a save.
#ifndef _WIN32

#include "settings/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "config/models.h"
#include "settings/settings_file.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kHeader = "[GPS Quelter Config file]\r\n";

DeviceConfig patternImage() {
    DeviceConfig c;
    for (std::size_t i = 0; i < kConfigSize; ++i) c.bytes[i] = static_cast<std::uint8_t>(i * 7);
    return c;
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    return names;
}

// Opening a FIFO would wait for a writer, and /dev/zero never ends: both are
// refused before a byte is read, as is a link to a FIFO, and a FIFO that holds
// a whole settings file is no settings file either.
TEST(FileAccess, OpenRefusesWhatIsNotARegularFile) {
    TempDir dir;
    const std::string fifo = dir.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, dir.file("link.ini"));
    const std::string full = dir.file("full.ini");
    ASSERT_EQ(::mkfifo(full.c_str(), 0600), 0);
    // Held open for reading, so that the written bytes wait in the pipe.
    const int keep = ::open(full.c_str(), O_RDONLY | O_NONBLOCK);
    const int writer = ::open(full.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(keep, 0);
    ASSERT_GE(writer, 0);
    const std::string file = kHeader + "Speed=5\r\nBootVersion=17\r\n";
    ASSERT_EQ(::write(writer, file.data(), file.size()), static_cast<ssize_t>(file.size()));
    ::close(writer);

    for (const std::string& path : {fifo, dir.file("link.ini"), std::string("/dev/zero"), full}) {
        SCOPED_TRACE(path);
        const DeviceConfig before = patternImage();
        DeviceConfig image = before;
        int model = kModelRQ10;
        const SettingsOutcome outcome = LoadSettings(path, image, model, nullptr);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.text, "Ошибка загрузки файла");
        EXPECT_EQ(std::memcmp(image.bytes, before.bytes, kConfigSize), 0);
        EXPECT_EQ(model, kModelRQ10);
    }
    ::close(keep);
}

// A rename would put a plain file in place of a FIFO; Save refuses instead.
TEST(FileAccess, SaveRefusesWhatIsNotARegularFile) {
    TempDir dir;
    const std::string fifo = dir.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const SettingsOutcome outcome = SaveSettingsFile(fifo, patternImage(), kModelRQ30);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, "Ошибка сохранения настроек");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"fifo.ini"});
}

// The temporary name beside the target must fit the file system as well.
TEST(FileAccess, SaveTakesTheLongestFileName) {
    TempDir dir;
    const std::string name = std::string(251, 'n') + ".ini";  // 255 bytes
    ASSERT_TRUE(SaveSettingsFile(dir.file(name), patternImage(), kModelRQ30).ok);
    EXPECT_EQ(readBytes(dir.file(name)).substr(0, kHeader.size()), kHeader);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{name});
}

// A file of another user in a folder anyone may write to. The superuser's
// save keeps the file its owner's; any other user may not write it, and the
// save is refused instead of renaming a file of its own over it.
TEST(FileAccess, SaveOverAFileOfAnotherOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a file of another owner needs the superuser";
    constexpr uid_t kOwner = 4321;
    constexpr gid_t kGroup = 4322;
    constexpr uid_t kOtherUser = 65534;
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const std::string path = dir.write("theirs.ini", "their settings");
    ASSERT_EQ(::chown(path.c_str(), kOwner, kGroup), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

    ASSERT_TRUE(SaveSettingsFile(path, patternImage(), kModelRQ30).ok);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOwner);
    EXPECT_EQ(st.st_gid, kGroup);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(readBytes(path).substr(0, kHeader.size()), kHeader);

    const std::string written = readBytes(path);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);  // others may read, not write
    EXPECT_EXIT(
        {
            if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) std::_Exit(2);
            const SettingsOutcome o = SaveSettingsFile(path, DeviceConfig{}, kModelRQ10);
            std::fputs(o.text.c_str(), stderr);
            std::_Exit(o.ok ? 1 : 0);
        },
        testing::ExitedWithCode(0), "Ошибка сохранения настроек");
    EXPECT_EQ(readBytes(path), written);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOwner);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"theirs.ini"});
}

// A crash after the new bytes are written and before the rename: the old file
// is whole, and what is left beside it is hidden and no settings file by name.
TEST(FileAccess, CrashBeforeTheRenameLeavesNoSettingsFile) {
    TempDir dir;
    const std::string path = dir.write("s.ini", "old settings");
    EXPECT_EXIT(SaveFileReplacing(path,
                                  [](std::FILE* file) {
                                      std::fputs("[GPS Quelter Config file]\r\n", file);
                                      std::fflush(file);
                                      std::_Exit(0);
                                      return true;
                                  }),
                testing::ExitedWithCode(0), "");
    EXPECT_EQ(readBytes(path), "old settings");
    const std::vector<std::string> names = namesIn(dir.path());
    ASSERT_EQ(names.size(), 2u);
    const std::string& left = names[0] == "s.ini" ? names[1] : names[0];
    EXPECT_EQ(left.front(), '.') << left;
    EXPECT_FALSE(left.ends_with(".ini")) << left;
}

}  // namespace

#endif
