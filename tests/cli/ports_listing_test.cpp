// tovrix-cli ports against fake devices: it prints the port catalogue the
// window's port dialog shows, as columns or as one JSON object per device.
#include "fakedevices.h"
#include "ports/catalogue.h"
#include "ports/cataloguetext.h"
#include "ports/comlinks.h"
#include "receiver/receiverprocess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace tovrix {
namespace {

using receiver::test::ReceiverProcess;
using receiver::test::TempDir;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

TEST(CliPorts, PrintsTheCatalogueWithItsComMapping) {
    const TempDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    test::FakeDevices devices;
    devices.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    devices.addUart(0);
    devices.addUartPlaceholder(1);
    ASSERT_FALSE(writeComLink(2, "/dev/ttyUSB0"));

    const std::vector<SerialPortInfo> ports = listSerialPorts();
    ASSERT_EQ(ports.size(), 2u);
    std::string expected;
    for (const std::string& line : formatColumns(catalogueRows(ports))) {
        expected += line + '\n';
    }
    ReceiverProcess listing(TOVRIX_CLI_PATH, {"ports"}, config.path());
    ASSERT_EQ(listing.waitExit(), 0) << listing.errorOutput();
    EXPECT_EQ(listing.standardOutput(), expected);
    EXPECT_NE(expected.find("COM2"), std::string::npos) << expected;

    ReceiverProcess json(TOVRIX_CLI_PATH, {"--json", "ports"}, config.path());
    ASSERT_EQ(json.waitExit(), 0) << json.errorOutput();
    const std::vector<std::string> objects = lines(json.standardOutput());
    ASSERT_EQ(objects.size(), ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const QJsonObject object =
            QJsonDocument::fromJson(QByteArray::fromStdString(objects[i])).object();
        EXPECT_EQ(object.value("device").toString().toStdString(), ports[i].devicePath);
        EXPECT_EQ(object.value("by_id").toString().toStdString(), ports[i].byIdPath);
        // COM2 is linked to the adapter; COM1 has no link and so is /dev/ttyS0.
        const bool usb = ports[i].devicePath == "/dev/ttyUSB0";
        EXPECT_EQ(object.value("com").toArray(), QJsonArray{usb ? "COM2" : "COM1"}) << objects[i];
    }
}

}  // namespace
}  // namespace tovrix

int main(int argc, char** argv) {
    tovrix::test::runUnderUmockdev(argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
