#include "serial/customserialport.h"

#include <array>
#include <tuple>
#include <utility>

#include "serial/safesync.h"

namespace tovrix {

namespace {

constexpr std::int32_t kSyncTimeoutMs = 2000;

constexpr std::array<std::uint32_t, 16> kBaudRates = {
    110,   300,   600,   1200,  2400,   4800,   9600,   14400,
    19200, 38400, 56000, 57600, 115200, 128000, 256000,
    0,  // brUser: the rate is UserBaudRate
};

// Flow-control bits of each TFlowControl value.
constexpr std::array<std::uint32_t, 4> kFlowBits = {
    0,                                             // fwNone
    dcbflag::OutX | dcbflag::InX,                  // fwXOnXOff
    dcbflag::OutxCtsFlow | dcbflag::RtsHandshake,  // fwRtsCts
    dcbflag::OutxDsrFlow | dcbflag::DtrHandshake,  // fwDtrDsr
};

// Control-block bit of each TComOption.
constexpr std::array<std::uint32_t, 5> kOptionBits = {
    dcbflag::Parity,            // coParityCheck
    dcbflag::DsrSensitivity,    // coDsrSensitivity
    dcbflag::TxContinueOnXoff,  // coIgnoreXOff
    dcbflag::ErrorChar,         // coErrorChar
    dcbflag::Null,              // coStripNull
};

// Clears a flag for the duration of a scope, also when it is left by an exception.
class FlagGuard {
  public:
    explicit FlagGuard(std::atomic<bool>& flag) : flag_(flag) { flag_.store(true); }
    ~FlagGuard() { flag_.store(false); }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    std::atomic<bool>& flag_;
};

}  // namespace

std::uint32_t TCustomSerialPort::BaudRateValue(TBaudrate rate) {
    return kBaudRates[static_cast<std::size_t>(rate)];
}

TCustomSerialPort::TCustomSerialPort(std::string name)
    : TDataDispConnComponent(std::move(name)), core_(std::make_unique<TComPortCore>()) {
    syncId_ = SafeSyncRegister(&TCustomSerialPort::SyncEventCallback, this);
    core_->EventCallback = [this](TComPortCore&, TCoreEvent kind, std::uint32_t data,
                                  std::exception_ptr error) {
        HandleCoreEvent(kind, data, std::move(error));
    };
    BuildDcb();
}

TCustomSerialPort::~TCustomSerialPort() {
    destroying_.store(true);
    SafeSyncUnregister(syncId_);
    // Closes the port without OnPortClose.
    core_.reset();
}

void TCustomSerialPort::Open() {
    if (!core_->IsOpen()) {
        SafeSyncEnable(syncId_, true);
        core_->SetDcb(dcb_);
        TakeThreadSettings();
        closing_.store(false);
        OpenDevice();
        if (OnPortOpen) {
            OnPortOpen(*this);
        }
    }
    DispatcherPortOpened();
}

void TCustomSerialPort::TakeThreadSettings() {
    core_->SetInBufSize(inBufSize_);
    core_->SetOutBufSize(outBufSize_);
    core_->SetEventThreadPriority(eventThreadPriority_);
    core_->SetWriteThreadPriority(writeThreadPriority_);
}

void TCustomSerialPort::Reopen() {
    if (!core_->CanKeepDevice()) {
        Close();
        Open();
        return;
    }
    // Close() and Open() as above, with the device left open in between.
    // Its settings need no new round: every change since the open was
    // applied to it as it was made.
    {
        const FlagGuard closing(closing_);
        DispatcherPortClosed();
        SafeSyncEnable(syncId_, false);
        core_->StopThreads();
        if (OnPortClose) {
            OnPortClose(*this);
        }
    }
    SafeSyncEnable(syncId_, true);
    TakeThreadSettings();
    core_->StartThreads();
    if (OnPortOpen) {
        OnPortOpen(*this);
    }
    DispatcherPortOpened();
}

void TCustomSerialPort::Close() {
    const FlagGuard closing(closing_);
    DispatcherPortClosed();
    // From here on no event reaches the user-interface thread, and an event
    // thread blocked in a report is let go.
    SafeSyncEnable(syncId_, false);
    if (core_->IsOpen()) {
        core_->Close();
    }
    if (OnPortClose) {
        OnPortClose(*this);
    }
}

bool TCustomSerialPort::IsOpen() const {
    return core_ && core_->IsOpen();
}

bool TCustomSerialPort::HungUp() const {
    return IsOpen() && core_->HungUp();
}

int TCustomSerialPort::PortHandle() const {
    return core_->Handle();
}

void TCustomSerialPort::RaisePortError(const std::string& message) {
    throw EComPortError(message + " - " + Name() + " ");
}

void TCustomSerialPort::WriteData(const void* buffer, std::int32_t size) {
    if (closing_.load()) {
        return;
    }
    if (!core_->WriteData(buffer, size)) {
        RaisePortError("Write data error [requested: " + std::to_string(size) +
                       ", free: " + std::to_string(core_->OutputFree()) + "]");
    }
}

void TCustomSerialPort::WriteByte(std::uint8_t value) {
    WriteData(&value, 1);
}

void TCustomSerialPort::ReadData(void* buffer, std::int32_t size) {
    if (closing_.load()) {
        return;
    }
    if (core_->ReadData(buffer, size) < size) {
        RaisePortError("Read data error");
    }
}

std::uint8_t TCustomSerialPort::ReadByte() {
    std::uint8_t value = 0;
    ReadData(&value, 1);
    return value;
}

void TCustomSerialPort::ClearOutput() {
    if (!closing_.load()) {
        core_->ClearOutput();
    }
}

std::int32_t TCustomSerialPort::OutputFree() {
    return core_->OutputFree();
}

std::int32_t TCustomSerialPort::InputCount() {
    TComStat status;
    core_->GetComStat(status);
    return static_cast<std::int32_t>(status.cbInQue);
}

void TCustomSerialPort::Loaded() {
    if (autoOpen_) {
        Open();
    } else {
        BuildDcb();
    }
}

// --- properties -----------------------------------------------------------

template <typename Change>
void TCustomSerialPort::ChangeSettings(Change&& change) {
    const auto before =
        std::apply([](const auto&... value) { return std::make_tuple(value...); }, BlockSettings());
    change();
    try {
        BuildDcb();
    } catch (...) {
        // The device refused the block and runs on the old one: so do the
        // properties, or the refused value would ride along in every later
        // block and have each of them refused too.
        BlockSettings() = before;
        throw;
    }
}

void TCustomSerialPort::SetBaudRate(TBaudrate value) {
    if (value == baudRate_) {
        return;
    }
    ChangeSettings([&] {
        baudRate_ = value;
        if (value != brUser) {
            userBaudRate_ = 0;
        }
    });
}

void TCustomSerialPort::SetUserBaudRate(std::int32_t value) {
    if (value == userBaudRate_) {
        return;
    }
    ChangeSettings([&] {
        userBaudRate_ = value;
        baudRate_ = brUser;
    });
}

void TCustomSerialPort::SetDatabits(TDatabits value) {
    if (value == databits_) {
        return;
    }
    ChangeSettings([&] { databits_ = value; });
}

void TCustomSerialPort::SetParity(TParity value) {
    if (value == parity_) {
        return;
    }
    ChangeSettings([&] { parity_ = value; });
}

void TCustomSerialPort::SetStopbits(TStopbits value) {
    if (value == stopbits_) {
        return;
    }
    ChangeSettings([&] { stopbits_ = value; });
}

void TCustomSerialPort::SetOptions(TComOptions value) {
    if (value == options_) {
        return;
    }
    ChangeSettings([&] { options_ = value; });
}

void TCustomSerialPort::SetXOnChar(std::uint8_t value) {
    if (value == xonChar_) {
        return;
    }
    ChangeSettings([&] { xonChar_ = value; });
}

void TCustomSerialPort::SetXOffChar(std::uint8_t value) {
    if (value == xoffChar_) {
        return;
    }
    ChangeSettings([&] { xoffChar_ = value; });
}

void TCustomSerialPort::SetFlowControl(TFlowControl value) {
    if (value == flowControl_) {
        return;
    }
    ChangeSettings([&] {
        flowControl_ = value;
        UpdateFlowLimits();
    });
}

void TCustomSerialPort::SetDTR(bool value) {
    if (value == dtr_) {
        return;
    }
    core_->EscapeFunction(value ? SETDTR : CLRDTR);
    dtr_ = value;
    // Keep the block's DTR bit in step (without applying it), or the next
    // open would raise the line again from a stale block.
    dcb_.Flags =
        (dcb_.Flags & ~dcbflag::DtrControlMask) | (ComputeDcb().Flags & dcbflag::DtrControlMask);
}

void TCustomSerialPort::SetRTS(bool value) {
    if (value == rts_) {
        return;
    }
    core_->EscapeFunction(value ? SETRTS : CLRRTS);
    rts_ = value;
    dcb_.Flags =
        (dcb_.Flags & ~dcbflag::RtsControlMask) | (ComputeDcb().Flags & dcbflag::RtsControlMask);
}

void TCustomSerialPort::SetInBufSize(std::int32_t value) {
    if (value == inBufSize_) {
        return;
    }
    if (IsOpen()) {
        RaisePortError("Port is not closed");
    }
    inBufSize_ = value;
    UpdateFlowLimits();
}

void TCustomSerialPort::SetOutBufSize(std::int32_t value) {
    if (value == outBufSize_) {
        return;
    }
    if (IsOpen()) {
        RaisePortError("Port is not closed");
    }
    outBufSize_ = value;
}

void TCustomSerialPort::SetXOnLim(std::uint16_t value) {
    if (value == xonLim_) {
        return;
    }
    xonLim_ = value;
    xoffLim_ = static_cast<std::uint16_t>(inBufSize_ - value);
}

void TCustomSerialPort::SetXOffLim(std::uint16_t value) {
    if (value == xoffLim_) {
        return;
    }
    xoffLim_ = value;
    xonLim_ = static_cast<std::uint16_t>(inBufSize_ - value);
}

void TCustomSerialPort::UpdateFlowLimits() {
    if (flowControl_ == fwNone) {
        xonLim_ = 0;
        xoffLim_ = 0;
    } else {
        xonLim_ = static_cast<std::uint16_t>(inBufSize_ / 4);
        xoffLim_ = static_cast<std::uint16_t>(inBufSize_ - xonLim_);
    }
}

// --- control block --------------------------------------------------------

TDcb TCustomSerialPort::ComputeDcb() const {
    TDcb block{};
    block.DCBlength = kDcbLength;
    block.BaudRate =
        baudRate_ == brUser ? static_cast<std::uint32_t>(userBaudRate_) : BaudRateValue(baudRate_);
    block.ByteSize = static_cast<std::uint8_t>(4 + static_cast<int>(databits_));
    block.Parity = static_cast<std::uint8_t>(parity_);
    block.StopBits = static_cast<std::uint8_t>(stopbits_);
    block.XonChar = xonChar_;
    block.XoffChar = xoffChar_;
    block.XonLim = xonLim_;
    block.XoffLim = xoffLim_;
    std::uint32_t flags = kFlowBits[flowControl_] | dcbflag::Binary;
    for (std::size_t option = 0; option < kOptionBits.size(); ++option) {
        if ((options_ & (1U << option)) != 0) {
            flags |= kOptionBits[option];
        }
    }
    if (dtr_ && flowControl_ != fwDtrDsr) {
        flags |= dcbflag::DtrEnable;
    }
    if (rts_ && flowControl_ != fwRtsCts) {
        flags |= dcbflag::RtsEnable;
    }
    block.Flags = flags;
    return block;
}

void TCustomSerialPort::BuildDcb() {
    dcb_ = ComputeDcb();
    if (IsOpen()) {
        try {
            core_->SetDcb(dcb_);
        } catch (...) {
            // The core re-read what the device still uses.
            dcb_ = core_->Dcb();
            throw;
        }
    }
}

void TCustomSerialPort::ApplyDcbRecord(const TDcb& block) {
    if (block.DCBlength != kDcbLength) {
        RaisePortError("Error setting parameters from DCB");
    }
    ChangeSettings([&] {
        dcb_ = block;
        baudRate_ = brUser;
        userBaudRate_ = static_cast<std::int32_t>(block.BaudRate);
        for (std::size_t i = 0; i < kBaudRates.size(); ++i) {
            if (kBaudRates[i] == block.BaudRate) {
                baudRate_ = static_cast<TBaudrate>(i);
                if (baudRate_ != brUser) {
                    userBaudRate_ = 0;
                }
                break;
            }
        }
        databits_ = block.ByteSize >= 4 && block.ByteSize <= 8
                        ? static_cast<TDatabits>(block.ByteSize - 4)
                        : db8;
        parity_ = block.Parity <= paSpace ? static_cast<TParity>(block.Parity) : paNone;
        stopbits_ = block.StopBits <= sbTwo ? static_cast<TStopbits>(block.StopBits) : sbOne;
        flowControl_ = fwNone;
        for (TFlowControl candidate : {fwDtrDsr, fwRtsCts, fwXOnXOff}) {
            const std::uint32_t bits = kFlowBits[candidate];
            if ((block.Flags & bits) == bits) {
                flowControl_ = candidate;
                break;
            }
        }
        options_ = 0;
        for (std::size_t option = 0; option < kOptionBits.size(); ++option) {
            if ((block.Flags & kOptionBits[option]) != 0) {
                options_ |= static_cast<TComOptions>(1U << option);
            }
        }
        xonChar_ = block.XonChar;
        xoffChar_ = block.XoffChar;
        xonLim_ = block.XonLim;
        xoffLim_ = block.XoffLim;
    });
}

// --- event delivery -------------------------------------------------------

void TCustomSerialPort::HandleCoreEvent(TCoreEvent kind, std::uint32_t data,
                                        std::exception_ptr error) {
    // Event thread.
    if (closing_.load() || destroying_.load()) {
        return;
    }
    if (kind == ceThreadException) {
        SendSyncEvent(kind, data, std::move(error));
        return;
    }
    if (OnNonSyncEvent) {
        OnNonSyncEvent(*this, kind, data);
        return;
    }
    SendSyncEvent(kind, data, nullptr);
}

void TCustomSerialPort::SendSyncEvent(TCoreEvent kind, std::uint32_t data,
                                      std::exception_ptr error) {
    {
        const std::lock_guard lock(pendingMutex_);
        pendingKind_ = kind;
        pendingData_ = data;
        pendingError_ = std::move(error);
    }
    if (!SafeSyncSend(syncId_, kSyncTimeoutMs)) {
        throw ESilentAbort{};
    }
}

void TCustomSerialPort::SyncEventCallback(void* object, std::int32_t /*slot*/) {
    auto* self = static_cast<TCustomSerialPort*>(object);
    if (self->closing_.load()) {
        return;
    }
    TCoreEvent kind;
    std::uint32_t data;
    std::exception_ptr error;
    {
        const std::lock_guard lock(self->pendingMutex_);
        kind = self->pendingKind_;
        data = self->pendingData_;
        error = std::exchange(self->pendingError_, nullptr);
    }
    self->DispatchEvent(kind, data, std::move(error));
}

void TCustomSerialPort::DispatchEvent(TCoreEvent kind, std::uint32_t data,
                                      std::exception_ptr error) {
    if (closing_.load() || destroying_.load()) {
        return;
    }
    if (OnSyncEvent) {
        OnSyncEvent(*this, kind, data);
    }
    switch (kind) {
        case ceOutBufEmpty:
            if (OnOutBufFree) {
                OnOutBufFree(*this);
            }
            break;
        case ceCommEvent:
            if ((data & EV_RXCHAR) != 0 && OnDataRecived) {
                OnDataRecived(*this, InputCount());
            }
            FireLineEvents(data);
            break;
        case ceDataAvailable:
            if (OnDataRecived) {
                OnDataRecived(*this, static_cast<std::int32_t>(data));
            }
            break;
        case ceThreadException:
            if (error) {
                std::rethrow_exception(error);
            }
            break;
        case ceHangUp:
            if (OnHangUp) {
                OnHangUp(*this);
            }
            break;
    }
}

void TCustomSerialPort::FireLineEvents(std::uint32_t mask) {
    const std::uint32_t errors = core_->TakeErrors();
    if ((mask & EV_ERR) != 0 && OnLineError) {
        OnLineError(*this, errors);
    }
    if ((mask & EV_CTS) != 0 && OnCTSChanged) {
        OnCTSChanged(*this);
    }
    if ((mask & EV_DSR) != 0 && OnDSRChanged) {
        OnDSRChanged(*this);
    }
    if ((mask & EV_RING) != 0 && OnRINGDetected) {
        OnRINGDetected(*this);
    }
    if ((mask & EV_RLSD) != 0 && OnRLSDChanged) {
        OnRLSDChanged(*this);
    }
}

}  // namespace tovrix
