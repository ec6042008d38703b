#pragma once

#include <stdexcept>
#include <string>

namespace tovrix::receiver {

// A refusal to make the link, with a message for the user.
class ComLinkError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The symbolic link that makes a device appear as COM n to the tool. It is
// made on construction and removed again on destruction or remove(), but only
// while it still points where this object made it point.
class ComLink {
  public:
    // Creates the link's directory as needed. A link that points to a device
    // that exists belongs to someone else: throws ComLinkError. A stale link
    // (its target gone) is replaced. Anything else at the path (a file, a
    // directory) is left alone: throws ComLinkError.
    ComLink(std::string linkPath, std::string target);
    ~ComLink();
    ComLink(const ComLink&) = delete;
    ComLink& operator=(const ComLink&) = delete;

    const std::string& path() const { return path_; }

    void remove();

    // Leaves the link behind pointing at a device that does not exist, as a
    // link to an unplugged USB adapter does: the next open of COM n fails as
    // a missing device. The target is made unique so that a pseudo-terminal
    // allocated later under the same number is never mistaken for this one.
    void unplug();

  private:
    std::string path_;
    std::string target_;
    bool made_ = false;
};

}  // namespace tovrix::receiver
