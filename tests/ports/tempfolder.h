#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace tovrix::test {

// A fresh folder under the system's temporary directory, removed with all
// it holds at the end; path() is empty when none could be made.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tovrix-ports-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace tovrix::test
