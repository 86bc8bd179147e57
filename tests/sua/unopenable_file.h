#pragma once
// Running a check while a real file cannot be opened by the program.

#include <functional>
#include <string>

namespace qeb::testing_sua {

// Runs `check` while the file at `path` cannot be opened for reading and
// returns what `check` returned. On Windows another handle holds the file
// without sharing, as a program that has it open exclusively does. Elsewhere
// the file loses every permission, and since root opens every file anyway,
// `check` runs in a child process that has given root up for the owner of
// the test's folder (handed to "nobody" when the test runs as root); when the
// child fails, the answer says how.
std::string WhileUnopenable(const std::string& folder, const std::string& path,
                            const std::function<std::string()>& check);

// "number, blank, description" of the platform's error for such a file: a
// sharing violation on Windows, permission denied elsewhere.
std::string UnopenableErrorText();

#ifndef _WIN32
// Runs `body` in a forked child after `setup` and returns what it returned,
// or how the child ended when it did not end normally.
std::string RunInChild(const std::function<void()>& setup,
                       const std::function<std::string()>& body);
#endif

}  // namespace qeb::testing_sua
