#include "zip_test_support.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "base/file_system.h"
#include "base/run_error.h"
#include "zip/cifra_xor.h"
#include "zip/zip_component.h"
#include "zip/zip_writer.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace qeb::zip::testing_zip {

std::string RandomBytes(size_t length, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(length, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string Text(size_t length, uint32_t seed) {
  static const char* const kWords[] = {"cuota ",  "IMSS ",     "patron ", "0123456789 ",
                                       "SUA\r\n", "registro ", "06",      "aportacion "};
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < length) text += kWords[random() % 8];
  text.resize(length);
  return text;
}

std::string Mixed(size_t length, uint32_t seed) {
  std::string data;
  while (data.size() < length)
    data += seed % 3 == 2 ? RandomBytes(50'000, seed++) : Text(120'000, seed++);
  data.resize(length);
  return data;
}

size_t StringSource::Read(uint8_t* buffer, size_t count) {
  const size_t take = std::min(count, bytes_.size() - at_);
  std::copy_n(bytes_.data() + at_, take, reinterpret_cast<char*>(buffer));
  at_ += take;
  return take;
}

std::string BuildArchive(const std::vector<MemoryEntry>& entries) {
  TempFolder folder;
  const std::string path = folder.Path("built.zip");
  fs::File out = fs::File::Open(path, fs::File::Mode::kWrite);
  ZipWriter writer(out);
  for (const MemoryEntry& entry : entries) {
    StringSource data(entry.data);
    writer.AddFile({entry.name, entry.comment, {}}, data);
  }
  writer.Finish();
  out.Close();
  return ReadAll(path);
}

ReadBack ReadArchive(const std::string& bytes) {
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

std::string ScrambledClave() {
  return FGCifraXor(kClave, kLlaveComentario);
}

Packed Pack(const std::string& source, const std::string& archive, const CommentMaker& comment) {
  Packed packed;
  ZipComponent component;
  component.SourceFiles = source;
  component.ZipFilename = archive;
  if (comment) {
    component.PreZipFile = [&](std::string& offered, const std::string& path) {
      ++packed.handler_calls;
      packed.offered_comment = offered;
      packed.offered_source = path;
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

bool ToolAvailable(const std::string& tool) {
#ifdef _WIN32
  (void)tool;
  return false;
#else
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
#endif
}

ToolResult RunTool(const std::string& command) {
  ToolResult result;
#ifdef _WIN32
  (void)command;
#else
  FILE* pipe = popen(("LC_ALL=C.UTF-8; export LC_ALL; " + command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.output.append(buffer, got);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return result;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [marker, value] : values)
    for (size_t at = 0; (at = text.find(marker, at)) != std::string::npos; at += value.size())
      text.replace(at, marker.size(), value);
  return text;
}

std::string UnicodePath(const std::string& stored, const std::string& utf8) {
  std::string field = std::string("up\0\0\1", 5) + std::string(4, '\0') + utf8;
  PutU16(field, 2, static_cast<uint16_t>(5 + utf8.size()));
  PutU32(field, 5,
         static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(stored.data()),
                                     static_cast<uInt>(stored.size()))));
  return field;
}

uint16_t ReadU16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes.at(at)) |
                               static_cast<uint8_t>(bytes.at(at + 1)) << 8);
}

uint32_t ReadU32(const std::string& bytes, size_t at) {
  return ReadU16(bytes, at) | uint32_t{ReadU16(bytes, at + 2)} << 16;
}

void PutU16(std::string& bytes, size_t at, uint16_t value) {
  bytes.at(at) = static_cast<char>(value);
  bytes.at(at + 1) = static_cast<char>(value >> 8);
}

void PutU32(std::string& bytes, size_t at, uint32_t value) {
  PutU16(bytes, at, static_cast<uint16_t>(value));
  PutU16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

}  // namespace qeb::zip::testing_zip
