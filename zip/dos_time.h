#pragma once
// MS-DOS date and time, as zip headers store the modification time: local
// time, two-second steps, years 1980 to 2107.

#include <cstdint>
#include <ctime>
#include <string>

namespace qeb::zip {

// Declared value-initialized (`DosDateTime modified{};`), as the zip records are.
struct DosDateTime {
  uint16_t time;  // hour << 11 | minute << 5 | second / 2
  uint16_t date;  // (year - 1980) << 9 | month << 5 | day
  bool operator==(const DosDateTime&) const = default;
};

// Years before 1980 become 1980-01-01 00:00:00, years after 2107 become
// 2107-12-31 23:59:58: the nearest time the format can hold.
DosDateTime ToDosDateTime(const std::tm& local);

// The file's modification time in local time; the earliest DOS time when the
// file's time cannot be had.
DosDateTime FileModificationDosTime(const std::string& path);

}  // namespace qeb::zip
