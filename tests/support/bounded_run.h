#pragma once
// Runs a job on its own thread with a bound on its time. A job that is still
// running then is taken to hang on a FIFO (opening or reading a FIFO waits for
// a writer): `release` is called until the job ends, and should give the FIFOs
// writers (OpenWriters) or close the writers that a test holds, so that the
// test reports the hang instead of hanging.

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace kestrilo::testing {

inline bool EndsWithin(std::chrono::milliseconds bound, const std::function<void()>& job,
                       const std::function<void()>& release) {
  std::future<void> done = std::async(std::launch::async, job);
  if (done.wait_for(bound) == std::future_status::ready) {
    done.get();
    return true;
  }
  do {
    release();
  } while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready);
  done.get();
  return false;
}

#ifndef _WIN32
// Opens each FIFO for writing and closes it again: a reader waiting in its
// open goes on and then reads the end.
inline void OpenWriters(const std::vector<std::string>& fifos) {
  for (const auto& fifo : fifos) {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
  }
}
#endif

}  // namespace kestrilo::testing
