#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tovrix::test {

// A pseudo-terminal standing in for the far end of a serial line. The test
// holds the master; the slave is what the component opens as COM n. Like the
// receiver emulator, the pair keeps its own slave descriptor open all along.
class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // Makes COM n point at this slave (a link in the test's own config directory).
    void linkAs(int comNumber) const;
    void writeMaster(const void* data, std::size_t size) const;
    void writeMaster(std::uint8_t byte) const { writeMaster(&byte, 1); }
    // Reads exactly size bytes from the master, or fewer when timeoutMs pass.
    std::vector<std::uint8_t> readMaster(std::size_t size, int timeoutMs) const;
    // Hangs up: the slave side sees the far end gone.
    void closeMaster();

    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Points COM n at an arbitrary path (which may not exist).
void linkComTo(int comNumber, const std::string& path);

// Runs the event loop until pred() holds or timeoutMs pass; returns pred().
bool pumpUntil(const std::function<bool()>& pred, int timeoutMs);
// Runs the event loop for the given time.
void pumpFor(int milliseconds);

// CPU time (user + system) the process has used, in milliseconds.
double processCpuMs();

// Milliseconds since an arbitrary start, monotonic.
double nowMs();

}  // namespace tovrix::test
