#pragma once
// Real folders, files, archives and outside tools shared by the zip tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"
#include "zip/streams.h"
#include "zip/zip_reader.h"

namespace qeb::zip::testing_zip {

using test_support::Exists;
using test_support::Hex;
using test_support::ReadAll;
using test_support::TempFolder;

// Pseudo-random bytes (deflate cannot shrink them), compressible text, and
// text with stretches of noise (stored and compressed deflate blocks both).
std::string RandomBytes(size_t length, uint32_t seed);
std::string Text(size_t length, uint32_t seed);
std::string Mixed(size_t length, uint32_t seed);

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
  size_t Read(uint8_t* buffer, size_t count) override;
  void Rewind() override { at_ = 0; }

 private:
  std::string bytes_;
  size_t at_ = 0;
};

struct MemoryEntry {
  std::string name;
  std::string data;
  std::string comment;
};
// An archive of the project's writer; names are taken unchecked, so hostile
// ones can be made.
std::string BuildArchive(const std::vector<MemoryEntry>& entries);

// Opens the archive and extracts every entry in memory.
struct ReadBack {
  std::vector<ZipEntry> entries;
  std::vector<std::string> data;
};
ReadBack ReadArchive(const std::string& bytes);

// The component packs `source` into `archive` the way the run does: the
// handler, when there is one, sets the comment it makes (by default the
// scrambled clave).
inline constexpr const char* kClave = "0123456789ABCDEFGHI";
using CommentMaker = std::function<std::string()>;
std::string ScrambledClave();
struct Packed {
  int32_t code = -1;  // a RunError out of Compress gives minus its number
  int handler_calls = 0;
  std::string offered_comment;
  std::string offered_source;
};
Packed Pack(const std::string& source, const std::string& archive,
            const CommentMaker& comment = ScrambledClave);

// Outside tools exist on the native build only; a missing one skips the test.
bool ToolAvailable(const std::string& tool);
#define REQUIRE_TOOL(tool) \
  if (!::qeb::zip::testing_zip::ToolAvailable(tool)) GTEST_SKIP() << (tool) << " is not available"
struct ToolResult {
  int status = -1;
  std::string output;  // standard output and error
};
ToolResult RunTool(const std::string& command);
std::string Quote(const std::string& text);
// `text` with the first place of each marker replaced by its value.
std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& values);

// The Info-ZIP Unicode Path extra field: version 1, the CRC-32 of the name
// as stored, the UTF-8 name.
std::string UnicodePath(const std::string& stored, const std::string& utf8);

uint16_t ReadU16(const std::string& bytes, size_t at);
uint32_t ReadU32(const std::string& bytes, size_t at);
void PutU16(std::string& bytes, size_t at, uint16_t value);
void PutU32(std::string& bytes, size_t at, uint32_t value);

}  // namespace qeb::zip::testing_zip
