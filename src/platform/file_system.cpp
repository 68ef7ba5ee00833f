#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/batch_folders.h"
#include "platform/batched_reads.h"
#include "platform/reached_path.h"

namespace kestrilo {

namespace {

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Folder;
  if (S_ISLNK(mode)) return EntryKind::Link;
  return EntryKind::Other;
}

EntryKind KindOfDirentType(unsigned char type) {
  switch (type) {
    case DT_REG:
      return EntryKind::File;
    case DT_DIR:
      return EntryKind::Folder;
    case DT_LNK:
      return EntryKind::Link;
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
      return EntryKind::Other;
    default:
      return EntryKind::Unknown;
  }
}

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileFacts FactsOf(const struct stat& info) {
  FileFacts facts;
  facts.id.device = static_cast<std::uint64_t>(info.st_dev);
  facts.id.inode = static_cast<std::uint64_t>(info.st_ino);
  facts.kind = KindOfMode(info.st_mode);
  facts.size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  facts.mtimeNs = Nanoseconds(info.st_mtim);
  facts.ctimeNs = Nanoseconds(info.st_ctim);
  return facts;
}

// Files are opened without waiting, which a regular file's reads all but
// never notice; one that asks to wait after all is switched to waiting reads
// then, rather than every file paying for the switch when it is opened.
bool Block(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_NONBLOCK) != 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    opened_ = other.opened_;
    other.fd_ = -1;
  }
  return *this;
}

FileHandle::~FileHandle() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<FileFacts> FileHandle::Facts() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return std::nullopt;
  return FactsOf(info);
}

long FileHandle::ReadFull(void* buffer, std::size_t size) const {
  if (fd_ < 0) return -1;
  if (size > static_cast<std::size_t>(LONG_MAX)) size = static_cast<std::size_t>(LONG_MAX);
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd_, bytes + done, size - done);
    if (got < 0) {
      if (errno == EINTR || (errno == EAGAIN && Block(fd_))) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<long>(done);
}

long FileHandle::ReadSome(void* buffer, std::size_t size) const {
  if (fd_ < 0) return -1;
  if (size > static_cast<std::size_t>(LONG_MAX)) size = static_cast<std::size_t>(LONG_MAX);
  ssize_t got;
  do {
    got = ::read(fd_, buffer, size);
  } while (got < 0 && (errno == EINTR || (errno == EAGAIN && Block(fd_))));
  return static_cast<long>(got);
}

void FileHandle::AdviseSequential() const {
  if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

bool FileHandle::Rewind() const { return fd_ >= 0 && ::lseek(fd_, 0, SEEK_SET) == 0; }

bool PosixFileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& out) {
  out.clear();
  const ReachedPath reached(folder);
  if (reached.Name() == nullptr) return false;
  const int fd = ::openat(reached.Folder(), reached.Name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  int error = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      error = errno;
      break;
    }
    if (IsDotOrDotDot(entry->d_name)) continue;
    out.push_back({entry->d_name, KindOfDirentType(entry->d_type)});
  }
  ::closedir(dir);
  // The caller may want to know why the listing ended early.
  errno = error;
  return error == 0;
}

std::optional<FileFacts> PosixFileSystem::Examine(const std::string& path, bool followLink) {
  struct stat info {};
  const ReachedPath reached(path);
  if (reached.Name() == nullptr ||
      ::fstatat(reached.Folder(), reached.Name(), &info, followLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
    return std::nullopt;
  }
  return FactsOf(info);
}

std::optional<std::string> PosixFileSystem::Resolve(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result(resolved);
  std::free(resolved);
  return result;
}

namespace {

int OpenWithRetry(int folder, const char* path, int flags) {
  int fd;
  do {
    fd = ::openat(folder, path, flags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// openat for reading a regular file, without touching the access time where
// permitted. A link in the last component is not followed, and the open never
// waits: a FIFO, a device or a folder that took the file's place since it was
// listed is refused (a FIFO would block the open, a folder reads as nothing).
FileHandle OpenForReading(int folder, const char* path) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
  int fd = OpenWithRetry(folder, path, kFlags | O_NOATIME);
  // O_NOATIME is refused with EPERM on files the caller does not own.
  if (fd < 0 && errno == EPERM) fd = OpenWithRetry(folder, path, kFlags);
  if (fd < 0) return FileHandle();
  struct stat info {};
  const bool examined = ::fstat(fd, &info) == 0;
  if (!examined || !S_ISREG(info.st_mode)) {
    const int error = !examined ? errno : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = error;
    return FileHandle();
  }
  return FileHandle(fd, FactsOf(info));
}

}  // namespace

FileHandle PosixFileSystem::OpenRead(const std::string& path) {
  const ReachedPath reached(path);
  if (reached.Name() == nullptr) return FileHandle();
  return OpenForReading(reached.Folder(), reached.Name());
}

FileHandle PosixFileSystem::OpenFolder(const std::string& folder) {
  const ReachedPath reached(folder);
  if (reached.Name() == nullptr) return FileHandle();
  return FileHandle(::openat(reached.Folder(), reached.Name(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

FileHandle PosixFileSystem::OpenReadAt(const FileHandle& folder, const std::string& name, const std::string& path) {
  if (!folder.IsOpen()) return OpenRead(path);
  return OpenForReading(folder.Fd(), name.c_str());
}

namespace {

// Files of head batches held open at once by all reading threads together,
// whatever their number: far below the usual limit of 1024 descriptors.
constexpr int kMostHeldOpen = 256;
std::atomic<int> heldOpen{0};

// What the page cache holds of `fd` from where it stands, up to `size` bytes,
// read without waiting for the disk, which is asked meanwhile for what the
// cache lacks; 0 when nothing could be read so.
std::size_t ReadWithoutWaiting(int fd, std::uint8_t* bytes, std::size_t size) {
  iovec part{bytes, size};
  ssize_t got;
  do {
    got = ::preadv2(fd, &part, 1, -1, RWF_NOWAIT);
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

// A head whose read has been started and not finished.
struct StartedHead {
  FileHandle file;
  std::size_t index = 0;
  std::size_t wanted = 0;
  std::size_t got = 0;
};

void Finish(const StartedHead& started, FileHead& head) {
  const long rest = started.file.ReadFull(head.bytes.data() + started.got, started.wanted - started.got);
  if (rest < 0) return;
  head.complete = true;
  head.count = static_cast<std::uint32_t>(started.got + static_cast<std::size_t>(rest));
}

void FinishAll(std::vector<StartedHead>& started, std::span<FileHead> heads) {
  for (const StartedHead& head : started) Finish(head, heads[head.index]);
  heldOpen.fetch_sub(static_cast<int>(started.size()), std::memory_order_relaxed);
  started.clear();
}

// Heads read as the caller would read them one by one; a file that cannot be
// opened or read is left to the caller, which tells why. Every file of the
// batch is opened, and given what the cache holds of it, before any read
// waits: the disk's reads of the others are then under way together, and the
// thread waits about once per batch instead of once per file. A read that
// reaches the size the open found has found the file's end.
void ReadHeadsByCalls(std::span<const HeadRequest> requests, std::span<FileHead> heads) {
  std::vector<StartedHead> started;
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const HeadRequest& request = requests[i];
    FileHead& head = heads[i];
    head.complete = false;
    const bool byName = request.folder != nullptr && request.folder->IsOpen();
    const int folder = byName ? request.folder->Fd() : AT_FDCWD;
    const char* name = byName ? request.name : request.path->c_str();
    FileHandle file = OpenForReading(folder, name);
    if (!file.IsOpen() && errno == EMFILE && !started.empty()) {
      FinishAll(started, heads);
      file = OpenForReading(folder, name);
    }
    if (!file.IsOpen()) continue;
    const std::uint64_t size = file.OpenedFacts()->size;
    head.kind = EntryKind::File;
    head.size = size;
    const std::size_t wanted = size <= kSmallFileBytes ? kSmallFileBytes : kHeadBytes;
    const std::size_t got = ReadWithoutWaiting(file.Fd(), head.bytes.data(), wanted);
    if (got == wanted || got == size) {
      head.complete = true;
      head.count = static_cast<std::uint32_t>(got);
      continue;
    }
    StartedHead later{std::move(file), i, wanted, got};
    if (heldOpen.fetch_add(1, std::memory_order_relaxed) >= kMostHeldOpen) {
      heldOpen.fetch_sub(1, std::memory_order_relaxed);
      Finish(later, head);
      continue;
    }
    started.push_back(std::move(later));
  }
  FinishAll(started, heads);
}

// Small files read whole as the caller would read them one by one, opened
// through their folder where the next file shares it; a file that cannot be
// opened, or that holds more than it may, is left to the caller.
void ReadWholeFilesByCalls(FileSystem& fs, std::span<const WholeRequest> requests, const OnWholeFile& onRead) {
  std::vector<std::uint8_t> bytes;
  BatchFolders folders;
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const WholeRequest& request = requests[i];
    if (request.most > kMostBytesReadWhole) continue;
    const PlaceInFolder place = folders.Place(*request.path, i + 1 < requests.size() ? requests[i + 1].path : nullptr);
    const FileHandle file =
        place.folder == AT_FDCWD ? fs.OpenRead(*request.path) : OpenForReading(place.folder, place.name);
    if (!file.IsOpen()) continue;
    // One byte more than the file may hold: a read that falls short of it has
    // found the file's end.
    bytes.resize(static_cast<std::size_t>(request.most) + 1);
    const long count = file.ReadFull(bytes.data(), bytes.size());
    const std::optional<FileFacts> facts = file.OpenedFacts();
    if (count < 0 || static_cast<std::size_t>(count) == bytes.size() ||
        facts->size != static_cast<std::uint64_t>(count))
      continue;
    onRead(i, *facts, std::span(bytes.data(), static_cast<std::size_t>(count)));
  }
}

// Reads a batch the way `choice` (or `only`) says, timing it for the choice.
// Where the ring cannot be had, its batch is read with calls, untimed, unless
// only the ring may read.
template <typename ByRing, typename ByCalls>
void ReadBatch(ReadMethodChoice& choice, std::optional<ReadMethod> only, std::size_t files, ByRing byRing,
               ByCalls byCalls) {
  using Clock = std::chrono::steady_clock;
  const ReadMethod method = only ? *only : choice.Next();
  const Clock::time_point start = Clock::now();
  if (method == ReadMethod::Ring) {
    const bool read = byRing();
    if (!only) choice.Record(method, Clock::now() - start, read ? files : 0);
    if (read || only) return;
    byCalls();
    return;
  }
  byCalls();
  if (!only) choice.Record(method, Clock::now() - start, files);
}

}  // namespace

void PosixFileSystem::ReadHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads) {
  ReadBatch(
      headReads_, only_, requests.size(), [&] { return ReadFileHeads(requests, heads); },
      [&] { ReadHeadsByCalls(requests, heads); });
}

void PosixFileSystem::ReadWholeFiles(std::span<const WholeRequest> requests, const OnWholeFile& onRead) {
  ReadBatch(
      wholeReads_, only_, requests.size(), [&] { return ReadSmallFilesWhole(requests, onRead); },
      [&] { ReadWholeFilesByCalls(*this, requests, onRead); });
}

bool PosixFileSystem::Exists(const std::string& path) {
  const ReachedPath reached(path);
  return reached.Name() != nullptr && ::faccessat(reached.Folder(), reached.Name(), F_OK, 0) == 0;
}

bool PosixFileSystem::Unlink(const std::string& path) {
  const ReachedPath reached(path);
  return reached.Name() != nullptr && ::unlinkat(reached.Folder(), reached.Name(), 0) == 0;
}

FileSystem& SystemFileSystem() {
  static PosixFileSystem system;
  return system;
}

}  // namespace kestrilo
