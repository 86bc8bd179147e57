#include "zip/zip_component.h"

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

std::string EntryNameOf(const std::string& source) {
  return fs::ToUtf8(fs::ToPath(source).filename());
}

fs::File OpenSource(const std::string& source) {
  if (!fs::RegularFileExists(source)) throw ZipError(ZipCode::kNothingToProcess);
  const std::optional<uint64_t> size = fs::FileSize(source);
  if (size && *size > format::kMaxSize32) throw ZipError(ZipCode::kNothingToProcess);
  std::optional<fs::File> file = fs::File::TryOpen(source, fs::File::Mode::kRead);
  if (!file) throw ZipError(ZipCode::kSourceNotRead);
  return std::move(*file);
}

PendingFile CreateTemporaryArchive(const std::string& archive) {
  if (archive.empty() || fs::FolderExists(archive)) throw ZipError(ZipCode::kInvalidArchive);
  try {
    return PendingFile::CreateFor(archive);
  } catch (const RunError& error) {
    throw ZipError(ZipCode::kTempFileNotCreated, error.description());
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
  } catch (const ZipError&) {
    throw;  // too large, or the source not read
  } catch (const RunError& error) {
    throw ZipError(fs::IsDiskFull(error) ? ZipCode::kDiskFull : ZipCode::kTempFileNotWritten,
                   error.description());
  }
}

void MoveIntoPlace(PendingFile& pending) {
  try {
    pending.MoveIntoPlace();
  } catch (const RunError& error) {
    throw ZipError(ZipCode::kNotMovedIntoPlace, error.description());
  }
}

// Runs one stage of packing and gives its failure's code; 0 when it went
// through.
template <typename Stage>
int32_t CodeOf(Stage&& stage) {
  try {
    stage();
    return 0;
  } catch (const ZipError& error) {
    return error.code();
  } catch (const std::bad_alloc&) {
    return static_cast<int32_t>(ZipCode::kOutOfMemory);
  } catch (const std::exception&) {
    return static_cast<int32_t>(ZipCode::kUnexpected);
  }
}

}  // namespace

int32_t ZipComponent::Compress() {
  std::optional<fs::File> source;
  NewEntry entry{};
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
