#include "zip/zip_component.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <optional>

#include "base/file_error.h"
#include "base/file_system.h"
#include "zip/dos_time.h"
#include "zip/pending_file.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"
#include "zip/zip_writer.h"

namespace qeb::zip {
namespace {

// Codes of the zip error table for each way packing can fail.
constexpr int32_t kNoFileToProcess = 140;  // source missing, not a file, or too large
constexpr int32_t kNotValidArchivePath = 519;
constexpr int32_t kTempFileNotCreated = 504;
constexpr int32_t kSourceNotRead = 505;
constexpr int32_t kTempFileNotWritten = 506;
constexpr int32_t kDiskFull = 150;
constexpr int32_t kNotMovedIntoPlace = 508;
constexpr int32_t kOutOfMemory = 120;
constexpr int32_t kUnexpected = 999;

// A failure that already has its code.
struct Refusal {
  int32_t code;
};

std::string EntryNameOf(const std::string& source) {
  return fs::ToUtf8(fs::ToPath(source).filename());
}

fs::File OpenSource(const std::string& source) {
  if (!fs::RegularFileExists(source)) throw Refusal{kNoFileToProcess};
  const std::optional<uint64_t> size = fs::FileSize(source);
  if (size && *size > format::kMaxSize32) throw Refusal{kNoFileToProcess};
  std::optional<fs::File> file = fs::File::TryOpen(source, fs::File::Mode::kRead);
  if (!file) throw Refusal{kSourceNotRead};
  return std::move(*file);
}

PendingFile CreateTemporaryArchive(const std::string& archive) {
  if (archive.empty() || fs::FolderExists(archive)) throw Refusal{kNotValidArchivePath};
  try {
    return PendingFile::CreateFor(archive);
  } catch (const RunError&) {
    throw Refusal{kTempFileNotCreated};
  }
}

// Writes the whole archive into the temporary file and closes it.
void WriteArchive(PendingFile& pending, const NewEntry& entry, fs::File& source) {
  try {
    ZipWriter writer(pending.file());
    FileEntrySource data(source);
    writer.AddFile(entry, data);
    writer.Finish();
    pending.FlushAndClose();
  } catch (const ZipTooLargeError&) {
    throw Refusal{kNoFileToProcess};
  } catch (const SourceReadError&) {
    throw Refusal{kSourceNotRead};
  } catch (const RunError& error) {
    throw Refusal{fs::IsDiskFull(error) ? kDiskFull : kTempFileNotWritten};
  }
}

void MoveIntoPlace(PendingFile& pending) {
  try {
    pending.MoveIntoPlace();
  } catch (const RunError&) {
    throw Refusal{kNotMovedIntoPlace};
  }
}

// Runs one stage of packing and turns its failure into its code; 0 when it
// went through.
template <typename Stage>
int32_t CodeOf(Stage&& stage) {
  try {
    stage();
    return 0;
  } catch (const Refusal& refusal) {
    return refusal.code;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (const std::exception&) {
    return kUnexpected;
  }
}

}  // namespace

int32_t ZipComponent::Compress() {
  std::optional<fs::File> source;
  NewEntry entry;
  if (const int32_t code = CodeOf([&] {
        source = OpenSource(SourceFiles);
        entry = {EntryNameOf(SourceFiles), "", FileModificationDosTime(SourceFiles)};
      });
      code != 0)
    return code;
  // The handler's own failures belong to the caller: they pass through as they
  // are, before anything has been created.
  if (PreZipFile) PreZipFile(entry.comment, SourceFiles);
  return CodeOf([&] {
    PendingFile pending = CreateTemporaryArchive(ZipFilename);
    WriteArchive(pending, entry, *source);
    MoveIntoPlace(pending);
  });
}

}  // namespace qeb::zip
