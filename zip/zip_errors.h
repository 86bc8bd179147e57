#pragma once
// Why the zip code refuses an archive or an entry. Archive defects are
// RunErrors whose number is the closest code of the zip error table, so that
// a caller reporting "number, description" needs nothing more.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "base/run_error.h"

namespace qeb::zip {

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

class ZipFormatError : public RunError {
 public:
  ZipFormatError(ZipDefect defect, const std::string& detail);
  ZipDefect defect() const { return defect_; }

 private:
  ZipDefect defect_;
};

// An entry, name or comment that does not fit the format without Zip64.
class ZipTooLargeError : public std::length_error {
 public:
  explicit ZipTooLargeError(const std::string& what) : std::length_error(what) {}
};

// The file being packed could not be read (as opposed to the archive written).
class SourceReadError : public RunError {
 public:
  explicit SourceReadError(const RunError& cause) : RunError(cause) {}
};

// Checked narrowing into the format's 16- and 32-bit fields.
uint16_t FitField16(uint64_t value, const char* what);
uint32_t FitField32(uint64_t value, const char* what);

}  // namespace qeb::zip
