#include "io/standard_streams.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quelmar::io {

bool open_missing_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is the one that is missing: those below it are open.
    const int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (got < 0) return false;
    if (got != fd) {
      ::dup2(got, fd);
      ::close(got);
    }
  }
  return true;
}

}  // namespace quelmar::io
