// The Telnet/RFC 2217 byte level and the network port names, table-driven.
#include "serial/rfc2217codec.h"
#include "serial/networkname.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tovrix {
namespace {

using namespace telnet;
using Bytes = std::vector<std::uint8_t>;

struct DecodeCase {
    const char* name;
    Bytes fromServer;
    Bytes data;     // what the port reads
    Bytes replies;  // what the client answers
    Rfc2217Decoder::ComPort comPort;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

// Decodes the stream once whole and once a byte at a time: a command split
// over two reads must come out the same.
TEST_P(DecodeTest, DecodesWholeAndBytewise) {
    const DecodeCase& c = GetParam();
    for (const std::size_t piece : {c.fromServer.size(), std::size_t{1}}) {
        Rfc2217Decoder decoder;
        std::uint8_t opening[Rfc2217Decoder::kOpeningSize];
        ASSERT_EQ(decoder.writeOpening(opening), sizeof opening);
        Bytes data;
        Bytes replies;
        for (std::size_t at = 0; at < c.fromServer.size();) {
            std::uint8_t out[64];
            std::size_t count = 0;
            const std::size_t length = std::min(piece, c.fromServer.size() - at);
            at += decoder.decode(c.fromServer.data() + at, length, out, count);
            data.insert(data.end(), out, out + count);
            replies.insert(replies.end(), decoder.replies(),
                           decoder.replies() + decoder.replyCount());
            decoder.clearReplies();
        }
        EXPECT_EQ(data, c.data) << "piece " << piece;
        EXPECT_EQ(replies, c.replies) << "piece " << piece;
        EXPECT_EQ(decoder.comPort(), c.comPort) << "piece " << piece;
    }
}

const auto kPending = Rfc2217Decoder::ComPort::Pending;
const auto kAccepted = Rfc2217Decoder::ComPort::Accepted;
const auto kRefused = Rfc2217Decoder::ComPort::Refused;

INSTANTIATE_TEST_SUITE_P(
    Streams, DecodeTest,
    ::testing::Values(
        DecodeCase{"plain", {1, 2, 3}, {1, 2, 3}, {}, kPending},
        DecodeCase{"doubled255", {IAC, IAC, 7, IAC, IAC}, {IAC, 7, IAC}, {}, kPending},
        // Answers to our own requests are not answered again.
        DecodeCase{"accepted",
                   {IAC, DO, COM_PORT_OPTION, IAC, WILL, BINARY, IAC, DO, BINARY, 5},
                   {5},
                   {},
                   kAccepted},
        DecodeCase{"refused", {IAC, DONT, COM_PORT_OPTION}, {}, {}, kRefused},
        // Options we do not want are refused once, however often asked.
        DecodeCase{"unknownOptions",
                   {IAC, DO, 1, IAC, WILL, 1, IAC, DO, 1, IAC, WILL, 1, 9},
                   {9},
                   {IAC, WONT, 1, IAC, DONT, 1},
                   kPending},
        // An option switched off after it was on is confirmed.
        DecodeCase{"switchedOff",
                   {IAC, WILL, BINARY, IAC, WONT, BINARY},
                   {},
                   {IAC, DONT, BINARY},
                   kPending},
        DecodeCase{"subnegotiationSkipped",
                   {4, IAC, SB, 24, 1, 2, IAC, IAC, 3, IAC, SE, 6},
                   {4, 6},
                   {},
                   kPending},
        // A subnegotiation longer than any we know is dropped whole.
        DecodeCase{"longSubnegotiation",
                   {IAC, SB, COM_PORT_OPTION, 101, 1, 2, 3, 4, 5, 6, 7, 8, 9, IAC, SE, 1},
                   {1},
                   {},
                   kPending},
        // A command inside a subnegotiation ends it and is obeyed.
        DecodeCase{"brokenSubnegotiation",
                   {IAC, SB, COM_PORT_OPTION, 107, IAC, DO, COM_PORT_OPTION, 2},
                   {2},
                   {},
                   kAccepted},
        DecodeCase{"otherCommands", {IAC, 241, 1, IAC, 249, 2}, {1, 2}, {}, kPending}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

TEST(Rfc2217Decoder, ReportsAnswersAndLineStates) {
    Rfc2217Decoder decoder;
    const Bytes stream = {IAC,
                          SB,
                          COM_PORT_OPTION,
                          101,
                          0,
                          0,
                          0x4B,
                          0,
                          IAC,
                          SE,  // 19200
                          IAC,
                          SB,
                          COM_PORT_OPTION,
                          103,
                          1,
                          IAC,
                          SE,  // parity
                          IAC,
                          SB,
                          COM_PORT_OPTION,
                          106,
                          LINE_PARITY | 1,
                          IAC,
                          SE,  // line
                          IAC,
                          SB,
                          COM_PORT_OPTION,
                          107,
                          MODEM_CTS | 3,
                          IAC,
                          SE,
                          IAC,
                          SB,
                          COM_PORT_OPTION,
                          101,
                          0,
                          0,
                          IAC,
                          IAC,
                          IAC,
                          IAC,
                          IAC,
                          SE};
    std::uint8_t out[64];
    std::size_t count = 0;
    decoder.decode(stream.data(), 32, out, count);
    EXPECT_EQ(decoder.answer(SET_BAUDRATE), 19200U);
    EXPECT_EQ(decoder.answer(SET_PARITY), 1U);
    EXPECT_EQ(decoder.answersSeen(), (1U << SET_BAUDRATE) | (1U << SET_PARITY));
    EXPECT_EQ(decoder.takeLineErrors(), LINE_PARITY);
    EXPECT_EQ(decoder.takeLineErrors(), 0);
    EXPECT_TRUE(decoder.modemStateKnown());
    EXPECT_EQ(decoder.modemState(), MODEM_CTS | 3);
    decoder.decode(stream.data() + 32, stream.size() - 32, out, count);
    EXPECT_EQ(decoder.answer(SET_BAUDRATE), 0xFFFFU);  // 255 in a value is doubled too
    EXPECT_EQ(count, 0U);
}

TEST(Rfc2217Decoder, StopsWhenAnswersWouldNotFit) {
    // A server asking for a new option in every three bytes fills the
    // answers; the decoder stops instead of overrunning them.
    Bytes stream;
    for (int option = 1; option < 250; ++option) {
        stream.insert(stream.end(), {IAC, DO, static_cast<std::uint8_t>(option)});
    }
    Rfc2217Decoder decoder;
    std::uint8_t out[1024];
    std::size_t count = 0;
    std::size_t used = 0;
    std::size_t answered = 0;
    int calls = 0;
    while (used < stream.size() && calls < 10) {
        used += decoder.decode(stream.data() + used, stream.size() - used, out, count);
        EXPECT_LE(decoder.replyCount(), 256U);
        answered += decoder.replyCount();
        decoder.clearReplies();
        ++calls;
    }
    EXPECT_GT(calls, 1);
    EXPECT_EQ(used, stream.size());
    EXPECT_EQ(answered, 3U * 249U);
}

TEST(Rfc2217Encoding, DoublesTheByte255) {
    const Bytes data = {1, IAC, 2, IAC};
    std::uint8_t out[8];
    std::size_t consumed = 0;
    EXPECT_EQ(encodeTelnetData(data.data(), data.size(), out, 8, consumed), 6U);
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{1, IAC, IAC, 2, IAC, IAC}));
    // A doubled byte is never split at the end of the room.
    EXPECT_EQ(encodeTelnetData(data.data(), data.size(), out, 5, consumed), 4U);
    EXPECT_EQ(consumed, 3U);

    std::uint8_t command[kMaxComPortCommand];
    const std::size_t length = encodeComPortCommand(SET_BAUDRATE, 0x0000FF00, 4, command);
    EXPECT_EQ(Bytes(command, command + length),
              (Bytes{IAC, SB, COM_PORT_OPTION, SET_BAUDRATE, 0, 0, IAC, IAC, 0, IAC, SE}));
}

struct NameCase {
    const char* text;
    bool network;  // starts like a network name
    std::optional<NetworkProtocol> protocol;
    const char* host;
    const char* port;
};

TEST(NetworkPortNames, ParseOrRefuse) {
    const NameCase cases[] = {
        {"rfc2217://10.1.2.3:4001", true, NetworkProtocol::Rfc2217, "10.1.2.3", "4001"},
        {"socket://server.local:7000", true, NetworkProtocol::Raw, "server.local", "7000"},
        {"TCP://host:1", true, NetworkProtocol::Raw, "host", "1"},
        {"rfc2217://[::1]:65535", true, NetworkProtocol::Rfc2217, "::1", "65535"},
        {"rfc2217://[fe80::1%eth0]:23", true, NetworkProtocol::Rfc2217, "fe80::1%eth0", "23"},
        {"rfc2217://::1:4000", true, std::nullopt, "", ""},
        {"rfc2217://host:65536", true, std::nullopt, "", ""},
        {"rfc2217://host:0", true, std::nullopt, "", ""},
        {"rfc2217://host:", true, std::nullopt, "", ""},
        {"rfc2217://:4000", true, std::nullopt, "", ""},
        {"socket://host", true, std::nullopt, "", ""},
        {"socket://ho st:4000", true, std::nullopt, "", ""},
        {"rfc2217://[::1]4000", true, std::nullopt, "", ""},
        {"/dev/ttyUSB0", false, std::nullopt, "", ""},
        {"telnet://host:23", false, std::nullopt, "", ""},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(isNetworkPortName(c.text), c.network);
        const std::optional<NetworkAddress> address = parseNetworkPortName(c.text);
        ASSERT_EQ(address.has_value(), c.protocol.has_value());
        if (address) {
            EXPECT_EQ(address->protocol, *c.protocol);
            EXPECT_EQ(address->host, c.host);
            EXPECT_EQ(address->port, c.port);
        }
    }
}

}  // namespace
}  // namespace tovrix
