#pragma once

#include <cstdint>
#include <memory>

namespace tovrix {

// A fixed-size byte ring: the output queue between the thread that appends
// (the user-interface thread) and the write thread that sends straight from
// ReadPointer() and then removes what went out. It does no locking; its users
// hold the port core's write lock.
class TCircularBuffer {
  public:
    explicit TCircularBuffer(std::int32_t size);

    TCircularBuffer(const TCircularBuffer&) = delete;
    TCircularBuffer& operator=(const TCircularBuffer&) = delete;

    void Clear();
    std::int32_t Count() const;
    std::int32_t FreeSpace() const { return size_ - Count(); }
    // Queued bytes readable in one piece starting at ReadPointer().
    std::int32_t ContiguousCount() const;
    const std::uint8_t* ReadPointer() const { return data_.get() + readPos_; }
    // Drops n bytes from the read side; false (and no change) when fewer are queued.
    bool Remove(std::int32_t n);
    // Appends n bytes, all or nothing; false when n < 1 or n > FreeSpace().
    bool Write(const void* block, std::int32_t n);

    std::int32_t Size() const { return size_; }
    std::int32_t ReadPos() const { return readPos_; }
    std::int32_t WritePos() const { return writePos_; }
    bool Full() const { return full_; }

  private:
    void Advance(std::int32_t& position, std::int32_t n) const;

    std::unique_ptr<std::uint8_t[]> data_;
    std::int32_t size_;
    std::int32_t readPos_ = 0;
    std::int32_t writePos_ = 0;
    bool full_ = false;
};

}  // namespace tovrix
