#pragma once
// Outside programs (archivers, Python) that read or make what the program
// writes. They exist on the native build only.
#ifndef _WIN32

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

namespace qeb::test_support {

// The exit status of a shell command, and its standard output and error.
inline std::pair<int, std::string> RunTool(const std::string& command) {
  std::pair<int, std::string> result{-1, ""};
  FILE* pipe = popen(("LC_ALL=C.UTF-8; export LC_ALL; " + command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.second.append(buffer, got);
  const int status = pclose(pipe);
  result.first = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}
inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace qeb::test_support

#endif
