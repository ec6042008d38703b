#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tovrix {

// A data dispatcher would fan received bytes out to listeners. None exists
// in this system; the type is only named so that the link has a type.
class TDataDispatcher;

// Base of the serial component: the component's name and an optional link
// to a data dispatcher. Nothing ever attaches a dispatcher here, so the link
// stays empty and the open/close notifications do nothing.
class TDataDispConnComponent {
  public:
    explicit TDataDispConnComponent(std::string name) : name_(std::move(name)) {}
    virtual ~TDataDispConnComponent() { DetachDispatcher(); }
    TDataDispConnComponent(const TDataDispConnComponent&) = delete;
    TDataDispConnComponent& operator=(const TDataDispConnComponent&) = delete;

    const std::string& Name() const { return name_; }
    TDataDispatcher* DataDispatcher() const { return dispatcher_; }

    virtual void WriteData(const void* buffer, std::int32_t size) = 0;

  protected:
    // Tell a linked dispatcher that the port opened or closed.
    void DispatcherPortOpened() {}
    void DispatcherPortClosed() {}

  private:
    void DetachDispatcher() { dispatcher_ = nullptr; }

    std::string name_;
    TDataDispatcher* dispatcher_ = nullptr;
};

}  // namespace tovrix
