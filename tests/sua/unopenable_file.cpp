#include "unopenable_file.h"

#include <filesystem>
#include <stdexcept>

#include "base/file_error.h"
#include "base/file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace qeb::testing_sua {

std::string UnopenableErrorText() {
#ifdef _WIN32
  constexpr unsigned long kCode = 32;  // ERROR_SHARING_VIOLATION
#else
  constexpr unsigned long kCode = EACCES;
#endif
  return std::to_string(kCode) + " " + fs::SystemErrorText(kCode);
}

#ifdef _WIN32

std::string WhileUnopenable(const std::string& /*folder*/, const std::string& path,
                            const std::function<std::string()>& check) {
  const std::wstring wide = fs::ToPath(path).wstring();
  HANDLE held = CreateFileW(wide.c_str(), GENERIC_READ, /*share=*/0, /*security=*/nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, /*template=*/nullptr);
  if (held == INVALID_HANDLE_VALUE)
    return "cannot hold the file, error " + std::to_string(GetLastError());
  std::string result;
  try {
    result = check();
  } catch (...) {
    CloseHandle(held);
    throw;
  }
  CloseHandle(held);
  return result;
}

#else

namespace {

constexpr uid_t kNobody = 65534;

void WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return text;
    text.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace

std::string RunInChild(const std::function<void()>& setup,
                       const std::function<std::string()>& body) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    close(pipe_ends[0]);
    int code = 0;
    try {
      setup();
      WriteAll(pipe_ends[1], body());
    } catch (const std::exception& error) {
      WriteAll(pipe_ends[1], std::string("exception in the child: ") + error.what());
      code = 1;
    }
    _exit(code);  // no exit handlers of the test runner in the child
  }
  close(pipe_ends[1]);
  const std::string answer = ReadAll(pipe_ends[0]);
  close(pipe_ends[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return answer;
  return "child ended with status " + std::to_string(status) + ": " + answer;
}

std::string WhileUnopenable(const std::string& folder, const std::string& path,
                            const std::function<std::string()>& check) {
  if (chmod(path.c_str(), 0) != 0) throw std::runtime_error("chmod failed");
  const bool root = geteuid() == 0;
  if (root) {
    // The child may write everything in the folder except the one file.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
      if (lchown(entry.path().c_str(), kNobody, kNobody) != 0) throw std::runtime_error("chown");
    if (chown(folder.c_str(), kNobody, kNobody) != 0) throw std::runtime_error("chown");
  }
  return RunInChild(
      [root, path] {
        if (root && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
          throw std::runtime_error(std::string("cannot give root up: ") + std::strerror(errno));
        if (access(path.c_str(), R_OK) == 0) throw std::runtime_error("the file is still readable");
      },
      check);
}

#endif

}  // namespace qeb::testing_sua
