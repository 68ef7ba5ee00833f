#include "platform/batched_reads.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/batch_folders.h"

#ifdef KESTRILO_HAVE_IO_URING
#include <liburing.h>
#endif

namespace kestrilo {

#ifdef KESTRILO_HAVE_IO_URING

namespace {

// Enough files in flight to keep the kernel's workers busy; each thread
// holds a ring, so more would cost memory for no speed.
constexpr unsigned kSlots = 32;
constexpr unsigned kStepsPerFile = 6;
// What the kernel reads into, shared by a batch's files.
constexpr std::size_t kBufferBytes = kSlots * kHeadBytes;
// A head is read as far as a small file goes, since the size is not known
// before the read: a batch of heads fills the buffer with fewer files.
constexpr std::size_t kHeadsPerBatch = kBufferBytes / kSmallFileBytes;
static_assert(kMostBytesReadWhole < kBufferBytes, "a file read whole fits in the buffer with a byte to spare");
// A read that has not finished by then is abandoned, and the file is left to
// the caller's own open: a FIFO that took a file's place may never deliver.
constexpr long long kReadPatienceNs = 1'000'000'000;

// A file of a batch: where it is and how many of its first bytes to read.
struct Wanted {
  int folder = AT_FDCWD;
  const char* name = nullptr;
  std::size_t bytes = 0;
};

// What came of it: `read` when it was read as one regular file whose facts
// did not change meanwhile; `facts` and `bytes` then stay valid until the
// ring's next batch.
struct Got {
  bool read = false;
  const struct statx* facts = nullptr;
  const std::uint8_t* bytes = nullptr;
  std::uint32_t count = 0;
};

bool SameFile(const struct statx& a, const struct statx& b) {
  return S_ISREG(a.stx_mode) && S_ISREG(b.stx_mode) && a.stx_ino == b.stx_ino && a.stx_dev_major == b.stx_dev_major &&
         a.stx_dev_minor == b.stx_dev_minor && a.stx_size == b.stx_size && a.stx_mtime.tv_sec == b.stx_mtime.tv_sec &&
         a.stx_mtime.tv_nsec == b.stx_mtime.tv_nsec && a.stx_ctime.tv_sec == b.stx_ctime.tv_sec &&
         a.stx_ctime.tv_nsec == b.stx_ctime.tv_nsec;
}

std::int64_t Nanoseconds(const struct statx_timestamp& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileFacts FactsOf(const struct statx& facts) {
  FileFacts out;
  out.id.device = static_cast<std::uint64_t>(makedev(facts.stx_dev_major, facts.stx_dev_minor));
  out.id.inode = facts.stx_ino;
  out.kind = EntryKind::File;
  out.size = facts.stx_size;
  out.mtimeNs = Nanoseconds(facts.stx_mtime);
  out.ctimeNs = Nanoseconds(facts.stx_ctime);
  return out;
}

// One ring per reader thread, with a table of direct descriptors so that a
// file is opened, read and closed by one linked chain inside the kernel.
class ReadRing {
 public:
  ReadRing() {
    if (io_uring_queue_init(kSlots * kStepsPerFile, &ring_, 0) != 0) return;
    std::vector<int> empty(kSlots, -1);
    if (io_uring_register_files(&ring_, empty.data(), kSlots) != 0) {
      io_uring_queue_exit(&ring_);
      return;
    }
    usable_ = true;
  }
  ~ReadRing() {
    if (usable_) io_uring_queue_exit(&ring_);
  }
  ReadRing(const ReadRing&) = delete;
  ReadRing& operator=(const ReadRing&) = delete;

  bool Usable() const { return usable_; }

  // Up to kSlots files whose bytes fit in the buffer together: statx, then
  // open into slot k, read, statx again, close. A link in the last component
  // is never followed and the open never waits; the two statx calls must see
  // the same unchanged regular file for the bytes to count, since the kind of
  // a direct descriptor cannot be asked. The kernel writes into the ring's own
  // buffer, so that nothing it writes can outlive the memory it writes to,
  // whatever happens to this call.
  void Read(std::span<const Wanted> files, std::span<Got> got) {
    results_.fill(-1);
    unsigned queued = 0;
    __kernel_timespec patience{kReadPatienceNs / 1'000'000'000, kReadPatienceNs % 1'000'000'000};
    std::size_t offset = 0;
    for (unsigned k = 0; k < files.size(); ++k) {
      const int folder = files[k].folder;
      const char* name = files[k].name;
      starts_[k] = offset;
      offset += files[k].bytes;

      std::array<io_uring_sqe*, kStepsPerFile> steps{};
      if (!TakeSteps(steps)) break;
      io_uring_sqe* sqe = steps[0];
      io_uring_prep_statx(sqe, folder, name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &facts_[k]);
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
      io_uring_prep_read(sqe, static_cast<int>(k), buffer_.data() + starts_[k], static_cast<unsigned>(files[k].bytes),
                         0);
      io_uring_sqe_set_data64(sqe, k * kStepsPerFile + 2);
      // The close runs even when the read failed, or the slot would stay taken.
      sqe->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;

      sqe = steps[3];
      io_uring_prep_link_timeout(sqe, &patience, 0);
      io_uring_sqe_set_data64(sqe, k * kStepsPerFile + 3);
      sqe->flags |= IOSQE_IO_HARDLINK;

      sqe = steps[4];
      io_uring_prep_statx(sqe, folder, name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &after_[k]);
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
    for (unsigned k = 0; k < files.size(); ++k) {
      const int* step = &results_[k * kStepsPerFile];
      // O_NOATIME is refused for files of other owners: stop asking for it.
      if (step[1] == -EPERM) noAccessTime_ = false;
      // statx, open, read and the second statx must all have succeeded, on one
      // regular file that did not change; anything else is left to the
      // caller's own open, which tells the cases apart.
      if (step[0] < 0 || step[1] < 0 || step[2] < 0 || step[4] < 0 || !SameFile(facts_[k], after_[k])) continue;
      got[k] = {true, &facts_[k], buffer_.data() + starts_[k], static_cast<std::uint32_t>(step[2])};
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
  std::array<std::size_t, kSlots> starts_{};
  std::array<std::uint8_t, kBufferBytes> buffer_{};
  std::array<int, kSlots * kStepsPerFile> results_{};
};

// Rings outlive the threads that read through them: a thread takes one at its
// first read and gives it back when it ends, so that the verification's
// short-lived threads reuse the walk's rings instead of setting up their own.
// A few rings keep enough reads in flight (each its batch of files); a deep
// pool of reader threads gets no more, and its other threads read with calls,
// so that the rings' buffers cost no more memory than a few threads' worth.
// (A ring held in thread-local storage itself would also be laid out, and
// cleared, for every thread the program starts.) Never destroyed: a thread may
// give its ring back while the program's statics are going.
class RingPool {
 public:
  static RingPool& Shared() {
    static auto* pool = new RingPool;
    return *pool;
  }

  // Nothing when no ring could be made, or when kMostRings are taken.
  ReadRing* Take() {
    {
      std::lock_guard lock(mutex_);
      if (!free_.empty()) {
        ReadRing* ring = free_.back();
        free_.pop_back();
        return ring;
      }
      if (made_ == kMostRings) return nullptr;
      ++made_;
    }
    ReadRing* ring = new (std::nothrow) ReadRing;
    if (ring == nullptr) Lost();
    return ring;
  }

  // A ring that is no longer usable goes.
  void Give(ReadRing* ring) {
    if (!ring->Usable()) {
      delete ring;
      Lost();
      return;
    }
    std::lock_guard lock(mutex_);
    free_.push_back(ring);
  }

 private:
  static constexpr unsigned kMostRings = 4;

  void Lost() {
    std::lock_guard lock(mutex_);
    --made_;
  }

  std::mutex mutex_;
  std::vector<ReadRing*> free_;
  unsigned made_ = 0;
};

struct HeldRing {
  ReadRing* ring = nullptr;
  HeldRing() = default;
  HeldRing(const HeldRing&) = delete;
  HeldRing& operator=(const HeldRing&) = delete;
  ~HeldRing() {
    if (ring != nullptr) RingPool::Shared().Give(ring);
  }
};

ReadRing* ThreadRing() {
  thread_local HeldRing held;
  if (held.ring == nullptr) held.ring = RingPool::Shared().Take();
  return held.ring != nullptr && held.ring->Usable() ? held.ring : nullptr;
}

}  // namespace

bool ReadFileHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads) {
  for (auto& head : heads) head.complete = false;
  std::array<Wanted, kSlots> files;
  std::array<Got, kSlots> got;
  for (std::size_t begin = 0; begin < requests.size(); begin += kHeadsPerBatch) {
    ReadRing* ring = ThreadRing();
    // A ring lost partway leaves the rest to the caller.
    if (ring == nullptr) return begin > 0;
    const std::size_t count = std::min(kHeadsPerBatch, requests.size() - begin);
    for (std::size_t k = 0; k < count; ++k) {
      const HeadRequest& request = requests[begin + k];
      const bool byName = request.folder != nullptr && request.folder->IsOpen();
      files[k] = {byName ? request.folder->Fd() : AT_FDCWD, byName ? request.name : request.path->c_str(),
                  kSmallFileBytes};
      got[k] = Got{};
    }
    ring->Read(std::span(files).first(count), std::span(got).first(count));
    for (std::size_t k = 0; k < count; ++k) {
      if (!got[k].read) continue;
      FileHead& head = heads[begin + k];
      head.complete = true;
      head.kind = EntryKind::File;
      head.size = got[k].facts->stx_size;
      // Of a larger file only the head is wanted.
      head.count = head.size <= kSmallFileBytes ? got[k].count : std::min<std::uint32_t>(got[k].count, kHeadBytes);
      std::memcpy(head.bytes.data(), got[k].bytes, head.count);
    }
  }
  return true;
}

bool ReadSmallFilesWhole(std::span<const WholeRequest> requests, const OnWholeFile& onRead) {
  std::array<Wanted, kSlots> files;
  std::array<std::size_t, kSlots> places;
  std::array<Got, kSlots> got;
  BatchFolders folders;
  for (std::size_t next = 0; next < requests.size();) {
    ReadRing* ring = ThreadRing();
    if (ring == nullptr) return next > 0;
    // One byte more than a file may hold: a read that falls short of it has
    // found the file's end.
    std::size_t count = 0;
    std::size_t bytes = 0;
    for (; next < requests.size() && count < kSlots; ++next) {
      const WholeRequest& request = requests[next];
      const std::size_t wanted = static_cast<std::size_t>(request.most) + 1;
      if (request.most > kMostBytesReadWhole) continue;
      if (bytes + wanted > kBufferBytes) break;
      const std::string* following = next + 1 < requests.size() ? requests[next + 1].path : nullptr;
      const PlaceInFolder place = folders.Place(*request.path, following);
      files[count] = {place.folder, place.name, wanted};
      places[count] = next;
      got[count] = Got{};
      bytes += wanted;
      ++count;
    }
    ring->Read(std::span(files).first(count), std::span(got).first(count));
    folders.Close();
    for (std::size_t k = 0; k < count; ++k) {
      if (!got[k].read || got[k].count >= files[k].bytes || got[k].count != got[k].facts->stx_size) continue;
      onRead(places[k], FactsOf(*got[k].facts), std::span(got[k].bytes, got[k].count));
    }
  }
  return true;
}

#else

bool ReadFileHeads(std::span<const HeadRequest>, std::span<FileHead> heads) {
  for (auto& head : heads) head.complete = false;
  return false;
}

bool ReadSmallFilesWhole(std::span<const WholeRequest>, const OnWholeFile&) { return false; }

#endif

}  // namespace kestrilo
