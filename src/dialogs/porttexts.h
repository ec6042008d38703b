#pragma once

#include "ports/catalogue.h"

#include <QString>
#include <QStringList>

#include <exception>
#include <system_error>
#include <vector>

namespace tovrix {

// What the window and the port dialog say about the serial devices and the
// COM numbers, in German like the rest of the window. No widgets: each text
// comes from the catalogue's records alone.

// A COM item of the Kommunikation menu, with its access key:
// "COM&1 – FT232R USB UART (ttyUSB0)" for a listed device,
// "COM&1 – /dev/pts/3" for something else that is there,
// "COM&1 – usb-FTDI_…-port0 (nicht vorhanden)" for a link to a missing device,
// plain "COM&1" where COM n is the default /dev/ttyS<n-1> without hardware.
QString comItemText(const ComPortState& com);

// The status bar's port panel's tooltip: the path COM n opens, with the node
// a link leads to, or a note that nothing is there.
QString comToolTip(const ComPortState& com);

// The COM table of the dialog: the path COM n opens ("/dev/ttyS0 (Vorgabe)"
// without a link) and what is there.
QString comPathText(const ComPortState& com);
QString comDeviceText(const ComPortState& com);

// Column titles of the device table and the row of one device in it.
QStringList deviceColumnTitles();
QStringList deviceRowTexts(const SerialPortInfo& port);

// What the user can do about the devices they may not open: join the
// device's group, which takes a new login. Empty when every device opens.
QString accessRemedy(const std::vector<SerialPortInfo>& ports);

// The verdict on writing or removing COM n's link.
QString assignedText(int n, const std::string& target);
QString clearedText(int n);
QString linkFailureText(int n, std::error_code error);

// Why COM n could not be opened, from the error its open raised: the port,
// its device and the cause ("COM2 (/dev/ttyUSB0) lässt sich nicht öffnen:
// von einem anderen Programm belegt"). For the info line and the message
// box of a port switch.
QString openFailureText(int n, const std::exception& error);

// The port as messages name it: "COM1 (/dev/ttyUSB0)".
QString portNameText(int n);

}  // namespace tovrix
