#include "platform/file_heads.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#ifdef KESTRILO_HAVE_IO_URING
#include <liburing.h>
#endif

namespace kestrilo {

#ifdef KESTRILO_HAVE_IO_URING

namespace {

constexpr unsigned kSlots = 64;
constexpr unsigned kStepsPerFile = 6;
// A read that has not finished by then is abandoned, and the file is left to
// the caller's own open: a FIFO that took a file's place may never deliver.
constexpr long long kReadPatienceNs = 1'000'000'000;

// One ring per reader thread, with a table of direct descriptors so that a
// file is opened, read and closed by one linked chain inside the kernel.
class HeadRing {
 public:
  HeadRing() {
    if (io_uring_queue_init(kSlots * kStepsPerFile, &ring_, 0) != 0) return;
    std::vector<int> empty(kSlots, -1);
    if (io_uring_register_files(&ring_, empty.data(), kSlots) != 0) {
      io_uring_queue_exit(&ring_);
      return;
    }
    usable_ = true;
  }
  ~HeadRing() {
    if (usable_) io_uring_queue_exit(&ring_);
  }
  HeadRing(const HeadRing&) = delete;
  HeadRing& operator=(const HeadRing&) = delete;

  bool Usable() const { return usable_; }

  // Up to kSlots files: statx, then open into slot k, read, statx again,
  // close. A link in the last component is never followed and the open never
  // waits; the two statx calls must see the same regular file for the head to
  // count, since the kind of a direct descriptor cannot be asked. The kernel
  // writes into buffers of the ring's own, so that nothing it writes can
  // outlive the memory it writes to, whatever happens to this call.
  void Read(std::span<const HeadRequest> requests, std::span<FileHead> heads) {
    results_.fill(-1);
    unsigned queued = 0;
    __kernel_timespec patience{kReadPatienceNs / 1'000'000'000, kReadPatienceNs % 1'000'000'000};
    for (unsigned k = 0; k < requests.size(); ++k) {
      const HeadRequest& request = requests[k];
      const bool byName = request.folder != nullptr && request.folder->IsOpen();
      const int folder = byName ? request.folder->Fd() : AT_FDCWD;
      const char* name = byName ? request.name : request.path->c_str();

      std::array<io_uring_sqe*, kStepsPerFile> steps{};
      if (!TakeSteps(steps)) break;
      io_uring_sqe* sqe = steps[0];
      io_uring_prep_statx(sqe, folder, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_SIZE | STATX_INO, &facts_[k]);
      io_uring_sqe_set_data64(sqe, k * kStepsPerFile);
      sqe->flags |= IOSQE_IO_LINK;

      // Direct descriptors never enter the descriptor table (O_CLOEXEC is
      // refused for them, and not needed).
      sqe = steps[1];
      io_uring_prep_openat_direct(
          sqe, folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | (noAccessTime_ ? O_NOATIME : 0), 0, k);
      io_uring_sqe_set_data64(sqe, k * kStepsPerFile + 1);
      sqe->flags |= IOSQE_IO_LINK;

      sqe = steps[2];
      io_uring_prep_read(sqe, static_cast<int>(k), blocks_[k].data(), kHeadBytes, 0);
      io_uring_sqe_set_data64(sqe, k * kStepsPerFile + 2);
      // The close runs even when the read failed, or the slot would stay taken.
      sqe->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;

      sqe = steps[3];
      io_uring_prep_link_timeout(sqe, &patience, 0);
      io_uring_sqe_set_data64(sqe, k * kStepsPerFile + 3);
      sqe->flags |= IOSQE_IO_HARDLINK;

      sqe = steps[4];
      io_uring_prep_statx(sqe, folder, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_SIZE | STATX_INO, &after_[k]);
      io_uring_sqe_set_data64(sqe, k * kStepsPerFile + 4);
      sqe->flags |= IOSQE_IO_HARDLINK;

      sqe = steps[5];
      io_uring_prep_close_direct(sqe, k);
      io_uring_sqe_set_data64(sqe, k * kStepsPerFile + 5);
      queued += kStepsPerFile;
    }
    const int submitted = io_uring_submit(&ring_);
    // A ring that took only part of a batch is not used again.
    if (submitted != static_cast<int>(queued)) usable_ = false;
    for (int done = 0; done < submitted; ++done) {
      io_uring_cqe* cqe = nullptr;
      int waited;
      do {
        waited = io_uring_wait_cqe(&ring_, &cqe);
      } while (waited == -EINTR || waited == -EAGAIN);
      if (waited != 0) {
        usable_ = false;
        return;
      }
      results_[io_uring_cqe_get_data64(cqe)] = cqe->res;
      io_uring_cqe_seen(&ring_, cqe);
    }
    if (!usable_) return;
    for (unsigned k = 0; k < requests.size(); ++k) {
      const int* step = &results_[k * kStepsPerFile];
      // O_NOATIME is refused for files of other owners: stop asking for it.
      if (step[1] == -EPERM) noAccessTime_ = false;
      // statx, open, read and the second statx must all have succeeded, on one
      // regular file that kept its size; anything else is left to the caller's
      // own open, which tells the cases apart.
      if (step[0] < 0 || step[1] < 0 || step[2] < 0 || step[4] < 0) continue;
      const struct statx& before = facts_[k];
      const struct statx& after = after_[k];
      if (!S_ISREG(before.stx_mode) || !S_ISREG(after.stx_mode) || before.stx_ino != after.stx_ino ||
          before.stx_dev_major != after.stx_dev_major || before.stx_dev_minor != after.stx_dev_minor ||
          before.stx_size != after.stx_size) {
        continue;
      }
      FileHead& head = heads[k];
      head.complete = true;
      head.kind = EntryKind::File;
      head.size = facts_[k].stx_size;
      head.count = static_cast<std::uint32_t>(step[2]);
      std::memcpy(head.bytes.data(), blocks_[k].data(), head.count);
    }
  }

 private:
  // The submission entries of one file's chain, or false when the ring has
  // no room for all of them (it is sized so that it always has): then the
  // entries taken are turned into no-ops, the ring is not used again and the
  // files not queued are left to the caller.
  bool TakeSteps(std::array<io_uring_sqe*, kStepsPerFile>& steps) {
    for (auto& step : steps) {
      step = io_uring_get_sqe(&ring_);
      if (step != nullptr) continue;
      for (io_uring_sqe* taken : steps) {
        if (taken == nullptr) continue;
        io_uring_prep_nop(taken);
        io_uring_sqe_set_data64(taken, 0);
      }
      usable_ = false;
      return false;
    }
    return true;
  }

  io_uring ring_{};
  bool usable_ = false;
  bool noAccessTime_ = true;
  std::array<struct statx, kSlots> facts_{};
  std::array<struct statx, kSlots> after_{};
  std::array<std::array<std::uint8_t, kHeadBytes>, kSlots> blocks_{};
  std::array<int, kSlots * kStepsPerFile> results_{};
};

}  // namespace

void ReadFileHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads) {
  // Made by each thread's first call: a ring held in thread-local storage
  // itself would be laid out, and cleared, for every thread the program starts.
  thread_local const std::unique_ptr<HeadRing> ring(new (std::nothrow) HeadRing);
  for (auto& head : heads) head.complete = false;
  for (std::size_t begin = 0; ring && begin < requests.size() && ring->Usable(); begin += kSlots) {
    const std::size_t count = std::min<std::size_t>(kSlots, requests.size() - begin);
    ring->Read(requests.subspan(begin, count), heads.subspan(begin, count));
  }
}

#else

void ReadFileHeads(std::span<const HeadRequest>, std::span<FileHead> heads) {
  for (auto& head : heads) head.complete = false;
}

#endif

}  // namespace kestrilo
