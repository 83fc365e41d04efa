#include "fakes/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tavilune::testing {

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavilune-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void ScratchFolder::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchFolder::Read(const std::string& name) const {
  std::ifstream in(File(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

namespace {

// The shipped test data: the folder CTest names, else the nearest tests/data above the test
// binary (the build folder lives inside the source tree). Without either, every test that
// needs the data would fail in its own confusing way, so the run stops with one message.
const std::string& TestDataRoot() {
  static const std::string root = [] {
    namespace fs = std::filesystem;
    if (const char* named = std::getenv("TAVILUNE_TEST_DATA")) {
      if (fs::is_directory(named)) return std::string(named);
      std::fprintf(stderr, "test data folder %s (TAVILUNE_TEST_DATA) does not exist\n", named);
      std::exit(1);
    }
    std::error_code error;
    const fs::path binary = fs::read_symlink("/proc/self/exe", error);
    for (fs::path folder = binary.parent_path(); !error && !folder.empty();
         folder = folder.parent_path()) {
      if (fs::is_directory(folder / "tests" / "data" / "picture")) {
        return (folder / "tests" / "data").string();
      }
      if (folder == folder.root_path()) break;
    }
    std::fprintf(stderr,
                 "test data not found: no tests/data above %s; run the tests through CTest or "
                 "set TAVILUNE_TEST_DATA to the source tree's tests/data folder\n",
                 binary.string().c_str());
    std::exit(1);
  }();
  return root;
}

}  // namespace

std::string TestDataPath(const std::string& name) { return TestDataRoot() + "/" + name; }

std::vector<std::uint8_t> ReadTestData(const std::string& name) {
  std::ifstream in(TestDataPath(name), std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace tavilune::testing
