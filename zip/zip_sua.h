#pragma once
// Creates, fills and extracts zip archives on its own, apart from the
// concatenation run. It shows no messages: each operation answers true or
// false, and a failure is kept in ErrNum and ErrDescription, which are never
// cleared (a later success leaves the last failure there).

#include <cstdint>
#include <string>

#include "base/run_error.h"

namespace qeb::zip {

class ZIP_SUA {
 public:
  const std::string& ZipFileName() const { return zip_file_name_; }
  void SetZipFileName(const std::string& vData) { zip_file_name_ = vData; }
  const std::string& FileZIP() const { return file_zip_; }
  void SetFileZIP(const std::string& vData) { file_zip_ = vData; }
  const std::string& FolderZIP() const { return folder_zip_; }
  void SetFolderZIP(const std::string& vData) { folder_zip_ = vData; }

  // Number of the last failure in decimal, and its description.
  const std::string& ErrNum() const { return err_num_; }
  const std::string& ErrDescription() const { return err_description_; }
  // Items at the top of the archive after the last add or extract.
  int16_t FilesZipped() const { return files_zipped_; }

  // Writes the 22-byte end record of an empty archive at `sPath`, replacing
  // any file there.
  bool CreateEmptyZip(const std::string& sPath);
  // Makes ZipFileName an empty archive (false at once when that fails), then
  // packs FileZIP into it; a failure to pack is not reported (the archive
  // stays empty and FilesZipped 0). True once the empty archive was written.
  bool AddFilesToZip();
  // Extracts every entry of ZipFileName into the existing folder FolderZIP.
  // An archive that is defective, or whose names would land outside the
  // folder, is refused before anything is written.
  bool UnzipToFolder();

 private:
  void Record(const RunError& error);

  std::string zip_file_name_;
  std::string file_zip_;
  std::string folder_zip_;
  int16_t files_zipped_ = 0;
  std::string err_num_;
  std::string err_description_;
};

}  // namespace qeb::zip
