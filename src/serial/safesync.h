#pragma once

#include <cstdint>
#include <functional>

namespace tovrix {

// The safe-synchronisation registry: a process-wide table of 64 callback
// slots through which a worker thread runs a registered procedure on the
// user-interface thread, synchronously and with a time-out. A slot can be
// switched off, which makes every later send for it fail at once and makes a
// request already waiting do nothing; that is how a closing port releases its
// event thread.
//
// The registry becomes active with the first registration, on the thread
// that registers (which must be the user-interface thread, with a
// QCoreApplication in existence); its hidden object "SafeSyncObjWnd" lives
// there. This file's interface is free of Qt; only its implementation uses
// Qt Core.

// A procedure bound to an object; called with the object and the slot number (1..64).
using SafeSyncProc = void (*)(void* object, std::int32_t slot);

// Event kinds of the hidden object (their numbers are fixed).
constexpr int SSM_CALLPROC = 0x0500;    // run a posted procedure
constexpr int SSM_SYNCEVENT = 0x0501;   // run the callback of the slot with the given id
constexpr int SSM_DEACTIVATE = 0x0502;  // SafeSyncDeactivate

constexpr int kSafeSyncSlots = 64;

// Registers a callback in the lowest free slot, disabled; returns its id, or
// 0 when all slots are taken (or the registry cannot be activated).
std::uint32_t SafeSyncRegister(SafeSyncProc procedure, void* object);
bool SafeSyncUnregister(std::uint32_t id);
bool SafeSyncEnable(std::uint32_t id, bool enabled);
// Runs the slot's callback on the user-interface thread and waits up to
// timeoutMs for it to have run. Returns whether the slot is still enabled
// afterwards (also after a time-out, which is not an error).
bool SafeSyncSend(std::uint32_t id, std::int32_t timeoutMs);
bool SafeSyncActivate();
void SafeSyncDeactivate();

// True on the thread that owns the active registry.
bool SafeSyncOnOwnerThread();

// Waits until fd becomes readable. On the registry's thread it meanwhile runs
// the pending sends (and nothing else), so that a worker blocked in a send
// can finish; elsewhere it simply waits.
void SafeSyncWaitReadable(int fd);

// Runs procedure later on the user-interface thread (used to show an
// exception caught in a worker thread). Dropped when the registry is not active.
void SafeSyncPostProc(std::function<void()> procedure);

// For tests: sets the id counter (the next id is value + 1, skipping 0).
void SafeSyncSetIdCounter(std::uint32_t value);

}  // namespace tovrix
