// Feeds arbitrary bytes to the archive reader from memory: lists the entries,
// extracts each into memory, and extracts the whole archive into a folder
// inside a sandbox folder, which must afterwards hold nothing but that folder.
// A defective archive may be refused (ZipFormatError, or RunError from the
// file system); any other exception, a crash or an escape is a finding.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

#include "zip/extract.h"
#include "zip/safe_path.h"
#include "zip/streams.h"
#include "zip/zip_errors.h"
#include "zip/zip_reader.h"

namespace {
namespace stdfs = std::filesystem;
using namespace qeb::zip;

class CountingSink : public ByteSink {
 public:
  void Write(const uint8_t*, size_t count) override { written += count; }
  uint64_t written = 0;
};

// Extracting to disk is slow: only small archives are written out.
constexpr uint64_t kMaxBytesToDisk = 1 << 20;
constexpr size_t kMaxEntriesToDisk = 64;

// A folder of this process's own under the temporary folder, removed at exit.
class Sandbox {
 public:
  Sandbox() : path_(stdfs::temp_directory_path() / ("fuzz_zip_" + std::to_string(getpid()))) {
    stdfs::create_directories(path_ / "root");
  }
  ~Sandbox() {
    std::error_code ignored;
    stdfs::remove_all(path_, ignored);
  }
  const stdfs::path& path() const { return path_; }

 private:
  stdfs::path path_;
};

const stdfs::path& SandboxPath() {
  static const Sandbox sandbox;
  return sandbox.path();
}

void CheckSteps(const std::string& name) {
  try {
    for (const std::string& step : SafeRelativeSteps(name)) {
      if (step.empty() || step == "." || step == ".." ||
          step.find_first_of("/\\:") != std::string::npos)
        std::abort();
    }
  } catch (const ZipFormatError&) {
  }
}

void ExtractEach(ZipReader& reader) {
  for (const ZipEntry& entry : reader.entries()) {
    CheckSteps(entry.name);
    if (entry.IsFolder()) continue;
    CountingSink sink;
    try {
      reader.Extract(entry, sink);
      if (sink.written != entry.uncompressed_size) std::abort();
    } catch (const ZipFormatError&) {
      if (sink.written > entry.uncompressed_size) std::abort();
    }
  }
}

void ExtractToSandbox(ZipReader& reader) {
  uint64_t total = 0;
  for (const ZipEntry& entry : reader.entries()) total += entry.uncompressed_size;
  if (total > kMaxBytesToDisk || reader.entries().size() > kMaxEntriesToDisk) return;
  const stdfs::path root = SandboxPath() / "root";
  try {
    ExtractAll(reader, root.string());
  } catch (const qeb::RunError&) {
  }
  for (const auto& item : stdfs::directory_iterator(SandboxPath()))
    if (item.path().filename() != "root") std::abort();  // written outside the folder
  for (const auto& item : stdfs::directory_iterator(root)) stdfs::remove_all(item.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryArchive input({data, size});
  try {
    ZipReader reader(input);
    ExtractEach(reader);
    ExtractToSandbox(reader);
  } catch (const ZipFormatError&) {
  }
  return 0;
}
