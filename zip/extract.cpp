#include "zip/extract.h"

#include <filesystem>
#include <vector>

#include "base/file_error.h"
#include "base/file_system.h"
#include "zip/pending_file.h"
#include "zip/safe_path.h"
#include "zip/zip_errors.h"

namespace qeb::zip {
namespace {
namespace stdfs = std::filesystem;

struct Placement {
  const ZipEntry* entry;
  stdfs::path target;
};

// A link already in the folder could lead an entry elsewhere: refuse any step
// that is one.
void RequireNoLinks(const stdfs::path& root, const std::vector<std::string>& steps,
                    const std::string& name) {
  stdfs::path at = root;
  for (const std::string& step : steps) {
    at /= fs::ToPath(step);
    std::error_code code;
    if (stdfs::is_symlink(stdfs::symlink_status(at, code)))
      throw ZipFormatError(ZipDefect::kUnsafeName, name + " (enlace simbólico)");
  }
}

std::vector<Placement> PlanAll(const ZipReader& reader, const stdfs::path& root) {
  std::vector<Placement> plan;
  plan.reserve(reader.entries().size());
  for (const ZipEntry& entry : reader.entries()) {
    const std::vector<std::string> steps = SafeRelativeSteps(entry.name);
    if (!entry.IsFolder()) {
      if (steps.empty()) throw ZipFormatError(ZipDefect::kBadName, entry.name);
      RequireExtractable(entry);
    }
    RequireNoLinks(root, steps, entry.name);
    stdfs::path target = root;
    for (const std::string& step : steps) target /= fs::ToPath(step);
    plan.push_back({&entry, std::move(target)});
  }
  return plan;
}

void ExtractFile(ZipReader& reader, const Placement& place) {
  fs::CreateFolders(fs::ToUtf8(place.target.parent_path()));
  PendingFile pending = PendingFile::CreateFor(fs::ToUtf8(place.target));
  FileSink sink(pending.file());
  reader.Extract(*place.entry, sink);
  pending.FlushAndClose();
  pending.MoveIntoPlace();
}

}  // namespace

void ExtractAll(ZipReader& reader, const std::string& folder) {
  if (!fs::FolderExists(folder)) throw fs::FolderNotFoundError();
  const stdfs::path root = fs::ToPath(folder);
  for (const Placement& place : PlanAll(reader, root)) {
    if (place.entry->IsFolder())
      fs::CreateFolders(fs::ToUtf8(place.target));
    else
      ExtractFile(reader, place);
  }
}

}  // namespace qeb::zip
