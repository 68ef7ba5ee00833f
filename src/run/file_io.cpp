#include "run/file_io.h"

#include <utility>

namespace kestrilo {

FileIo::FileIo(std::function<void()> job) : thread_(std::move(job)) {}

FileIo::~FileIo() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace kestrilo
