#include <filesystem>
#include <stdexcept>

#include "base/file_error.h"
#include "base/file_system.h"
#include "fixture.h"
#ifndef _WIN32
#include "support/child_process.h"
#endif

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace qeb::testing_sua {

#ifdef _WIN32

std::string UnopenableErrorText() {
  return "32 " + fs::SystemErrorText(32);  // ERROR_SHARING_VIOLATION
}

std::string WhileUnopenable(const std::string&, const std::string& path,
                            const std::function<std::string()>& check) {
  HANDLE held = CreateFileW(fs::ToPath(path).wstring().c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return "cannot hold the file";
  struct Release {
    HANDLE handle;
    ~Release() { CloseHandle(handle); }
  } release{held};
  return check();
}

#else

std::string UnopenableErrorText() {
  return std::to_string(EACCES) + " " + fs::SystemErrorText(EACCES);
}

std::string WhileUnopenable(const std::string& folder, const std::string& path,
                            const std::function<std::string()>& check) {
  constexpr uid_t kNobody = 65534;
  const bool root = geteuid() == 0;
  std::filesystem::permissions(path, std::filesystem::perms::none);
  if (root) {  // the child may write everything in the folder but the one file
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
      if (lchown(entry.path().c_str(), kNobody, kNobody) != 0) throw std::runtime_error("chown");
    if (chown(folder.c_str(), kNobody, kNobody) != 0) throw std::runtime_error("chown");
  }
  return test_support::RunInChild(
      [root, path] {
        if (root && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
          throw std::runtime_error(std::string("cannot give root up: ") + std::strerror(errno));
        if (access(path.c_str(), R_OK) == 0) throw std::runtime_error("the file is still readable");
      },
      check);
}

#endif

}  // namespace qeb::testing_sua
