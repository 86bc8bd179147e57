#include "zip_test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "base/file_system.h"
#include "zip/cifra_xor.h"
#include "zip/zip_component.h"
#include "zip/zip_writer.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace qeb::zip::testing_zip {
namespace stdfs = std::filesystem;

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

size_t StringSource::Read(uint8_t* buffer, size_t count) {
  const size_t take = std::min(count, bytes_.size() - at_);
  std::copy_n(bytes_.data() + at_, take, reinterpret_cast<char*>(buffer));
  at_ += take;
  return take;
}

std::string BuildArchive(const std::vector<MemoryEntry>& entries) {
  TempFolder folder;
  const std::string path = folder.Path("built.zip");
  {
    fs::File out = fs::File::Open(path, fs::File::Mode::kWrite);
    ZipWriter writer(out);
    for (const MemoryEntry& entry : entries) {
      StringSource data(entry.data);
      writer.AddFile({entry.name, entry.comment, {}}, data);
    }
    writer.Finish();
    out.Close();
  }
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
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
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

ToolResult RunPython(const std::string& script, const std::vector<std::string>& arguments) {
  TempFolder folder;
  const std::string path = folder.Write("script.py", script);
  std::string command = "python3 ";
  command += Quote(path);
  for (const std::string& argument : arguments) {
    command += ' ';
    command += Quote(argument);
  }
  return RunTool(command);
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

Packed PackWithComponent(const TempFolder& folder, const std::string& name, const std::string& data,
                         const std::string& clave) {
  Packed packed{folder.Write("in/" + name, data), folder.Path("OUT.ZIP"),
                FGCifraXor(clave, kLlaveComentario)};
  ZipComponent component;
  component.SourceFiles = packed.source;
  component.ZipFilename = packed.archive;
  component.PreZipFile = [&](std::string& comment, const std::string&) {
    comment = packed.comment;
  };
  const int32_t code = component.Compress();
  if (code != 0) throw std::runtime_error("Compress returned " + std::to_string(code));
  return packed;
}

ToolResult CheckWithPython(const Packed& packed, const std::string& name, bool deflated) {
  static const char* const kCheck = R"(
import sys, zipfile
archive, source, name, comment_hex, deflated = sys.argv[1:6]
with zipfile.ZipFile(archive) as z:
    assert z.testzip() is None, 'testzip found a bad entry'
    infos = z.infolist()
    assert [i.filename for i in infos] == [name], [i.filename for i in infos]
    assert deflated == '0' or infos[0].compress_type == zipfile.ZIP_DEFLATED, infos[0].compress_type
    assert infos[0].comment == bytes.fromhex(comment_hex), infos[0].comment
    assert z.read(name) == open(source, 'rb').read(), 'content differs'
print('OK')
)";
  return RunPython(
      kCheck, {packed.archive, packed.source, name, Hex(packed.comment), deflated ? "1" : "0"});
}

}  // namespace qeb::zip::testing_zip
