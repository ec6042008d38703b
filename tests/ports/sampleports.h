#pragma once

#include "ports/portinfo.h"

namespace tovrix::test {

// The catalogue's record of an FTDI adapter, as tests of what is made of
// a record start from it.
inline SerialPortInfo sampleFtdi() {
    SerialPortInfo port;
    port.devicePath = "/dev/ttyUSB0";
    port.byIdPath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";
    port.vendor = "FTDI";
    port.model = "FT232R USB UART";
    port.serialNumber = "A1B2C3";
    port.driver = "ftdi_sio";
    port.group = "dialout";
    return port;
}

}  // namespace tovrix::test
