#pragma once
// The worker thread of one job. It starts running `job` when created; the
// object joins the thread when it goes, so it must only be destroyed once the
// job has ended (or is about to end), never to wait for a long job.

#include <functional>
#include <thread>

namespace kestrilo {

class FileIo {
 public:
  explicit FileIo(std::function<void()> job);
  ~FileIo();
  FileIo(const FileIo&) = delete;
  FileIo& operator=(const FileIo&) = delete;

 private:
  std::thread thread_;
};

}  // namespace kestrilo
