#pragma once
// Writes a zip archive front to back into an open file: for each entry a
// local header, then its data, then the header patched with the CRC-32 and
// sizes (so no data descriptor is needed); at the end the central directory
// and the end record. Data is deflated on every core (parallel_deflate.h);
// memory stays at a few blocks whatever the sizes.
//
// Names are stored in code page 437, which readers assume when the UTF-8
// flag is clear, and the flag is never set: it would declare the comment
// UTF-8 as well, and the comment holds code-page bytes that must reach the
// other side unchanged. A name that is not plain ASCII also gets the Info-ZIP
// Unicode Path field in both headers, from which readers take the true name.

#include <cstdint>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "zip/deflate_codec.h"
#include "zip/dos_time.h"
#include "zip/streams.h"
#include "zip/zip_headers.h"

namespace qeb::zip {

struct NewEntry {
  std::string name;     // UTF-8, folders separated by '/'
  std::string comment;  // stored byte for byte
  DosDateTime modified{};
};

class ZipWriter {
 public:
  // `out` is empty and stays open for the writer's life.
  explicit ZipWriter(fs::File& out) : out_(out) {}

  // Deflates the data, or stores it when deflate would not make it smaller.
  // Throws ZipTooLargeError when the entry or the archive would need Zip64,
  // a ZipError of code kSourceNotRead (SourceReadError) when the data cannot
  // be read or changes while it is read, RunError when the archive cannot be
  // written.
  void AddFile(const NewEntry& entry, EntrySource& data);
  // The central directory and the end record; then cuts off whatever an
  // entry rewritten as stored left past the end.
  void Finish();

 private:
  StreamedData WriteData(EntrySource& data, uint64_t data_start, LocalHeader& local);

  fs::File& out_;
  std::vector<CentralHeader> central_;
  uint64_t end_ = 0;         // where the next record goes
  uint64_t high_water_ = 0;  // the furthest byte ever written
};

}  // namespace qeb::zip
