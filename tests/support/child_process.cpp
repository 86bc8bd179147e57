#include "support/child_process.h"

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <stdexcept>
#include <thread>

namespace qeb::test_support {

std::string RunInChild(const std::function<void()>& setup,
                       const std::function<std::string()>& body) {
  int ends[2];
  if (pipe(ends) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    std::string answer;
    try {
      setup();
      answer = body();
    } catch (const std::exception& error) {
      answer = std::string("exception in the child: ") + error.what();
    }
    // writev, not write, so that a test may make write itself fail.
    for (ssize_t n = 0, done = 0; done < ssize_t(answer.size()); done += n) {
      iovec rest{answer.data() + done, answer.size() - done};
      if ((n = writev(ends[1], &rest, 1)) <= 0) break;
    }
    _exit(0);  // no exit handlers of the test runner in the child
  }
  close(ends[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
  close(ends[0]);
  int status = 0;
  while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0
             ? answer
             : "child ended with status " + std::to_string(status) + ": " + answer;
}

void LimitFileSize(size_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
}

std::shared_ptr<const std::atomic<long>> FailSystemCall(const std::vector<long>& numbers, long nth,
                                                        int error, bool persist) {
  auto count = std::make_shared<std::atomic<long>>(0);
  auto listener = std::make_shared<std::atomic<int>>(-1);  // -2: none will come
  // Started before the filter, so that it is not filtered itself, and waiting
  // for it: the filtered calls of this thread wait for its answer.
  std::thread([listener, nth, error, persist, count] {
    int fd = -1;
    while ((fd = *listener) == -1) std::this_thread::yield();
    for (seccomp_notif call{}; fd >= 0; call = {}) {
      if (ioctl(fd, SECCOMP_IOCTL_NOTIF_RECV, &call) != 0) {
        if (errno == EINTR) continue;
        return;
      }
      seccomp_notif_resp answer{};
      answer.id = call.id;
      answer.flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE;
      // The sanitizers' runtime probes memory by writing it to a pipe of its
      // own: calls on a pipe are neither counted nor failed.
      struct stat target {};
      const bool pipe =
          fstat(static_cast<int>(call.data.args[0]), &target) == 0 && S_ISFIFO(target.st_mode);
      const long made = pipe ? -1 : ++*count;
      if (made == nth || (persist && made > nth)) answer = {call.id, 0, -error, 0};
      ioctl(fd, SECCOMP_IOCTL_NOTIF_SEND, &answer);
    }
  }).detach();
  // Each call listed goes to the supervisor above, which lets it be made or
  // answers it with the error.
  std::vector<sock_filter> filter{BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
  for (const long number : numbers) {
    filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(number), 0, 1));
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_USER_NOTIF));
  }
  filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
  const long fd = prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0
                      ? -2
                      : syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER,
                                SECCOMP_FILTER_FLAG_NEW_LISTENER, &program);
  *listener = fd < 0 ? -2 : static_cast<int>(fd);
  if (fd < 0) throw std::runtime_error("cannot install the system-call supervisor");
  return count;
}

}  // namespace qeb::test_support
