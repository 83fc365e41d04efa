// A private folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavilune::testing {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};

// A file of the shipped test data (tests/data in the source tree), found from CTest's setting or
// from where the test binary lies; ends the run with one message when there is none.
std::string TestDataPath(const std::string& name);
// The bytes of a file of the shipped test data; a test failure when it cannot be read.
std::vector<std::uint8_t> ReadTestData(const std::string& name);

}  // namespace tavilune::testing
