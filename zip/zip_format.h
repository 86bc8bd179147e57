#pragma once
// Every signature, fixed size and field value of the zip format that the
// writer and the reader use, named once (PKWARE APPNOTE 6.3).

#include <cstddef>
#include <cstdint>

namespace qeb::zip::format {

inline constexpr uint32_t kLocalHeaderSig = 0x04034b50;
inline constexpr uint32_t kCentralHeaderSig = 0x02014b50;
inline constexpr uint32_t kEndOfCentralDirSig = 0x06054b50;
inline constexpr uint32_t kZip64LocatorSig = 0x07064b50;

inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndOfCentralDirSize = 22;
inline constexpr size_t kZip64LocatorSize = 20;

// Variable-length fields carry a 16-bit length; sizes and offsets are 32-bit,
// and their all-ones value means "look in the Zip64 record".
inline constexpr size_t kMaxFieldLength = 0xFFFF;
inline constexpr uint16_t kZip64Marker16 = 0xFFFF;
inline constexpr uint32_t kZip64Marker32 = 0xFFFFFFFF;
// The largest size or offset this program writes or reads without Zip64.
inline constexpr uint64_t kMaxSize32 = kZip64Marker32 - 1;

inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;

inline constexpr uint16_t kFlagEncrypted = 1 << 0;
inline constexpr uint16_t kFlagStrongEncryption = 1 << 6;
inline constexpr uint16_t kFlagUtf8 = 1 << 11;

// "Version needed to extract": 1.0 for stored data, 2.0 for deflate and folders.
inline constexpr uint16_t kVersionStored = 10;
inline constexpr uint16_t kVersionDeflated = 20;
// "Version made by": host 0 (MS-DOS and Windows FAT/NTFS) in the high byte, 2.0.
inline constexpr uint16_t kVersionMadeBy = 20;
// The host system in the high byte of "version made by".
inline constexpr uint16_t kHostUnix = 3;

inline constexpr uint32_t kDosAttributeArchive = 0x20;

// Info-ZIP Unicode Path extra field: version 1, CRC-32 of the raw name, UTF-8 name.
inline constexpr uint16_t kExtraUnicodePath = 0x7075;
inline constexpr size_t kExtraHeaderSize = 4;

// The end record must lie within its size plus the longest comment of the end.
inline constexpr size_t kEndSearchSpan = kEndOfCentralDirSize + kMaxFieldLength;

}  // namespace qeb::zip::format
