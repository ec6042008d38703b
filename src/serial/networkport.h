#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "serial/networkname.h"
#include "serial/rfc2217codec.h"
#include "serial/serialdevice.h"

namespace tovrix {

// A serial line behind a network serial server: a non-blocking TCP socket
// (TCP_NODELAY, keep-alive), either a plain byte stream or Telnet with the
// com-port option. What arrives is decoded into an input queue here, so
// that the core sees the same byte stream as from a terminal; a closed or
// reset connection makes the port gone (EIO), as an unplugged adapter.
//
// The event thread, the write thread and the user-interface thread all
// call in: the receive side (socket reads, decoder, input queue) sits
// under one lock, the send side under another, always taken in that order.
class NetworkPort final : public SerialDevice {
  public:
    // Connects (3 s at most) and, for RFC 2217, waits for the server to
    // take the com-port option. Throws EComPortCoreError naming `name`.
    NetworkPort(const std::string& name, const NetworkAddress& address, int comNumber);
    ~NetworkPort() override;

    int fd() const override { return fd_; }
    bool setRawMode() override { return true; }
    void requestLowLatency() override {}
    bool applyDcb(const TDcb& dcb) override;
    bool readDcb(TDcb& dcb) override;
    std::string refusal() const override;
    bool flush(bool input, bool output) override;
    int inputQueueCount() override;
    int outputQueueCount() override;
    ssize_t read(void* buffer, std::size_t size) override;
    ssize_t write(const void* buffer, std::size_t size) override;
    bool readModemLines(int& lines) override;
    bool setModemLine(int line, bool on) override;
    bool readLineCounters(LineCounters& counters) override;
    bool reusable() override;

  private:
    void connectSocket(const NetworkAddress& address);
    void negotiateComPort();
    bool rfc2217() const { return protocol_ == NetworkProtocol::Rfc2217; }

    // Receive side, under rxLock_: reads what the socket holds into the
    // input queue as far as it has room.
    void pump();
    void pushInput(const std::uint8_t* bytes, std::size_t n);
    std::size_t inputFree() const { return inbox_.size() - inCount_; }
    // Waits (up to the deadline) until done() holds, pumping what arrives.
    template <typename Done>
    bool waitForServer(int timeoutMs, Done done);

    // Send side: sends all bytes, waiting for room up to 3 s; false when
    // the connection failed or stayed full.
    bool sendAll(const std::uint8_t* bytes, std::size_t n);
    bool sendControl(const std::uint8_t* bytes, std::size_t n);
    bool sendComPortCommand(std::uint8_t command, std::uint32_t value, int valueBytes);
    void noteGone();

    const std::string name_;
    const int comNumber_;
    const NetworkProtocol protocol_;
    int fd_ = -1;
    std::atomic<bool> gone_{false};

    mutable std::mutex rxLock_;
    Rfc2217Decoder decoder_;
    std::vector<std::uint8_t> inbox_;
    std::size_t inHead_ = 0;
    std::size_t inCount_ = 0;
    bool socketBacklog_ = false;  // the last pump stopped for want of room
    LineCounters counters_{};
    std::string refusal_;

    std::mutex txLock_;
    // The first half of a doubled 255 went out, the second has not.
    bool halfIacSent_ = false;
    // A control command completed it: the caller's next byte (that 255) is
    // already sent.
    bool halfIacCompleted_ = false;

    // The line settings last taken (user-interface thread only).
    TDcb applied_{};
    bool appliedAny_ = false;
};

}  // namespace tovrix
