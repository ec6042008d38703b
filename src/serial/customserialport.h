#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include "serial/comportcore.h"
#include "serial/datadispconn.h"
#include "serial/dcb.h"
#include "serial/errors.h"
#include "serial/serialtypes.h"

namespace tovrix {

// A serial port with its line settings as properties, reads and writes
// through the port core, and its events delivered on the user-interface
// thread (the thread that constructed the first component; it needs a
// QCoreApplication). Properties are read with <Name>() and changed with
// Set<Name>(); every setter does nothing when the value does not change.
class TCustomSerialPort : public TDataDispConnComponent {
  public:
    using TNotifyEvent = std::function<void(TCustomSerialPort& Sender)>;
    using TCPTDataReceivedEvent =
        std::function<void(TCustomSerialPort& Sender, std::int32_t Count)>;
    using TCPTErrorEvent = std::function<void(TCustomSerialPort& Sender, std::uint32_t Errors)>;
    using TCPTCoreEvent =
        std::function<void(TCustomSerialPort& Sender, TCoreEvent EventKind, std::uint32_t Data)>;

    explicit TCustomSerialPort(std::string name);
    ~TCustomSerialPort() override;

    // Opens the port (nothing when it is open already) and fires OnPortOpen.
    // Errors of the device propagate as EComPortCoreError; the port then stays closed.
    virtual void Open();
    // Closes the port and fires OnPortClose, also when it was not open.
    virtual void Close();
    // Close() and then Open(), both events firing, with one difference: a
    // port on a network serial server whose connection is up and whose name
    // still stands for it keeps that connection (its threads start afresh
    // and what either direction holds is purged, as a close and an open
    // leave it). Errors propagate as from Open(); the port is closed then.
    void Reopen();
    bool IsOpen() const;

    // Queues the bytes for sending, all or nothing; raises "Write data error
    // [requested: %d, free: %d]" when they do not fit or the port is closed.
    void WriteData(const void* buffer, std::int32_t size) override;
    void WriteByte(std::uint8_t value);
    // Reads exactly size waiting bytes; raises "Read data error" when fewer wait.
    void ReadData(void* buffer, std::int32_t size);
    std::uint8_t ReadByte();
    // Discards what is queued for sending and aborts the transmission in progress.
    void ClearOutput();
    std::int32_t OutputFree();
    std::int32_t InputCount();
    int PortHandle() const;
    // True once the open device has hung up (adapter unplugged, far end of a
    // pseudo-terminal gone); it stays so until the port is opened again.
    bool HungUp() const;

    virtual bool ShowConfigDialog() = 0;
    // To be called once the stored properties are set: opens the port when
    // AutoOpen is set, else only rebuilds the control block.
    virtual void Loaded();

    // Properties.
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool value) { autoOpen_ = value; }
    TBaudrate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudrate value);
    TDatabits Databits() const { return databits_; }
    void SetDatabits(TDatabits value);
    bool DTR() const { return dtr_; }
    void SetDTR(bool value);
    TThreadPriority EventThreadPriority() const { return eventThreadPriority_; }
    void SetEventThreadPriority(TThreadPriority value) { eventThreadPriority_ = value; }
    TFlowControl FlowControl() const { return flowControl_; }
    void SetFlowControl(TFlowControl value);
    std::int32_t InBufSize() const { return inBufSize_; }
    void SetInBufSize(std::int32_t value);
    TComOptions Options() const { return options_; }
    void SetOptions(TComOptions value);
    std::int32_t OutBufSize() const { return outBufSize_; }
    void SetOutBufSize(std::int32_t value);
    TParity Parity() const { return parity_; }
    void SetParity(TParity value);
    bool RTS() const { return rts_; }
    void SetRTS(bool value);
    TStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TStopbits value);
    std::int32_t UserBaudRate() const { return userBaudRate_; }
    void SetUserBaudRate(std::int32_t value);
    TThreadPriority WriteThreadPriority() const { return writeThreadPriority_; }
    void SetWriteThreadPriority(TThreadPriority value) { writeThreadPriority_ = value; }
    std::uint8_t XOnChar() const { return xonChar_; }
    void SetXOnChar(std::uint8_t value);
    std::uint8_t XOffChar() const { return xoffChar_; }
    void SetXOffChar(std::uint8_t value);
    std::uint16_t XOnLim() const { return xonLim_; }
    void SetXOnLim(std::uint16_t value);
    std::uint16_t XOffLim() const { return xoffLim_; }
    void SetXOffLim(std::uint16_t value);

    // The device control block built from the properties.
    const TDcb& Dcb() const { return dcb_; }
    void BuildDcb();
    void UpdateFlowLimits();
    // Takes the properties from a control block (as a settings dialog returns it).
    void ApplyDcbRecord(const TDcb& block);

    // The rate of a TBaudrate value (0 for brUser).
    static std::uint32_t BaudRateValue(TBaudrate rate);

    // Events; all but OnNonSyncEvent fire on the user-interface thread.
    TNotifyEvent OnCTSChanged;
    TCPTDataReceivedEvent OnDataRecived;
    TNotifyEvent OnDSRChanged;
    // The device hung up; fired once per open, on the user-interface thread.
    TNotifyEvent OnHangUp;
    TCPTErrorEvent OnLineError;
    // Called on the port's event thread; when set, no event reaches the
    // user-interface thread (except exceptions). Assign it only while closed.
    TCPTCoreEvent OnNonSyncEvent;
    TNotifyEvent OnOutBufFree;
    TNotifyEvent OnPortClose;
    TNotifyEvent OnPortOpen;
    TNotifyEvent OnRINGDetected;
    TNotifyEvent OnRLSDChanged;
    TCPTCoreEvent OnSyncEvent;

  protected:
    virtual void OpenDevice() = 0;
    // Raises EComPortError with "<message> - <component name> ".
    [[noreturn]] virtual void RaisePortError(const std::string& message);
    TComPortCore& Core() { return *core_; }
    std::uint32_t SyncId() const { return syncId_; }

  private:
    static void SyncEventCallback(void* object, std::int32_t slot);
    void HandleCoreEvent(TCoreEvent kind, std::uint32_t data, std::exception_ptr error);
    void SendSyncEvent(TCoreEvent kind, std::uint32_t data, std::exception_ptr error);
    void DispatchEvent(TCoreEvent kind, std::uint32_t data, std::exception_ptr error);
    void FireLineEvents(std::uint32_t mask);
    // Hands the buffer sizes and thread priorities to the core for the
    // threads an open starts.
    void TakeThreadSettings();
    TDcb ComputeDcb() const;
    // Makes a change of the properties the control block is built from and
    // applies the new block; when the open device refuses it, the
    // properties are put back as they were (the block is then the one the
    // device runs on, as BuildDcb leaves it) and the error propagates.
    template <typename Change>
    void ChangeSettings(Change&& change);
    // Those properties, as one assignable tuple.
    auto BlockSettings() {
        return std::tie(baudRate_, userBaudRate_, databits_, parity_, stopbits_, flowControl_,
                        options_, xonChar_, xoffChar_, xonLim_, xoffLim_);
    }

    std::unique_ptr<TComPortCore> core_;
    TDcb dcb_{};
    std::uint32_t syncId_ = 0;
    // Written on the user-interface thread, read there and (best effort) by the event thread.
    std::atomic<bool> closing_{false};
    std::atomic<bool> destroying_{false};
    // The event being handed to the user-interface thread. Under a mutex, so
    // that a late dispatch never sees a half-written kind/data pair.
    std::mutex pendingMutex_;
    TCoreEvent pendingKind_ = ceOutBufEmpty;
    std::uint32_t pendingData_ = 0;
    std::exception_ptr pendingError_;

    bool autoOpen_ = false;
    TBaudrate baudRate_ = br115200;
    TDatabits databits_ = db8;
    bool dtr_ = true;
    TThreadPriority eventThreadPriority_ = tpNormal;
    TFlowControl flowControl_ = fwNone;
    std::int32_t inBufSize_ = 4096;
    TComOptions options_ = 0;
    std::int32_t outBufSize_ = 2048;
    TParity parity_ = paNone;
    bool rts_ = true;
    TStopbits stopbits_ = sbOne;
    std::int32_t userBaudRate_ = 0;
    TThreadPriority writeThreadPriority_ = tpHighest;
    std::uint8_t xonChar_ = 17;
    std::uint8_t xoffChar_ = 19;
    std::uint16_t xonLim_ = 0;
    std::uint16_t xoffLim_ = 0;
};

}  // namespace tovrix
