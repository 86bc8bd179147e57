#pragma once
// How the zip code fails. Every failure is a ZipError: a RunError whose number
// is the code of the zip error table that names it best, so that a caller
// reporting "number, description" needs nothing more, and the packing
// component's result is that number.

#include <cstdint>
#include <string>

#include "base/run_error.h"

namespace qeb::zip {

// The codes of the zip error table that the zip code's failures take.
enum class ZipCode : int32_t {
  kCorrupt = 110,  // headers or data that contradict each other
  kOutOfMemory = 120,
  kNothingToProcess = 140,  // no file to pack, one the format cannot hold, an entry not extractable
  kDiskFull = 150,
  kTruncated = 160,
  kMultiDisk = 410,
  kTempFileNotCreated = 504,
  kSourceNotRead = 505,
  kTempFileNotWritten = 506,
  kNotMovedIntoPlace = 508,
  kInvalidArchive = 519,
  kUnexpected = 999,  // a refusal of zlib that the program's own calls cannot meet
};

class ZipError : public RunError {
 public:
  // With the text of the zip error table.
  explicit ZipError(ZipCode code);
  ZipError(ZipCode code, const std::string& description);
  int32_t code() const { return static_cast<int32_t>(number()); }
};

enum class ZipDefect {
  kNoEndRecord,        // no end-of-central-directory record: not an archive
  kTruncated,          // a header or the data reaches past the end of the archive
  kBadSignature,       // a header does not start with its signature
  kInconsistent,       // headers disagree with each other or overlap
  kZip64,              // needs the Zip64 extensions
  kMultiDisk,          // spans several disks
  kEncrypted,          // the entry's data is encrypted
  kUnsupportedMethod,  // neither stored nor deflated
  kBadCompressedData,  // the deflate stream is broken
  kSizeMismatch,       // the data is longer or shorter than its header says
  kCrcMismatch,        // the data's CRC-32 differs from its header's
  kBadName,            // an entry name that is empty or not valid text
  kUnsafeName,         // an entry name that would land outside the target folder
};

// A defect of an archive being read.
class ZipFormatError : public ZipError {
 public:
  ZipFormatError(ZipDefect defect, const std::string& detail);
  ZipDefect defect() const { return defect_; }

 private:
  ZipDefect defect_;
};

// An entry, name or comment that does not fit the format without Zip64.
class ZipTooLargeError : public ZipError {
 public:
  explicit ZipTooLargeError(const std::string& what) : ZipError(ZipCode::kNothingToProcess, what) {}
};

// The file being packed could not be read (as opposed to the archive written).
class SourceReadError : public ZipError {
 public:
  explicit SourceReadError(const RunError& cause)
      : ZipError(ZipCode::kSourceNotRead, cause.description()) {}
};

// Checked narrowing into the format's 16- and 32-bit fields; ZipTooLargeError
// past them.
uint16_t FitField16(uint64_t value, const char* what);
uint32_t FitField32(uint64_t value, const char* what);

}  // namespace qeb::zip
