#include "zip/zip_sua.h"

#include <new>
#include <set>

#include "base/file_system.h"
#include "zip/extract.h"
#include "zip/safe_path.h"
#include "zip/streams.h"
#include "zip/zip_component.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

namespace qeb::zip {
namespace {

// Every failure inside is a RunError; memory running out, and anything the
// standard library might throw besides, get the program's own numbers.
RunError AsRunError(const std::exception& error) {
  if (const auto* run_error = dynamic_cast<const RunError*>(&error)) return *run_error;
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return OutOfMemoryError();
  return ProgramError(kErrInternal);
}

// What a folder view of the archive shows at its top: each first step once.
int16_t TopLevelItems(const ZipReader& reader) {
  std::set<std::string> items;
  for (const ZipEntry& entry : reader.entries()) {
    const std::vector<std::string> steps = SafeRelativeSteps(entry.name);
    if (!steps.empty()) items.insert(steps.front());
  }
  if (items.size() > 32767) throw OverflowError();
  return static_cast<int16_t>(items.size());
}

int16_t CountItems(const std::string& archive) {
  FileArchive input(archive);
  const ZipReader reader(input);
  return TopLevelItems(reader);
}

}  // namespace

void ZIP_SUA::Record(const RunError& error) {
  err_num_ = std::to_string(error.number());
  err_description_ = error.description();
}

bool ZIP_SUA::CreateEmptyZip(const std::string& sPath) {
  try {
    fs::File file = fs::File::Open(sPath, fs::File::Mode::kWrite);
    ZipWriter(file).Finish();
    file.Close();
    return true;
  } catch (const std::exception& error) {
    Record(AsRunError(error));
    return false;
  }
}

bool ZIP_SUA::AddFilesToZip() {
  files_zipped_ = 0;
  if (!CreateEmptyZip(zip_file_name_)) return false;
  // From here on failures are not reported: what the archive holds tells.
  try {
    ZipComponent packer;
    packer.SourceFiles = file_zip_;
    packer.ZipFilename = zip_file_name_;
    packer.Compress();
  } catch (const std::exception&) {
  }
  try {
    files_zipped_ = CountItems(zip_file_name_);
  } catch (const std::exception&) {
  }
  return true;
}

bool ZIP_SUA::UnzipToFolder() {
  files_zipped_ = 0;
  try {
    FileArchive input(zip_file_name_);
    ZipReader reader(input);
    ExtractAll(reader, folder_zip_);
    files_zipped_ = TopLevelItems(reader);
    return true;
  } catch (const std::exception& error) {
    Record(AsRunError(error));
    return false;
  }
}

}  // namespace qeb::zip
