// Feeds arbitrary bytes to the archive reader from memory: lists the entries,
// extracts each into memory, and extracts small archives into a folder inside
// a sandbox folder, which must afterwards hold nothing but that folder. A
// defective archive may be refused (ZipFormatError, or RunError from the file
// system); any other exception, a crash or an escape is a finding.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/temp_folder.h"
#include "zip/extract.h"
#include "zip/safe_path.h"
#include "zip/streams.h"
#include "zip/zip_errors.h"
#include "zip/zip_reader.h"

namespace {
using namespace qeb::zip;

void Check(bool condition) {
  if (!condition) std::abort();
}

struct CountingSink : ByteSink {
  void Write(const uint8_t*, size_t count) override { written += count; }
  uint64_t written = 0;
};

void Examine(ZipReader& reader) {
  uint64_t total = 0;
  for (const ZipEntry& entry : reader.entries()) {
    total += entry.uncompressed_size;
    try {
      for (const std::string& step : SafeRelativeSteps(entry.name))
        Check(!step.empty() && step != "." && step != ".." &&
              step.find_first_of("/\\:") == std::string::npos);
    } catch (const ZipFormatError&) {
    }
    if (entry.IsFolder()) continue;
    CountingSink sink;
    try {
      reader.Extract(entry, sink);
      Check(sink.written == entry.uncompressed_size);
    } catch (const ZipFormatError&) {
      Check(sink.written <= entry.uncompressed_size);
    }
  }
  if (total > (1 << 20) || reader.entries().size() > 64) return;  // disks are slow
  const qeb::test_support::TempFolder sandbox;
  try {
    sandbox.Write("root/.keep", "");
    ExtractAll(reader, sandbox.Path("root"));
  } catch (const qeb::RunError&) {
  }
  for (const std::string& item : sandbox.List())
    Check(item.starts_with("root/"));  // nothing written outside the folder
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryArchive input({data, size});
  try {
    ZipReader reader(input);
    Examine(reader);
  } catch (const ZipFormatError&) {
  }
  return 0;
}
