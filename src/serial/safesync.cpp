// The registry's only Qt-dependent part: the hidden object that runs requests
// on the user-interface thread. Workers hand requests over through the
// registry's std::mutex and wake the user-interface thread through an
// eventfd watched by a QSocketNotifier; nothing crosses threads through Qt's
// own (unchecked) event queue, so the hand-over is visible to thread
// checkers and needs no allocation per send.

#include "serial/safesync.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "serial/exceptiondisplay.h"

namespace tovrix {

namespace {

struct SyncSlot {
    bool Enabled = false;
    SafeSyncProc Callback = nullptr;
    void* Object = nullptr;
    std::uint32_t Id = 0;
    // A worker has asked for this slot's callback and it has not been taken yet.
    bool requested = false;
    // Sequence numbers of requests made and requests carried out; a sender
    // waits until its own number has been carried out.
    std::uint64_t requestedSeq = 0;
    std::uint64_t completedSeq = 0;
};

class SyncEvent : public QEvent {
  public:
    SyncEvent(int kind, std::uint32_t id)
        : QEvent(static_cast<QEvent::Type>(QEvent::User + kind)), slotId(id) {}
    std::uint32_t slotId;
};

class CallProcEvent : public QEvent {
  public:
    explicit CallProcEvent(std::function<void()> proc)
        : QEvent(static_cast<QEvent::Type>(QEvent::User + SSM_CALLPROC)),
          procedure(std::move(proc)) {}
    std::function<void()> procedure;
};

void handleSyncEvent(std::uint32_t id);
void runPostedProcs();
void servicePendingSends();
void deactivate(bool deferDelete);

// The hidden object; it lives on the thread that activated the registry.
class SafeSyncWindow : public QObject {
  public:
    SafeSyncWindow() { setObjectName(QStringLiteral("SafeSyncObjWnd")); }

  protected:
    bool event(QEvent* event) override {
        const int kind = static_cast<int>(event->type()) - QEvent::User;
        switch (kind) {
            case SSM_SYNCEVENT:
                handleSyncEvent(static_cast<SyncEvent*>(event)->slotId);
                return true;
            case SSM_CALLPROC: {
                auto* call = static_cast<CallProcEvent*>(event);
                if (call->procedure) {
                    try {
                        call->procedure();
                    } catch (...) {
                        showException(std::current_exception());
                    }
                }
                return true;
            }
            case SSM_DEACTIVATE:
                deactivate(true);
                return true;
            default:
                return QObject::event(event);
        }
    }
};

struct Registry {
    std::mutex mutex;  // guards everything below
    std::condition_variable completed;
    bool active = false;
    std::unique_ptr<std::array<SyncSlot, kSafeSyncSlots>> slotTable;
    int used = 0;
    std::uint32_t nextId = 0;
    std::thread::id owner;
    SafeSyncWindow* window = nullptr;
    QSocketNotifier* sendNotifier = nullptr;
    QSocketNotifier* procNotifier = nullptr;
    int sendWakeFd = -1;  // signalled by every send
    int procWakeFd = -1;  // signalled by every posted procedure
    std::deque<std::function<void()>> procs;
    bool postRoutineAdded = false;
};

// Created on first use and never destroyed, so that a worker thread still
// running during static destruction never meets a dead mutex.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

// Lookup by id; slot index or -1. Call with the mutex held.
int findSlot(const Registry& r, std::uint32_t id) {
    if (!r.active || id == 0) {
        return -1;
    }
    for (int i = 0; i < kSafeSyncSlots; ++i) {
        if ((*r.slotTable)[static_cast<std::size_t>(i)].Id == id) {
            return i;
        }
    }
    return -1;
}

void signalFd(int fd) {
    const std::uint64_t one = 1;
    // The counter cannot overflow in practice; EAGAIN would only mean it is
    // already signalled, which is all we want.
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &one, sizeof one);
}

void drainFd(int fd) {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(fd, &value, sizeof value);
}

// The window procedure for SSM_SYNCEVENT: run the slot's callback once for
// all requests made so far, then release the waiting senders.
void handleSyncEvent(std::uint32_t id) {
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    int index = findSlot(r, id);
    if (index < 0) {
        return;
    }
    SyncSlot* slot = &(*r.slotTable)[static_cast<std::size_t>(index)];
    if (!slot->requested) {
        return;  // already run from a wait that services sends
    }
    slot->requested = false;
    const std::uint64_t seq = slot->requestedSeq;
    if (slot->Enabled && slot->Callback != nullptr) {
        const SafeSyncProc callback = slot->Callback;
        void* object = slot->Object;
        lock.unlock();
        try {
            callback(object, index + 1);
        } catch (...) {
            // Exceptions end here: they never travel back into the event loop
            // or to the sending thread.
            showException(std::current_exception());
        }
        lock.lock();
        if (!r.active) {
            r.completed.notify_all();
            return;
        }
        slot = &(*r.slotTable)[static_cast<std::size_t>(index)];
        if (slot->Id != id) {
            r.completed.notify_all();
            return;
        }
    }
    if (slot->completedSeq < seq) {
        slot->completedSeq = seq;
    }
    r.completed.notify_all();
}

void deliverSyncEvent(std::uint32_t id) {
    Registry& r = registry();
    SafeSyncWindow* window = nullptr;
    {
        const std::lock_guard lock(r.mutex);
        window = r.window;
    }
    if (window != nullptr) {
        SyncEvent event(SSM_SYNCEVENT, id);
        QCoreApplication::sendEvent(window, &event);
    }
}

// Runs every slot that has a request waiting. Owner thread only.
void servicePendingSends() {
    Registry& r = registry();
    drainFd(r.sendWakeFd);
    for (;;) {
        std::uint32_t id = 0;
        {
            const std::lock_guard lock(r.mutex);
            if (!r.active) {
                return;
            }
            for (const SyncSlot& slot : *r.slotTable) {
                if (slot.requested && slot.Id != 0) {
                    id = slot.Id;
                    break;
                }
            }
        }
        if (id == 0) {
            return;
        }
        deliverSyncEvent(id);
    }
}

void runPostedProcs() {
    Registry& r = registry();
    drainFd(r.procWakeFd);
    for (;;) {
        std::function<void()> proc;
        SafeSyncWindow* window = nullptr;
        {
            const std::lock_guard lock(r.mutex);
            if (!r.active || r.procs.empty()) {
                return;
            }
            proc = std::move(r.procs.front());
            r.procs.pop_front();
            window = r.window;
        }
        CallProcEvent event(std::move(proc));
        QCoreApplication::sendEvent(window, &event);
    }
}

void deactivateAtExit() {
    deactivate(false);
}

// Activation proper; the caller holds the registry mutex.
bool activateLocked(Registry& r) {
    if (r.active) {
        return true;
    }
    if (QCoreApplication::instance() == nullptr) {
        return false;
    }
    const int sendFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const int procFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (sendFd < 0 || procFd < 0) {
        if (sendFd >= 0) {
            ::close(sendFd);
        }
        if (procFd >= 0) {
            ::close(procFd);
        }
        return false;
    }
    r.sendWakeFd = sendFd;
    r.procWakeFd = procFd;
    r.window = new SafeSyncWindow;
    r.sendNotifier = new QSocketNotifier(sendFd, QSocketNotifier::Read, r.window);
    QObject::connect(r.sendNotifier, &QSocketNotifier::activated, r.window,
                     [] { servicePendingSends(); });
    r.procNotifier = new QSocketNotifier(procFd, QSocketNotifier::Read, r.window);
    QObject::connect(r.procNotifier, &QSocketNotifier::activated, r.window,
                     [] { runPostedProcs(); });
    r.slotTable = std::make_unique<std::array<SyncSlot, kSafeSyncSlots>>();
    r.used = 0;
    r.owner = std::this_thread::get_id();
    r.active = true;
    if (!r.postRoutineAdded) {
        // The hidden object must go before the application object does.
        qAddPostRoutine(deactivateAtExit);
        r.postRoutineAdded = true;
    }
    return true;
}

void deactivate(bool deferDelete) {
    Registry& r = registry();
    SafeSyncWindow* window = nullptr;
    int sendFd = -1;
    int procFd = -1;
    {
        const std::lock_guard lock(r.mutex);
        if (!r.active) {
            return;
        }
        r.active = false;
        window = std::exchange(r.window, nullptr);
        r.sendNotifier = nullptr;
        r.procNotifier = nullptr;
        sendFd = std::exchange(r.sendWakeFd, -1);
        procFd = std::exchange(r.procWakeFd, -1);
        r.slotTable.reset();
        r.used = 0;
        r.procs.clear();
        r.completed.notify_all();
    }
    // The notifiers are children of the window and go with it. From inside
    // the window's own event handler the deletion has to wait.
    if (deferDelete) {
        window->deleteLater();
    } else {
        delete window;
    }
    ::close(sendFd);
    ::close(procFd);
}

}  // namespace

bool SafeSyncActivate() {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    return activateLocked(r);
}

void SafeSyncDeactivate() {
    deactivate(false);
}

std::uint32_t SafeSyncRegister(SafeSyncProc procedure, void* object) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    if (!activateLocked(r)) {
        return 0;
    }
    for (SyncSlot& slot : *r.slotTable) {
        if (slot.Callback == nullptr) {
            ++r.nextId;
            if (r.nextId == 0) {
                ++r.nextId;
            }
            slot.Enabled = false;
            slot.Callback = procedure;
            slot.Object = object;
            slot.Id = r.nextId;
            slot.requested = false;
            slot.requestedSeq = 0;
            slot.completedSeq = 0;
            ++r.used;
            return slot.Id;
        }
    }
    return 0;
}

bool SafeSyncUnregister(std::uint32_t id) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    const int index = findSlot(r, id);
    if (index < 0) {
        return false;
    }
    SyncSlot& slot = (*r.slotTable)[static_cast<std::size_t>(index)];
    slot = SyncSlot{};
    --r.used;
    // A sender still waiting for this slot gives up now.
    r.completed.notify_all();
    return true;
}

bool SafeSyncEnable(std::uint32_t id, bool enabled) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    const int index = findSlot(r, id);
    if (index < 0) {
        return false;
    }
    SyncSlot& slot = (*r.slotTable)[static_cast<std::size_t>(index)];
    if (slot.Callback == nullptr) {
        return false;
    }
    slot.Enabled = enabled;
    return true;
}

bool SafeSyncSend(std::uint32_t id, std::int32_t timeoutMs) {
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    int index = findSlot(r, id);
    if (index < 0) {
        return false;
    }
    SyncSlot* slot = &(*r.slotTable)[static_cast<std::size_t>(index)];
    if (slot->Callback == nullptr || !slot->Enabled) {
        return false;
    }
    const std::uint64_t seq = ++slot->requestedSeq;
    slot->requested = true;
    if (std::this_thread::get_id() == r.owner) {
        // A send from the user-interface thread itself runs the callback directly.
        lock.unlock();
        deliverSyncEvent(id);
        lock.lock();
    } else {
        signalFd(r.sendWakeFd);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        r.completed.wait_until(lock, deadline, [&] {
            return !r.active || (*r.slotTable)[static_cast<std::size_t>(index)].Id != id ||
                   (*r.slotTable)[static_cast<std::size_t>(index)].completedSeq >= seq;
        });
    }
    index = findSlot(r, id);
    if (index < 0) {
        return false;
    }
    slot = &(*r.slotTable)[static_cast<std::size_t>(index)];
    return slot->Callback != nullptr && slot->Enabled;
}

bool SafeSyncOnOwnerThread() {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    return r.active && r.owner == std::this_thread::get_id();
}

void SafeSyncWaitReadable(int fd) {
    Registry& r = registry();
    int wakeFd = -1;
    {
        const std::lock_guard lock(r.mutex);
        if (r.active && r.owner == std::this_thread::get_id()) {
            wakeFd = r.sendWakeFd;
        }
    }
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, -1);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if (wakeFd >= 0 && fds[1].revents != 0) {
            servicePendingSends();
        }
    }
}

void SafeSyncPostProc(std::function<void()> procedure) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    if (!r.active) {
        return;
    }
    r.procs.push_back(std::move(procedure));
    signalFd(r.procWakeFd);
}

void SafeSyncSetIdCounter(std::uint32_t value) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.nextId = value;
}

}  // namespace tovrix
