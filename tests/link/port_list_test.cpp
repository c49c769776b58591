// Which device COM n is.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "link/com_port.h"
#include "link/port_list.h"

namespace fs = std::filesystem;

namespace {

TEST(PortList, EnvironmentListsThePortsInItsOrder) {
    EXPECT_EQ(splitPortList("/dev/pts/7:/dev/ttyUSB0"),
              (std::vector<std::string>{"/dev/pts/7", "/dev/ttyUSB0"}));
    // An empty place is a port that never opens; the numbering keeps it.
    EXPECT_EQ(splitPortList("::/dev/pts/3"), (std::vector<std::string>{"", "", "/dev/pts/3"}));
}

TEST(PortList, PortsBeyondTheListOrMissingDoNotOpen) {
    ::setenv("QUELTER_PORTS", ":/nonexistent/tty", 1);
    CCOMPort port;
    for (int n : {0, 1, 2, 3, 300}) {
        EXPECT_EQ(port.open(n, 115200), 1) << n;
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(port.available(), 0);
    }
}

TEST(PortList, NaturalOrderComparesNumbersByValue) {
    EXPECT_TRUE(naturalLess("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(naturalLess("ttyUSB10", "ttyUSB2"));
    EXPECT_TRUE(naturalLess("ttyS9", "ttyUSB0"));
    EXPECT_TRUE(naturalLess("ttyS1", "ttyS1x"));
    EXPECT_FALSE(naturalLess("ttyS1", "ttyS1"));
}

// A /sys/class/tty and /dev made up of the ports a desktop might have.
class SystemPorts : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quelter-ports-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "sys");
        fs::create_directories(root_ / "dev");
    }
    void TearDown() override { fs::remove_all(root_); }

    // type < 0: the driver reports no port type.
    void addTty(const std::string& name, bool hardware, int type, bool node = true) {
        const fs::path dir = root_ / "sys" / name;
        fs::create_directories(dir);
        if (hardware) fs::create_directories(dir / "device");
        if (type >= 0) std::ofstream(dir / "type") << type << "\n";
        if (node) std::ofstream(root_ / "dev" / name);
    }

    std::vector<std::string> list() {
        return systemSerialPorts((root_ / "sys").string(), (root_ / "dev").string());
    }
    std::string dev(const std::string& name) { return (root_ / "dev" / name).string(); }

    fs::path root_;
};

TEST_F(SystemPorts, RealSerialHardwareInNaturalOrder) {
    addTty("ttyUSB10", true, -1);
    addTty("ttyUSB2", true, -1);
    addTty("ttyACM0", true, -1);
    addTty("ttyS0", true, 4);  // a 16550A
    addTty("ttyS1", true, 0);  // a UART slot with no chip
    addTty("ttyS12", true, 4);
    addTty("ttyAMA0", true, 83);
    addTty("ttyS3", false, 4);           // no device behind it
    addTty("ttyUSB5", true, -1, false);  // gone from /dev
    addTty("tty1", true, -1);            // virtual console
    addTty("ttyprintk", true, -1);
    addTty("console", false, -1);

    EXPECT_EQ(list(), (std::vector<std::string>{dev("ttyACM0"), dev("ttyAMA0"), dev("ttyS0"),
                                                dev("ttyS12"), dev("ttyUSB2"), dev("ttyUSB10")}));
}

TEST_F(SystemPorts, NoSysfsMeansNoPorts) {
    EXPECT_TRUE(systemSerialPorts((root_ / "missing").string(), (root_ / "dev").string()).empty());
}

}  // namespace
