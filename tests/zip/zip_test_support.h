#pragma once
// Real folders, files and outside tools for the zip tests.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "zip/streams.h"
#include "zip/zip_reader.h"

namespace qeb::zip::testing_zip {

using test_support::Exists;
using test_support::Hex;
using test_support::ReadAll;
using test_support::TempFolder;
using test_support::WriteAll;

// Pseudo-random bytes (deflate cannot shrink them) and compressible text.
std::string RandomBytes(size_t length, uint32_t seed);
std::string Text(size_t length, uint32_t seed);

// Collects an entry's data in memory.
class StringSink : public ByteSink {
 public:
  void Write(const uint8_t* data, size_t count) override {
    bytes.append(reinterpret_cast<const char*>(data), count);
  }
  std::string bytes;
};

// An entry's data, from memory.
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
// An archive written by the project's writer, entries taken as they are
// (names unchecked, so hostile names can be made).
std::string BuildArchive(const std::vector<MemoryEntry>& entries);

// Reads the whole archive in memory: its entries' names, comments and data.
struct ReadBack {
  std::vector<ZipEntry> entries;
  std::vector<std::string> data;
};
ReadBack ReadArchive(const std::string& bytes);

// Outside tools, on the native build only; a missing tool means the test
// skips. Run returns the exit status and what the command printed.
bool ToolAvailable(const std::string& tool);
// Skips the test when an outside tool is missing (always on Windows).
#define REQUIRE_TOOL(tool) \
  if (!::qeb::zip::testing_zip::ToolAvailable(tool)) GTEST_SKIP() << (tool) << " is not available"
struct ToolResult {
  int status = -1;
  std::string output;
};
ToolResult RunTool(const std::string& command);
std::string Quote(const std::string& text);
// Runs a python3 script with arguments (python3 must be available).
ToolResult RunPython(const std::string& script, const std::vector<std::string>& arguments);

// An archive the packing component wrote from `data` saved as `name`, with the
// entry comment scrambled from `clave`.
struct Packed {
  std::string source;
  std::string archive;
  std::string comment;
};
Packed PackWithComponent(const TempFolder& folder, const std::string& name, const std::string& data,
                         const std::string& clave);

// Python's zipfile reads the archive back: testzip clean, one entry `name`
// (deflated when asked), its comment and its content equal to the source.
// The output is "OK\n" when all holds.
ToolResult CheckWithPython(const Packed& packed, const std::string& name, bool deflated = false);

uint16_t ReadU16(const std::string& bytes, size_t at);
uint32_t ReadU32(const std::string& bytes, size_t at);
void PutU16(std::string& bytes, size_t at, uint16_t value);
void PutU32(std::string& bytes, size_t at, uint32_t value);

}  // namespace qeb::zip::testing_zip
