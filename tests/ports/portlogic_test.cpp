// The catalogue's logic that needs no devices: reading /proc/locks and UUCP
// lock files, the order of device paths, typed paths, writing COM links and
// the English listing.
#include "ports/catalogue.h"
#include "ports/cataloguetext.h"
#include "ports/comlinks.h"
#include "ports/portlocks.h"
#include "ports/udevscan.h"
#include "sampleports.h"
#include "serial/portnames.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tovrix {
namespace {

namespace fs = std::filesystem;

TEST(PortLocks, GrantedLocksAreReadAndWaitersAndGarbageSkipped) {
    const std::vector<FileLock> locks = parseFileLocks(
        "1: FLOCK  ADVISORY  WRITE 4242 00:1a:3 0 EOF\n"
        "1: -> FLOCK  ADVISORY  WRITE 4243 00:1a:3 0 EOF\n"
        "2: POSIX  ADVISORY  WRITE 17 08:01:1234567 0 EOF\n"
        "3: OFDLCK ADVISORY  READ  -1 fd:0a:99 0 EOF\n"
        "4: FLOCK  ADVISORY  WRITE abc 00:1a:4 0 EOF\n"
        "5: FLOCK  ADVISORY  WRITE 12 00:1a 0 EOF\n"
        "\n");
    ASSERT_EQ(locks.size(), 3u);
    EXPECT_EQ(locks[0].pid, 4242);
    EXPECT_EQ(locks[0].major, 0u);
    EXPECT_EQ(locks[0].minor, 0x1au);
    EXPECT_EQ(locks[0].inode, 3u);
    EXPECT_EQ(locks[1].pid, 17);
    EXPECT_EQ(locks[1].major, 8u);
    EXPECT_EQ(locks[1].inode, 1234567u);
    EXPECT_EQ(locks[2].pid, -1);
    EXPECT_EQ(locks[2].major, 0xfdu);
    EXPECT_EQ(locks[2].minor, 0x0au);
}

class UucpLockFiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(dir_.empty()); }
    void write(const std::string& content) {
        std::ofstream(dir_ + "/LCK..ttyUSB0", std::ios::binary) << content;
    }
    test::TempFolder folder_;
    const std::string& dir_ = folder_.path();
};

TEST_F(UucpLockFiles, NameTheirLiveProcessInEitherFormAndStaleOnesNothing) {
    const pid_t self = ::getpid();
    EXPECT_EQ(uucpLockOwner(dir_, "ttyUSB0"), std::nullopt) << "no file";
    write("      " + std::to_string(self) + "\n");
    EXPECT_EQ(uucpLockOwner(dir_, "ttyUSB0"), self);
    EXPECT_EQ(uucpLockOwner(dir_, "ttyUSB1"), std::nullopt) << "another device's name";
    const int binary = self;
    write(std::string(reinterpret_cast<const char*>(&binary), sizeof binary));
    EXPECT_EQ(uucpLockOwner(dir_, "ttyUSB0"), self);
    // A process that has ended leaves a stale file behind.
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    write(std::to_string(child) + "\n");
    EXPECT_EQ(uucpLockOwner(dir_, "ttyUSB0"), std::nullopt);
    write("not a number\n");
    EXPECT_EQ(uucpLockOwner(dir_, "ttyUSB0"), std::nullopt);
    write("0\n");
    EXPECT_EQ(uucpLockOwner(dir_, "ttyUSB0"), std::nullopt);
}

TEST(DevicePaths, SortAsPeopleCountAndTypedNamesBecomePaths) {
    EXPECT_TRUE(naturalLess("/dev/ttyS2", "/dev/ttyS10"));
    EXPECT_FALSE(naturalLess("/dev/ttyS10", "/dev/ttyS2"));
    EXPECT_TRUE(naturalLess("/dev/ttyACM0", "/dev/ttyS0"));
    EXPECT_TRUE(naturalLess("/dev/ttyS", "/dev/ttyS0"));
    EXPECT_FALSE(naturalLess("/dev/ttyS1", "/dev/ttyS1"));
    EXPECT_TRUE(naturalLess("/dev/ttyUSB9", "/dev/ttyUSB10"));

    const std::pair<const char*, const char*> typed[] = {
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"  /dev/serial/by-id/usb-x-if00  ", "/dev/serial/by-id/usb-x-if00"},
        {"/tmp/my port", "/tmp/my port"},
        {"", ""},
        {"   ", ""},
        {"serial/by-id/x", ""},
        {"..", ""},
        {" rfc2217://10.1.2.3:4001 ", "rfc2217://10.1.2.3:4001"},
        {"socket://[::1]:7000", "socket://[::1]:7000"},
        {"rfc2217://no port", ""},
    };
    for (const auto& [text, path] : typed) {
        EXPECT_EQ(typedDevicePath(text), path) << '"' << text << '"';
    }
}

class ComLinks : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(home_.path().empty());
        ::setenv("XDG_CONFIG_HOME", home_.path().c_str(), 1);
    }
    test::TempFolder home_;
};

TEST_F(ComLinks, AreWrittenReplacedAndClearedButNothingElseIsTouched) {
    // The folder does not exist yet.
    ASSERT_FALSE(writeComLink(2, "/dev/serial/by-id/usb-a-if00-port0"));
    EXPECT_EQ(comDevicePath(2), "/dev/serial/by-id/usb-a-if00-port0");
    ASSERT_FALSE(writeComLink(2, "/dev/ttyACM0"));
    EXPECT_EQ(comDevicePath(2), "/dev/ttyACM0");
    EXPECT_EQ(std::distance(fs::directory_iterator(comPortDirectory()), fs::directory_iterator()),
              1)
        << "no temporary link is left behind";
    // A network port name is kept as it stands, not read as a relative path,
    // and counts as present: the server shows only when it is opened.
    ASSERT_FALSE(writeComLink(2, "rfc2217://10.1.2.3:4001"));
    EXPECT_EQ(comDevicePath(2), "rfc2217://10.1.2.3:4001");
    const ComPortState network = comPortState(2, {});
    EXPECT_TRUE(network.linked && network.network && network.present);
    ASSERT_FALSE(clearComLink(2));
    EXPECT_EQ(comDevicePath(2), "/dev/ttyS1");
    EXPECT_FALSE(clearComLink(2)) << "nothing to clear is no error";

    // A file or a folder where the link would be is not the tool's to replace.
    std::ofstream(comLinkPath(3)) << "notes";
    fs::create_directory(comLinkPath(4));
    EXPECT_EQ(writeComLink(3, "/dev/ttyUSB0"), std::errc::file_exists);
    EXPECT_EQ(clearComLink(3), std::errc::file_exists);
    EXPECT_EQ(writeComLink(4, "/dev/ttyUSB0"), std::errc::file_exists);
    EXPECT_TRUE(fs::is_regular_file(comLinkPath(3)));
    EXPECT_TRUE(fs::is_directory(comLinkPath(4)));
}

TEST(CatalogueText, ListsEveryDeviceInAlignedEnglishColumns) {
    SerialPortInfo adapter = test::sampleFtdi();
    adapter.mayOpen = false;
    adapter.holder = PortHolder{4242, "minicom"};
    adapter.comNumbers = {1, 3};
    SerialPortInfo uart;
    uart.devicePath = "/dev/ttyS0";
    uart.vendor = "Müller";  // two bytes, one character
    uart.driver = "serial";
    uart.holder = PortHolder{::getpid(), "me"};

    const auto rows = catalogueRows({adapter, uart});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1],
              (std::vector<std::string>{"/dev/ttyUSB0", "COM1,COM3", "FTDI", "FT232R USB UART",
                                        "A1B2C3", "ftdi_sio", "denied (group dialout)",
                                        "in use by minicom (pid 4242)", adapter.byIdPath}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"/dev/ttyS0", "-", "Müller", "-", "-", "serial",
                                                 "ok", "open in this program", "-"}));
    const std::vector<std::string> lines = formatColumns(rows);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 39), "DEVICE        COM        VENDOR  MODEL ");
    EXPECT_EQ(lines[2].substr(0, 34), "/dev/ttyS0    -          Müller  ");  // 33 characters
    EXPECT_EQ(lines[2].back(), '-') << "no trailing blanks";

    adapter.holder = PortHolder{-1, ""};
    adapter.group.clear();
    EXPECT_EQ(holderText(adapter), "in use");
    EXPECT_EQ(accessText(adapter), "denied");
}

}  // namespace
}  // namespace tovrix
