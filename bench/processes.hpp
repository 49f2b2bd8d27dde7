// A program run as a child process of a measuring tool, with what the kernel
// counted of it: wall-clock time, CPU time (user + system) and peak memory.
#pragma once
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace quelmar::bench {

namespace fs = std::filesystem;

struct Child {
  double wall = 0;      // wall-clock time of the whole process, s
  double cpu = 0;       // user + system time of the process, s
  long max_rss_kb = 0;  // peak resident memory of the process
  int status = -1;
};

inline double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); }

// Runs `argv` in `folder` with its standard output going to `out` (or nowhere)
// and its standard error nowhere.
inline Child run(const std::vector<std::string>& argv, const fs::path& folder, const fs::path& out = {}) {
  Child c;
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(1);
  }
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    const int null = open("/dev/null", O_WRONLY);
    const int to = out.empty() ? null : open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (null < 0 || to < 0) _exit(127);
    dup2(to, 1);
    dup2(null, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  c.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  c.cpu = seconds(ru.ru_utime) + seconds(ru.ru_stime);
  c.max_rss_kb = ru.ru_maxrss;
  c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return c;
}

}  // namespace quelmar::bench
