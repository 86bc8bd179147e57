#pragma once
// A program folder, diskette folders and the scripted window system for
// end-to-end runs. Natively a path beginning with "A:" is a relative path into
// a folder named "A:" below the test's root, which is the current folder
// while the test runs. Every diskette file written here is checked byte for
// byte after the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "support/scripted_window_system.h"
#include "support/temp_folder.h"

namespace qeb::testing_run {

using test_support::Hex;

using Box = ui::ScriptedWindowSystem::Box;

inline const std::string kName8 = "S0307379";
inline const std::string kTitle10 = "Q.E.B. ( Concatenación de SUA's ) V1.0";
inline const std::string kTitle11 = "Q.E.B. ( Concatenación de SUA's ) V1.1";

Box FirstPrompt();
Box Info(const std::string& text);
Box Error(const std::string& text);
Box MoreDiskettes();
Box InsertDiskette(int n, const std::string& drive);
Box ZipError(const std::string& text);
Box NotCopied();
Box Copied(const std::string& archive);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::vector<std::string> FilesIn(const std::filesystem::path& folder);

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A whole SUA file of `records` records on `drive` ("A:", "M:"...).
  std::string PutWhole(const std::string& drive, const std::string& file_name,
                       const std::string& data);
  // Writes each piece as NAME8.SU0, NAME8.SU1... on `drive`; returns the
  // dialog paths ("A:/S0307379.SU0"...).
  std::vector<std::string> PutPieces(const std::string& drive,
                                     const std::vector<std::string>& pieces,
                                     const std::string& name8 = kName8);
  std::string DialogPath(const std::string& drive, const std::string& file_name) const;
  // Chooses the pieces in turn, answering Yes and OK before each further one,
  // and No after the last when the run gets that far.
  void QueueSplit(const std::vector<std::string>& paths, bool asked_after_last = true);

  // Runs the program's load step, as starting the program does.
  void RunProgram();
  // Runs it in a child process whose files may not grow past `limit` bytes (a
  // real full disk); returns the boxes the child showed.
  std::vector<Box> RunWithFileSizeLimit(size_t limit);
  // Writes `bytes` to a file outside the diskettes and the work folder.
  std::string ExpectedFile(const std::string& bytes);

  std::filesystem::path Work() const { return root_ / "prog" / "tmp"; }
  std::string WorkPath(const std::string& name) const { return (Work() / name).string(); }
  std::string ArchivePath() const { return WorkPath(kName8 + ".ZIP"); }

  std::filesystem::path root_;
  ui::ScriptedWindowSystem ws_;
  std::unique_ptr<FQEB_SUA> app_;

 private:
  std::filesystem::path saved_current_folder_;
  std::map<std::filesystem::path, std::string> diskette_files_;
};

// Reads an archive back with Python's zipfile: "name|comment-hex|crc-ok" and
// whether the content equals `expected_content`.
struct PythonView {
  bool available = false;
  std::vector<std::string> names;
  std::string comment_hex;
  bool testzip_clean = false;
  bool content_equal = false;
};
PythonView ReadWithPython(const std::string& archive, const std::string& expected_content_file);

}  // namespace qeb::testing_run
