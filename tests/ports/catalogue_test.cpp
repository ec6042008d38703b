// The catalogue against fake devices: what it lists and how it describes
// each device, the COM links that point at them, who may open and who holds
// them, and udev's announcements of devices that come and go.
#include "ports/catalogue.h"
#include "fakedevices.h"
#include "ports/comlinks.h"
#include "ports/portmonitor.h"
#include "serial/portnames.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrix {
namespace {

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(config_.path().empty());
        ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
    }

    const SerialPortInfo* find(const std::vector<SerialPortInfo>& ports, const std::string& path) {
        const auto it = std::find_if(ports.begin(), ports.end(),
                                     [&](const SerialPortInfo& p) { return p.devicePath == path; });
        return it != ports.end() ? &*it : nullptr;
    }

    test::TempFolder config_;  // XDG_CONFIG_HOME, for the COM links
    test::FakeDevices devices_;
};

TEST_F(CatalogueTest, ListsTheSerialHardwareWithItsNamesAndLeavesOutTheRest) {
    devices_.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    devices_.addCp210x("ttyUSB1", "0001", "1-2");
    devices_.addCdcAcm("ttyACM0", "7", "1-3");
    devices_.addUart(0);
    devices_.addUartPlaceholder(1);
    devices_.addUartPlaceholder(10);
    devices_.addVirtualTerminal(5);

    struct Expected {
        std::string path, byId, vendor, model, serial, vendorId, productId, driver;
    };
    const std::vector<Expected> expected{
        {"/dev/ttyACM0", "/dev/serial/by-id/usb-1546_01a7_7-if00", "U-Blox AG", "[u-blox 7]", "7",
         "1546", "01a7", "cdc_acm"},
        {"/dev/ttyS0", "", "", "", "", "", "", "serial"},
        {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0", "FTDI",
         "FT232R USB UART", "A1B2C3", "0403", "6001", "ftdi_sio"},
        {"/dev/ttyUSB1",
         "/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0",
         "Silicon Labs", "CP2102 USB to UART Bridge Controller", "0001", "10c4", "ea60", "cp210x"},
    };
    const std::vector<SerialPortInfo> ports = listSerialPorts();
    ASSERT_EQ(ports.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].path);
        const SerialPortInfo& port = ports[i];
        EXPECT_EQ(port.devicePath, expected[i].path);
        EXPECT_EQ(port.byIdPath, expected[i].byId);
        EXPECT_EQ(port.vendor, expected[i].vendor);
        EXPECT_EQ(port.model, expected[i].model);
        EXPECT_EQ(port.serialNumber, expected[i].serial);
        EXPECT_EQ(port.vendorId, expected[i].vendorId);
        EXPECT_EQ(port.productId, expected[i].productId);
        EXPECT_EQ(port.driver, expected[i].driver);
        EXPECT_TRUE(port.mayOpen);  // root, or the owner of the fake's terminal
        EXPECT_FALSE(port.holder.has_value());
        // Without links COM1 is /dev/ttyS0.
        EXPECT_EQ(port.comNumbers,
                  port.devicePath == "/dev/ttyS0" ? std::vector<int>{1} : std::vector<int>{});
    }
    EXPECT_EQ(portLabel(ports[2]), "FT232R USB UART (ttyUSB0)");
    EXPECT_EQ(portLabel(ports[1]), "ttyS0");
}

TEST_F(CatalogueTest, ComNumbersFollowTheLinksAndTheAdapterIsFoundAgainUnderANewNumber) {
    const std::string ftdi = devices_.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    devices_.addUart(0);
    std::vector<SerialPortInfo> ports = listSerialPorts();
    const SerialPortInfo* adapter = find(ports, "/dev/ttyUSB0");
    ASSERT_NE(adapter, nullptr);
    const SerialPortInfo* uart = find(ports, "/dev/ttyS0");
    ASSERT_NE(uart, nullptr);

    // The adapter's link names its stable by-id path, the UART its node.
    EXPECT_EQ(linkTarget(*adapter), adapter->byIdPath);
    EXPECT_EQ(linkTarget(*uart), "/dev/ttyS0");
    ASSERT_FALSE(writeComLink(1, linkTarget(*adapter)));
    ASSERT_FALSE(writeComLink(3, linkTarget(*adapter)));
    ASSERT_FALSE(writeComLink(2, "/dev/ttyS0"));
    ASSERT_FALSE(writeComLink(4, "/dev/serial/by-id/usb-gone-if00-port0"));
    EXPECT_EQ(comDevicePath(1), adapter->byIdPath);

    ports = listSerialPorts();
    EXPECT_EQ(find(ports, "/dev/ttyUSB0")->comNumbers, (std::vector<int>{1, 3}));
    EXPECT_EQ(find(ports, "/dev/ttyS0")->comNumbers, (std::vector<int>{2}));
    const ComPortState com1 = comPortState(1, ports);
    EXPECT_TRUE(com1.linked && com1.present);
    ASSERT_TRUE(com1.port.has_value());
    EXPECT_EQ(com1.port->devicePath, "/dev/ttyUSB0");
    const ComPortState com4 = comPortState(4, ports);
    EXPECT_TRUE(com4.linked);
    EXPECT_FALSE(com4.present);
    EXPECT_FALSE(com4.port.has_value());

    // Unplugged, then back under another number: the by-id link leads to it.
    devices_.unplug(ftdi);
    ports = listSerialPorts();
    EXPECT_EQ(find(ports, "/dev/ttyUSB0"), nullptr);
    EXPECT_FALSE(comPortState(1, ports).present);
    devices_.addFtdi("ttyUSB3", "A1B2C3", "1-4");
    ports = listSerialPorts();
    ASSERT_NE(find(ports, "/dev/ttyUSB3"), nullptr);
    EXPECT_EQ(find(ports, "/dev/ttyUSB3")->comNumbers, (std::vector<int>{1, 3}));
    EXPECT_EQ(comPortState(1, ports).port->devicePath, "/dev/ttyUSB3");

    // A cleared COM number falls back to the default device and points at nothing listed.
    ASSERT_FALSE(clearComLink(1));
    ports = listSerialPorts();
    EXPECT_EQ(find(ports, "/dev/ttyUSB3")->comNumbers, (std::vector<int>{3}));
    EXPECT_FALSE(comPortState(1, ports).linked);
    EXPECT_EQ(comPortState(1, ports).devicePath, "/dev/ttyS0");
}

// This test program in one of its helper roles (see helperMain below), as
// a process of its own: another program holding a device, or another user.
// A fork that only ran a function would be unsafe here: umockdev's threads
// may hold its locks at that moment. The helper prints one line and then
// stays (holding whatever it took) until finish() ends it.
class Child {
  public:
    explicit Child(const std::vector<std::string>& args) {
        int answer[2];
        if (::pipe2(answer, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<std::string> words{"/proc/self/exe"};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, answer[1], STDOUT_FILENO);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(answer[1]);
        char c = 0;
        while (pid_ > 0 && ::read(answer[0], &c, 1) == 1 && c != '\n') {
            answer_ += c;
        }
        ::close(answer[0]);
    }
    ~Child() { finish(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void finish() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    pid_t pid() const { return pid_; }
    const std::string& answer() const { return answer_; }

  private:
    pid_t pid_ = -1;
    std::string answer_;
};

TEST_F(CatalogueTest, AUserOutsideTheDevicesGroupMayNotOpenIt) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a device to another group and dropping privileges needs root";
    }
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    devices_.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    const std::string terminal = devices_.terminalOf("ttyUSB0");
    ASSERT_EQ(::chown(terminal.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(terminal.c_str(), 0660), 0);
    // The unprivileged user must reach the bed's tree.
    ASSERT_EQ(::chmod(devices_.root().c_str(), 0755), 0);

    const std::string dialoutId = std::to_string(dialout->gr_gid);
    const auto listAs = [](const std::vector<std::string>& groups) {
        std::vector<std::string> args{"--list-as-nobody"};
        args.insert(args.end(), groups.begin(), groups.end());
        return Child(args).answer();
    };
    EXPECT_EQ(listAs({}), "may not open, group dialout");
    EXPECT_EQ(listAs({dialoutId}), "may open, group dialout");
}

TEST_F(CatalogueTest, LocksOfOtherProgramsAndLiveUucpLockFilesMarkADeviceAsHeld) {
    devices_.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    devices_.addCdcAcm("ttyACM0", "7", "1-3");
    devices_.addUart(0);
    devices_.addCp210x("ttyUSB1", "0001", "1-2");
    test::TempFolder lockDir;
    CatalogueOptions options;
    options.lockDirectories = {lockDir.path()};

    Child flockHolder({"--hold", "flock", "/dev/ttyUSB0"});
    Child posixHolder({"--hold", "posix", "/dev/ttyACM0"});
    ASSERT_EQ(flockHolder.answer(), "locked");
    ASSERT_EQ(posixHolder.answer(), "locked");
    // minicom's way: a lock file with its process id in ASCII.
    Child uucpHolder({"--hold", "nothing", ""});
    std::ofstream(lockDir.path() + "/LCK..ttyS0") << "      " << uucpHolder.pid() << "\n";
    // A lock file whose process has ended marks nothing.
    Child gone({"--hold", "nothing", ""});
    const pid_t ended = gone.pid();
    gone.finish();
    std::ofstream(lockDir.path() + "/LCK..ttyUSB1") << ended << "\n";
    // The program's own lock shows when nobody else holds the device.
    const int own = ::open("/dev/ttyUSB1", O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(own, 0);
    // Held by this program as well as by another: the other one is named.
    const int shared = ::open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(shared, 0);
    ASSERT_EQ(::flock(shared, LOCK_EX | LOCK_NB), 0);

    std::vector<SerialPortInfo> ports = listSerialPorts(options);
    ASSERT_EQ(ports.size(), 4u);
    const auto holderPid = [&](const std::string& path) -> std::optional<pid_t> {
        const SerialPortInfo* port = find(ports, path);
        if (port == nullptr || !port->holder) {
            return std::nullopt;
        }
        return port->holder->pid;
    };
    EXPECT_EQ(holderPid("/dev/ttyUSB0"), flockHolder.pid());
    EXPECT_FALSE(find(ports, "/dev/ttyUSB0")->holder->program.empty());
    EXPECT_EQ(holderPid("/dev/ttyACM0"), posixHolder.pid());
    EXPECT_EQ(holderPid("/dev/ttyS0"), uucpHolder.pid());
    EXPECT_EQ(holderPid("/dev/ttyUSB1"), std::nullopt);
    ASSERT_EQ(::flock(own, LOCK_EX | LOCK_NB), 0);
    ports = listSerialPorts(options);
    EXPECT_EQ(holderPid("/dev/ttyUSB1"), ::getpid());

    // Released locks free the devices again.
    ::close(own);
    ::close(shared);
    flockHolder.finish();
    ports = listSerialPorts(options);
    EXPECT_EQ(holderPid("/dev/ttyUSB0"), std::nullopt);
    EXPECT_EQ(holderPid("/dev/ttyUSB1"), std::nullopt);
}

bool readable(int fd, int timeoutMs) {
    pollfd watch{fd, POLLIN, 0};
    return ::poll(&watch, 1, timeoutMs) == 1;
}

TEST_F(CatalogueTest, TheMonitorAnnouncesSerialDevicesThatComeAndGo) {
    PortMonitor monitor;
    ASSERT_GE(monitor.fd(), 0);
    EXPECT_FALSE(readable(monitor.fd(), 0));
    EXPECT_FALSE(monitor.takeEvents());

    const std::string ftdi = devices_.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    // A hang-catching limit; the announcement is there at once.
    ASSERT_TRUE(readable(monitor.fd(), 10000));
    EXPECT_TRUE(monitor.takeEvents());
    EXPECT_FALSE(readable(monitor.fd(), 0)) << "everything waiting was taken";

    devices_.unplug(ftdi);
    ASSERT_TRUE(readable(monitor.fd(), 10000));
    EXPECT_TRUE(monitor.takeEvents());
    EXPECT_FALSE(readable(monitor.fd(), 0));
}

}  // namespace
}  // namespace tovrix

namespace {

// The helper roles of this program (see Child). "--hold flock|posix|nothing
// PATH" opens PATH and locks it the given way, says "locked", and waits;
// "--list-as-nobody [GID...]" lists the devices as the user nobody with
// these groups and says what it found for the one device there.
int helperMain(const std::vector<std::string>& args) {
    if (args[0] == "--hold") {
        const std::string& how = args.at(1);
        std::string verdict = "locked";
        if (how != "nothing") {
            const int fd = ::open(args.at(2).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            struct flock range {};
            range.l_type = F_WRLCK;
            range.l_whence = SEEK_SET;
            const bool locked = fd >= 0 && (how == "posix" ? ::fcntl(fd, F_SETLK, &range) == 0
                                                           : ::flock(fd, LOCK_EX | LOCK_NB) == 0);
            verdict = locked ? "locked" : "failed";
        }
        std::printf("%s\n", verdict.c_str());
        std::fflush(stdout);
        for (;;) {
            ::pause();
        }
    }
    std::vector<gid_t> groups;
    for (std::size_t i = 1; i < args.size(); ++i) {
        groups.push_back(static_cast<gid_t>(std::stoul(args[i])));
    }
    const uid_t nobody = 65534;
    if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(nobody) != 0 ||
        ::setuid(nobody) != 0) {
        std::printf("no privileges dropped\n");
        return 1;
    }
    const std::vector<tovrix::SerialPortInfo> ports = tovrix::listSerialPorts();
    if (ports.size() != 1) {
        std::printf("listed %zu\n", ports.size());
        return 1;
    }
    std::printf("%s, group %s\n", ports[0].mayOpen ? "may open" : "may not open",
                ports[0].group.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    tovrix::test::runUnderUmockdev(argv);
    if (argc > 1 && std::string_view(argv[1]).starts_with("--") &&
        !std::string_view(argv[1]).starts_with("--gtest")) {
        return helperMain(std::vector<std::string>(argv + 1, argv + argc));
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
