#pragma once
// The packing component: one source file in, one standard zip archive out,
// written atomically. Compress() returns 0 when the archive is complete, or a
// code of the zip error table.

#include <cstdint>
#include <functional>
#include <string>

namespace qeb::zip {

class ZipComponent {
 public:
  // Raised synchronously inside Compress, once per file before it is added.
  // What the handler leaves in `comment` is stored as the entry's comment.
  using PreZipFileHandler = std::function<void(std::string& comment, const std::string& source)>;

  std::string SourceFiles;  // full path of the file to pack
  std::string ZipFilename;  // full path of the archive
  PreZipFileHandler PreZipFile;

  int32_t Compress();
};

}  // namespace qeb::zip
