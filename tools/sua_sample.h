#pragma once
// Sample SUA payment files for tests and trials: back-to-back 295-character
// records ending in a validation record whose fields fit a given name, the
// same bytes for the same seed on every platform and standard library.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qeb::sample {

inline constexpr size_t kRecordLength = 295;
// Free space of a formatted 1.44 MB diskette.
inline constexpr size_t kDisketteFreeSpace = 1457664;
// The disk count is two decimal digits.
inline constexpr int kMaxDiskCount = 99;
inline constexpr char kEofMark = '\x1A';

// Records needed to hold at least `bytes` characters; at least one.
size_t RecordCountForSize(size_t bytes);

// `record_count` records of 295 characters (an "01" employer header, "02"
// workers each followed by "03"/"04" movements, "05" totals) ending in the
// "06" validation record, which states `disk_count` (0-99) diskettes and whose
// fields satisfy the name rule for `name8` + ".SUA": 8 letters or digits,
// used exactly as given. One record is the validation record alone; two are
// the header and the validation record. No line breaks, no 0x1A.
// Throws std::invalid_argument on a bad name, count or disk count.
//
// kVaried fills the blank end of every worker, movement and credit record
// with further fields (addresses, amounts, dates, references) drawn apart
// from the rest, so that the data compresses about half as well (zip -6 about
// 4.3:1 instead of about 8:1); the other fields are those of kUsual.
enum class Records { kUsual, kVaried };
std::string MakeSuaData(const std::string& name8, size_t record_count, uint64_t seed,
                        int disk_count, Records records = Records::kUsual);

// Rewrites the disk count (0-99) of the validation record that ends `data`.
void SetDiskCount(std::string& data, int disk_count);

// Pieces of at most `piece_size` (at least 295) characters, in order. The last
// piece holds the whole validation record: when fewer than 295 characters
// would be left for it, the cut before it moves earlier. Empty data gives no
// pieces.
std::vector<std::string> SplitIntoPieces(const std::string& data, size_t piece_size);

// Exactly `piece_count` non-empty pieces of nearly equal length, the last one
// holding at least the final 295 characters.
std::vector<std::string> SplitIntoPieceCount(const std::string& data, size_t piece_count);

// A split file as it leaves the SUA system: the validation record states as
// many diskettes as there are pieces.
struct SplitSet {
  std::string data;  // the pieces joined
  std::vector<std::string> pieces;
};

// Splits `data` (which ends in a validation record) and writes the number of
// pieces into its disk count. More than 99 pieces is std::invalid_argument.
SplitSet MakeSplitSet(std::string data, size_t piece_size);
SplitSet MakeSplitSetOfCount(std::string data, size_t piece_count);

// "NAME8.SUA" and "NAME8.SU0", "NAME8.SU1", ... (the piece on the n-th
// further diskette ends in n).
std::string WholeFileName(const std::string& name8);
std::string PieceFileName(const std::string& name8, size_t index);

// Writes `data` to `folder` (UTF-8, created when missing) under `file_name`,
// replacing any file there, followed by one 0x1A when `eof_mark` is set.
// Returns the file's path. Throws std::runtime_error when the write fails.
std::string WriteSampleFile(const std::string& folder, const std::string& file_name,
                            std::string_view data, bool eof_mark);

// Writes a whole file NAME8.SUA, or the pieces NAME8.SU0, NAME8.SU1, ...;
// returns the paths in order.
std::vector<std::string> WriteWholeFile(const std::string& folder, const std::string& name8,
                                        std::string_view data, bool eof_mark);
std::vector<std::string> WritePieces(const std::string& folder, const std::string& name8,
                                     const std::vector<std::string>& pieces, bool eof_mark);

}  // namespace qeb::sample
