#include "serial/circularbuffer.h"

#include <cstring>

namespace tovrix {

TCircularBuffer::TCircularBuffer(std::int32_t size)
    : data_(new std::uint8_t[size > 0 ? size : 1]), size_(size > 0 ? size : 1) {
    Clear();
}

void TCircularBuffer::Clear() {
    readPos_ = 0;
    writePos_ = 0;
    full_ = false;
}

std::int32_t TCircularBuffer::Count() const {
    if (full_) {
        return size_;
    }
    return writePos_ >= readPos_ ? writePos_ - readPos_ : writePos_ + size_ - readPos_;
}

std::int32_t TCircularBuffer::ContiguousCount() const {
    if (full_) {
        return size_ - readPos_;
    }
    return writePos_ >= readPos_ ? writePos_ - readPos_ : size_ - readPos_;
}

void TCircularBuffer::Advance(std::int32_t& position, std::int32_t n) const {
    // n never exceeds size_, so one wrap is enough.
    if (position + n < size_) {
        position += n;
    } else {
        position += n - size_;
    }
}

bool TCircularBuffer::Remove(std::int32_t n) {
    if (n < 0 || n > Count()) {
        return false;
    }
    Advance(readPos_, n);
    if (n > 0) {
        full_ = false;
    }
    return true;
}

bool TCircularBuffer::Write(const void* block, std::int32_t n) {
    if (n < 1 || n > FreeSpace()) {
        return false;
    }
    const auto* source = static_cast<const std::uint8_t*>(block);
    if (writePos_ >= readPos_) {
        const std::int32_t toEnd = size_ - writePos_;
        if (toEnd >= n) {
            std::memcpy(data_.get() + writePos_, source, static_cast<std::size_t>(n));
        } else {
            std::memcpy(data_.get() + writePos_, source, static_cast<std::size_t>(toEnd));
            std::memcpy(data_.get(), source + toEnd, static_cast<std::size_t>(n - toEnd));
        }
    } else {
        // The free space lies between the write and the read position.
        std::memcpy(data_.get() + writePos_, source, static_cast<std::size_t>(n));
    }
    Advance(writePos_, n);
    full_ = readPos_ == writePos_;
    return true;
}

}  // namespace tovrix
