#pragma once
// Real folders, files and outside tools for the zip tests.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "zip/streams.h"
#include "zip/zip_reader.h"

namespace qeb::zip::testing_zip {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the test ends.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // UTF-8 path of `relative` ('/' between steps) inside the folder.
  std::string Path(const std::string& relative) const;
  std::string Root() const;
  // Writes `bytes` at `relative`, making its folders, and returns the path.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  // Every file and folder below the root, as sorted relative '/' paths
  // (folders end with '/').
  std::vector<std::string> List() const;

 private:
  std::filesystem::path root_;
};

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

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
struct ToolResult {
  int status = -1;
  std::string output;
};
ToolResult RunTool(const std::string& command);
std::string Quote(const std::string& text);
// Runs a python3 script with arguments (python3 must be available).
ToolResult RunPython(const std::string& script, const std::vector<std::string>& arguments);

uint16_t ReadU16(const std::string& bytes, size_t at);
uint32_t ReadU32(const std::string& bytes, size_t at);
void PutU16(std::string& bytes, size_t at, uint16_t value);
void PutU32(std::string& bytes, size_t at, uint32_t value);

}  // namespace qeb::zip::testing_zip
