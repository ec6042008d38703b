#include "serial/rfc2217codec.h"

namespace tovrix {

using namespace telnet;

std::size_t encodeTelnetData(const std::uint8_t* in, std::size_t n, std::uint8_t* out,
                             std::size_t outCapacity, std::size_t& consumed) {
    std::size_t written = 0;
    std::size_t i = 0;
    for (; i < n; ++i) {
        const std::size_t cost = in[i] == IAC ? 2 : 1;
        if (written + cost > outCapacity) {
            break;
        }
        out[written++] = in[i];
        if (cost == 2) {
            out[written++] = IAC;
        }
    }
    consumed = i;
    return written;
}

std::size_t encodeComPortCommand(std::uint8_t command, std::uint32_t value, int valueBytes,
                                 std::uint8_t* out) {
    std::size_t length = 0;
    out[length++] = IAC;
    out[length++] = SB;
    out[length++] = COM_PORT_OPTION;
    out[length++] = command;
    for (int shift = 8 * (valueBytes - 1); shift >= 0; shift -= 8) {
        const auto byte = static_cast<std::uint8_t>(value >> shift);
        out[length++] = byte;
        if (byte == IAC) {
            out[length++] = IAC;
        }
    }
    out[length++] = IAC;
    out[length++] = SE;
    return length;
}

Rfc2217Decoder::Rfc2217Decoder() {
    us_.fill(Side::No);
    him_.fill(Side::No);
}

std::size_t Rfc2217Decoder::writeOpening(std::uint8_t* out) {
    const std::uint8_t opening[kOpeningSize] = {
        IAC, WILL, COM_PORT_OPTION,   IAC, WILL, BINARY,           IAC, DO, BINARY,
        IAC, WILL, SUPPRESS_GO_AHEAD, IAC, DO,   SUPPRESS_GO_AHEAD};
    for (std::size_t i = 0; i < kOpeningSize; ++i) {
        out[i] = opening[i];
    }
    us_[COM_PORT_OPTION] = Side::Asked;
    us_[BINARY] = Side::Asked;
    us_[SUPPRESS_GO_AHEAD] = Side::Asked;
    him_[BINARY] = Side::Asked;
    him_[SUPPRESS_GO_AHEAD] = Side::Asked;
    comPort_ = ComPort::Pending;
    return kOpeningSize;
}

bool Rfc2217Decoder::wanted(std::uint8_t option) {
    return option == BINARY || option == SUPPRESS_GO_AHEAD || option == COM_PORT_OPTION;
}

void Rfc2217Decoder::reply(std::uint8_t verb, std::uint8_t option) {
    replies_[replyCount_++] = IAC;
    replies_[replyCount_++] = verb;
    replies_[replyCount_++] = option;
}

std::size_t Rfc2217Decoder::decode(const std::uint8_t* in, std::size_t n, std::uint8_t* data,
                                   std::size_t& dataCount) {
    dataCount = 0;
    std::size_t i = 0;
    for (; i < n; ++i) {
        const std::uint8_t byte = in[i];
        switch (state_) {
            case State::Data:
                if (byte == IAC) {
                    state_ = State::Iac;
                } else {
                    data[dataCount++] = byte;
                }
                break;
            case State::Iac:
                if (byte == IAC) {
                    data[dataCount++] = IAC;
                    state_ = State::Data;
                } else if (byte >= WILL) {  // WILL, WONT, DO, DONT
                    verb_ = byte;
                    state_ = State::Option;
                } else if (byte == SB) {
                    state_ = State::SbOption;
                } else {
                    state_ = State::Data;  // NOP, GA, AYT and the like carry nothing here
                }
                break;
            case State::Option:
                // An answer takes at most one reply: stop while there is no room.
                if (replyCount_ + 3 > replies_.size()) {
                    return i;
                }
                negotiate(verb_, byte);
                state_ = State::Data;
                break;
            case State::SbOption:
                sbOption_ = byte;
                sbLength_ = 0;
                sbOverflow_ = false;
                state_ = State::SbData;
                break;
            case State::SbData:
                if (byte == IAC) {
                    state_ = State::SbIac;
                } else if (sbLength_ < sb_.size()) {
                    sb_[sbLength_++] = byte;
                } else {
                    sbOverflow_ = true;  // too long for anything we know: ignored at its end
                }
                break;
            case State::SbIac:
                if (byte == IAC) {
                    if (sbLength_ < sb_.size()) {
                        sb_[sbLength_++] = IAC;
                    } else {
                        sbOverflow_ = true;
                    }
                    state_ = State::SbData;
                } else if (byte == SE) {
                    subnegotiation();
                    state_ = State::Data;
                } else {
                    // A command inside a subnegotiation: the server broke
                    // it off. Drop it and read the byte as the command.
                    state_ = State::Iac;
                    --i;
                }
                break;
        }
    }
    return i;
}

void Rfc2217Decoder::negotiate(std::uint8_t verb, std::uint8_t option) {
    const bool forUs = verb == DO || verb == DONT;
    Side& side = forUs ? us_[option] : him_[option];
    const bool enable = verb == DO || verb == WILL;
    const std::uint8_t agree = forUs ? WILL : DO;
    const std::uint8_t refuse = forUs ? WONT : DONT;
    // The server sends no com-port option of its own; we want the others both ways.
    const bool want = forUs ? wanted(option) : (option == BINARY || option == SUPPRESS_GO_AHEAD);
    if (enable) {
        switch (side) {
            case Side::Yes:
                break;
            case Side::Asked:
                side = Side::Yes;
                break;
            case Side::No:
                if (want) {
                    side = Side::Yes;
                    reply(agree, option);
                } else {
                    side = Side::Refused;
                    reply(refuse, option);
                }
                break;
            case Side::Refused:
                break;
        }
    } else {
        if (side == Side::Yes) {
            reply(refuse, option);
        }
        if (side != Side::Refused) {
            side = Side::No;
        }
    }
    if (forUs && option == COM_PORT_OPTION) {
        if (us_[option] == Side::Yes) {
            comPort_ = ComPort::Accepted;
        } else if (us_[option] != Side::Asked) {
            comPort_ = ComPort::Refused;
        }
    }
}

void Rfc2217Decoder::subnegotiation() {
    if (sbOption_ != COM_PORT_OPTION || sbOverflow_ || sbLength_ == 0 || sb_[0] <= SERVER_OFFSET) {
        return;
    }
    const std::uint8_t command = sb_[0] - SERVER_OFFSET;
    const std::size_t valueLength = sbLength_ - 1;
    const std::uint8_t* value = sb_.data() + 1;
    switch (command) {
        case SET_BAUDRATE:
            if (valueLength != 4) {
                return;
            }
            answers_[command] = (std::uint32_t{value[0]} << 24) | (std::uint32_t{value[1]} << 16) |
                                (std::uint32_t{value[2]} << 8) | value[3];
            break;
        case SET_DATASIZE:
        case SET_PARITY:
        case SET_STOPSIZE:
        case SET_CONTROL:
        case SET_LINESTATE_MASK:
        case SET_MODEMSTATE_MASK:
        case PURGE_DATA:
            if (valueLength != 1) {
                return;
            }
            answers_[command] = value[0];
            break;
        case NOTIFY_LINESTATE:
            if (valueLength == 1) {
                lineErrors_ |= value[0] & (LINE_OVERRUN | LINE_PARITY | LINE_FRAMING | LINE_BREAK);
            }
            return;
        case NOTIFY_MODEMSTATE:
            if (valueLength == 1) {
                modemState_ = value[0];
                modemStateKnown_ = true;
            }
            return;
        case FLOWCONTROL_SUSPEND:
            suspended_ = true;
            return;
        case FLOWCONTROL_RESUME:
            suspended_ = false;
            return;
        default:
            return;
    }
    answersSeen_ |= 1U << command;
}

}  // namespace tovrix
