#include "zip/pending_file.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <utility>

namespace qeb::zip {
namespace {

constexpr int kNameAttempts = 16;

// "NAME.ZIP" gives "NAME.ZIP.<16 hex digits>.tmp" in the same folder.
std::string TemporaryNameFor(const std::string& final_path, std::random_device& random) {
  const uint64_t tag = uint64_t{random()} << 32 ^ random();
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(tag));
  return final_path + suffix;
}

}  // namespace

// A name that another file took meanwhile is no failure: another name is
// tried, and the last attempt's error is the one reported.
PendingFile PendingFile::CreateFor(const std::string& final_path) {
  std::random_device random;
  for (int attempt = 1;; ++attempt) {
    std::string temp_path = TemporaryNameFor(final_path, random);
    try {
      fs::File file = fs::File::Open(temp_path, fs::File::Mode::kCreateNew);
      return PendingFile(std::move(file), std::move(temp_path), final_path);
    } catch (const RunError&) {
      if (attempt == kNameAttempts || !fs::AnythingExists(temp_path)) throw;
    }
  }
}

PendingFile::PendingFile(fs::File file, std::string temp_path, std::string final_path)
    : file_(std::move(file)),
      temp_path_(std::move(temp_path)),
      final_path_(std::move(final_path)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : file_(std::move(other.file_)),
      temp_path_(std::move(other.temp_path_)),
      final_path_(std::move(other.final_path_)),
      in_place_(std::exchange(other.in_place_, true)) {}

PendingFile::~PendingFile() {
  if (in_place_) return;
  file_.CloseQuietly();
  std::error_code ignored;
  std::filesystem::remove(fs::ToPath(temp_path_), ignored);
}

void PendingFile::FlushAndClose() {
  file_.FlushToDisk();
  file_.Close();
}

void PendingFile::MoveIntoPlace() {
  fs::ReplaceFile(temp_path_, final_path_);
  in_place_ = true;
}

}  // namespace qeb::zip
