#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tovrix {

// The byte level of a Telnet connection carrying a serial line with the
// com-port option (RFC 2217): data with the byte 255 doubled, option
// negotiation and subnegotiation. Pure: no sockets, no allocation; the
// network port feeds it what arrives and sends what it asks for.
namespace telnet {
constexpr std::uint8_t IAC = 255;
constexpr std::uint8_t DONT = 254;
constexpr std::uint8_t DO = 253;
constexpr std::uint8_t WONT = 252;
constexpr std::uint8_t WILL = 251;
constexpr std::uint8_t SB = 250;
constexpr std::uint8_t SE = 240;

constexpr std::uint8_t BINARY = 0;
constexpr std::uint8_t SUPPRESS_GO_AHEAD = 3;
constexpr std::uint8_t COM_PORT_OPTION = 44;

// Com-port commands as the client sends them; the server answers with the
// same command plus 100.
constexpr std::uint8_t SET_BAUDRATE = 1;
constexpr std::uint8_t SET_DATASIZE = 2;
constexpr std::uint8_t SET_PARITY = 3;
constexpr std::uint8_t SET_STOPSIZE = 4;
constexpr std::uint8_t SET_CONTROL = 5;
constexpr std::uint8_t NOTIFY_LINESTATE = 6;
constexpr std::uint8_t NOTIFY_MODEMSTATE = 7;
constexpr std::uint8_t FLOWCONTROL_SUSPEND = 8;
constexpr std::uint8_t FLOWCONTROL_RESUME = 9;
constexpr std::uint8_t SET_LINESTATE_MASK = 10;
constexpr std::uint8_t SET_MODEMSTATE_MASK = 11;
constexpr std::uint8_t PURGE_DATA = 12;
constexpr std::uint8_t SERVER_OFFSET = 100;

// Line-state bits (NOTIFY-LINESTATE).
constexpr std::uint8_t LINE_OVERRUN = 0x02;
constexpr std::uint8_t LINE_PARITY = 0x04;
constexpr std::uint8_t LINE_FRAMING = 0x08;
constexpr std::uint8_t LINE_BREAK = 0x10;
// Modem-state bits (NOTIFY-MODEMSTATE).
constexpr std::uint8_t MODEM_CTS = 0x10;
constexpr std::uint8_t MODEM_DSR = 0x20;
constexpr std::uint8_t MODEM_RI = 0x40;
constexpr std::uint8_t MODEM_CD = 0x80;
}  // namespace telnet

// Largest encoding of one com-port command: IAC SB 44 cmd, four value bytes
// each possibly doubled, IAC SE.
constexpr std::size_t kMaxComPortCommand = 14;

// Appends the data bytes in[0..n) to out with every 255 doubled, as far as
// outCapacity allows a whole byte; returns the bytes written and sets
// consumed to the input bytes they carry.
std::size_t encodeTelnetData(const std::uint8_t* in, std::size_t n, std::uint8_t* out,
                             std::size_t outCapacity, std::size_t& consumed);

// Writes IAC SB COM-PORT-OPTION command value IAC SE into out (at least
// kMaxComPortCommand bytes) with the value's valueBytes bytes big-endian;
// returns the length.
std::size_t encodeComPortCommand(std::uint8_t command, std::uint32_t value, int valueBytes,
                                 std::uint8_t* out);

// The client side of one connection.
class Rfc2217Decoder {
  public:
    // Where the server stands on the com-port option.
    enum class ComPort : std::uint8_t { Pending, Accepted, Refused };

    Rfc2217Decoder();

    // The requests a client opens with: it will use the com-port option,
    // and binary transmission and no go-ahead both ways. Returns the bytes
    // written to out (at least kOpeningSize).
    static constexpr std::size_t kOpeningSize = 15;
    std::size_t writeOpening(std::uint8_t* out);

    // Decodes bytes from the server: data goes to data (room for n bytes
    // always suffices), everything else changes the state below or queues
    // an answer in replies(). Stops early when the answers would not fit;
    // returns the input bytes consumed. Send and clear the answers, then
    // feed the rest.
    std::size_t decode(const std::uint8_t* in, std::size_t n, std::uint8_t* data,
                       std::size_t& dataCount);

    const std::uint8_t* replies() const { return replies_.data(); }
    std::size_t replyCount() const { return replyCount_; }
    void clearReplies() { replyCount_ = 0; }

    ComPort comPort() const { return comPort_; }

    // The server's answers to the settings commands: a bit per command
    // (1 << SET_*) seen since the last clear, and the value it reported.
    std::uint32_t answersSeen() const { return answersSeen_; }
    void clearAnswers() { answersSeen_ = 0; }
    std::uint32_t answer(std::uint8_t command) const {
        return command < answers_.size() ? answers_[command] : 0;
    }

    // The last modem state the server reported and whether it reported one.
    bool modemStateKnown() const { return modemStateKnown_; }
    std::uint8_t modemState() const { return modemState_; }
    // Line-state error bits reported since the last take.
    std::uint8_t takeLineErrors() {
        const std::uint8_t bits = lineErrors_;
        lineErrors_ = 0;
        return bits;
    }
    // Whether the server asked for its input to be held (flow control).
    bool suspended() const { return suspended_; }

  private:
    enum class State : std::uint8_t { Data, Iac, Option, SbOption, SbData, SbIac };
    // Our side and the server's side of one option (RFC 1143 in short: off,
    // on, or asked and waiting; Refused is off with the refusal sent once,
    // so that a server repeating a request gets no endless answers).
    enum class Side : std::uint8_t { No, Yes, Asked, Refused };

    void negotiate(std::uint8_t verb, std::uint8_t option);
    void subnegotiation();
    void reply(std::uint8_t verb, std::uint8_t option);
    static bool wanted(std::uint8_t option);

    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::uint8_t sbOption_ = 0;
    std::array<std::uint8_t, 8> sb_{};
    std::size_t sbLength_ = 0;
    bool sbOverflow_ = false;

    std::array<Side, 256> us_{};
    std::array<Side, 256> him_{};
    std::array<std::uint8_t, 256> replies_{};
    std::size_t replyCount_ = 0;

    ComPort comPort_ = ComPort::Pending;
    std::uint32_t answersSeen_ = 0;
    std::array<std::uint32_t, 13> answers_{};
    bool modemStateKnown_ = false;
    std::uint8_t modemState_ = 0;
    std::uint8_t lineErrors_ = 0;
    bool suspended_ = false;
};

}  // namespace tovrix
