#pragma once
// Data, in-memory streams, archives and outside tools shared by the zip tests.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/file_system.h"
#include "base/run_error.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"
#include "zip/cifra_xor.h"
#include "zip/streams.h"
#include "zip/zip_component.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

namespace qeb::zip::testing_zip {
using test_support::Exists;
using test_support::Hex;
using test_support::ReadAll;
using test_support::TempFolder;
#ifndef _WIN32
using test_support::Quote;
using test_support::RunTool;
#endif

// Pseudo-random bytes (deflate cannot shrink them), compressible text, and
// text with stretches of noise (stored and compressed deflate blocks both).
inline std::string RandomBytes(size_t length, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(length, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

inline std::string Text(size_t length, uint32_t seed) {
  static const char* const kWords[] = {"cuota ",  "IMSS ",     "patron ", "0123456789 ",
                                       "SUA\r\n", "registro ", "06",      "aportacion "};
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < length) text += kWords[random() % 8];
  text.resize(length);
  return text;
}

inline std::string Mixed(size_t length, uint32_t seed) {
  std::string data;
  while (data.size() < length)
    data += seed % 3 == 2 ? RandomBytes(50'000, seed++) : Text(120'000, seed++);
  data.resize(length);
  return data;
}

class StringSink : public ByteSink {
 public:
  void Write(const uint8_t* data, size_t count) override {
    bytes.append(reinterpret_cast<const char*>(data), count);
  }
  std::string bytes;
};

class StringSource : public EntrySource {
 public:
  explicit StringSource(std::string bytes) : bytes_(std::move(bytes)) {}
  size_t Read(uint8_t* buffer, size_t count) override {
    const size_t take = bytes_.copy(reinterpret_cast<char*>(buffer), count, at_);
    at_ += take;
    return take;
  }
  void Rewind() override { at_ = 0; }

 private:
  std::string bytes_;
  size_t at_ = 0;
};

// An archive of the project's writer; names are taken unchecked, so hostile
// ones can be made.
struct MemoryEntry {
  std::string name, data, comment;
};
inline std::string BuildArchive(const std::vector<MemoryEntry>& entries) {
  TempFolder folder;
  fs::File out = fs::File::Open(folder.Path("built.zip"), fs::File::Mode::kWrite);
  ZipWriter writer(out);
  for (const MemoryEntry& entry : entries) {
    StringSource data(entry.data);
    writer.AddFile({entry.name, entry.comment, {}}, data);
  }
  writer.Finish();
  out.Close();
  return ReadAll(folder.Path("built.zip"));
}

// Opens the archive and extracts every entry in memory.
struct ReadBack {
  std::vector<ZipEntry> entries;
  std::vector<std::string> data;
};
inline ReadBack ReadArchive(const std::string& bytes) {
  MemoryArchive input({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  ZipReader reader(input);
  ReadBack back{reader.entries(), {}};
  for (const ZipEntry& entry : reader.entries()) {
    StringSink sink;
    if (!entry.IsFolder()) reader.Extract(entry, sink);
    back.data.push_back(sink.bytes);
  }
  return back;
}

// The component packs `source` into `archive` the way the run does: the
// handler, when there is one, sets the comment it makes (by default the
// scrambled clave).
using CommentMaker = std::function<std::string()>;
inline std::string ScrambledClave() {
  return FGCifraXor("0123456789ABCDEFGHI", kLlaveComentario);
}
struct Packed {
  int32_t code = -1;  // a RunError out of Compress gives minus its number
  int handler_calls = 0;
  std::string offered;  // the comment, then the path
};
inline Packed Pack(const std::string& source, const std::string& archive,
                   const CommentMaker& comment = ScrambledClave) {
  Packed packed;
  ZipComponent component;
  component.SourceFiles = source;
  component.ZipFilename = archive;
  if (comment) {
    component.PreZipFile = [&](std::string& offered, const std::string& path) {
      ++packed.handler_calls;
      packed.offered = offered + path;
      offered = comment();
    };
  }
  try {
    packed.code = component.Compress();
  } catch (const RunError& error) {
    packed.code = static_cast<int32_t>(-error.number());
  }
  return packed;
}

// Little-endian numbers of `size` bytes.
inline uint32_t Get(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size; i-- > 0;) value = value << 8 | static_cast<uint8_t>(bytes.at(at + i));
  return value;
}
inline void Put(std::string& bytes, size_t at, int size, uint32_t value) {
  for (int i = 0; i < size; ++i) bytes.at(at + i) = static_cast<char>(value >> 8 * i);
}

// The Info-ZIP Unicode Path extra field: version 1, the CRC-32 of the name
// as stored, the UTF-8 name.
inline std::string UnicodePath(const std::string& stored, const std::string& utf8) {
  std::string field = std::string("up\0\0\1", 5) + std::string(4, '\0') + utf8;
  Put(field, 2, 2, static_cast<uint32_t>(5 + utf8.size()));
  Put(field, 5, 4,
      crc32(0, reinterpret_cast<const Bytef*>(stored.data()), static_cast<uInt>(stored.size())));
  return field;
}

}  // namespace qeb::zip::testing_zip
