#pragma once
// The platform's file operations, behind one interface so that tests can make a
// file unopenable, a folder unlistable or a removal fail (tests run as root,
// where permissions cannot do that).
//
// Every descriptor is opened with O_CLOEXEC and closed by the operation (or the
// FileHandle) that opened it. Paths may be of any length: the real file system
// reaches one longer than PATH_MAX through folder handles (ReachedPath).

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/read_method_choice.h"

namespace kestrilo {

enum class EntryKind : std::uint8_t { File, Folder, Link, Other, Unknown };

struct DirEntry {
  std::string name;
  EntryKind kind = EntryKind::Unknown;
  // A file or folder whose content a cloud client keeps elsewhere and would
  // download when it is read (a folder: when it is listed). Never on POSIX.
  bool inCloud = false;
};

// Identity of a file: two paths name one file when both fields are equal.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileFacts {
  FileIdentity id;
  EntryKind kind = EntryKind::Unknown;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
  std::int64_t ctimeNs = 0;
  // As DirEntry::inCloud.
  bool inCloud = false;
  friend bool operator==(const FileFacts&, const FileFacts&) = default;
};

// Now on the system clock, which file times follow.
inline std::int64_t SystemClockNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Whether a file's times were settled at `momentNs`: they come from a coarse
// clock, and some file systems keep whole seconds (FAT two), so a file changed
// within this margin before may change again without its times moving.
inline constexpr std::int64_t kTimestampMarginNs = 2'000'000'000;
inline bool SettledAt(const FileFacts& facts, std::int64_t momentNs) {
  return facts.ctimeNs <= momentNs - kTimestampMarginNs && facts.mtimeNs <= momentNs - kTimestampMarginNs;
}

// Whether adding, removing or renaming an entry always moves its folder's
// change time, as POSIX requires. Windows makes no such promise (FAT, for
// one, keeps no change time).
#ifdef _WIN32
inline constexpr bool kFolderTimesShowChanges = false;
#else
inline constexpr bool kFolderTimesShowChanges = true;
#endif

// A descriptor on POSIX; on Windows the value of a HANDLE, whose invalid value
// is -1 as well.
#ifdef _WIN32
using NativeHandle = std::intptr_t;
#else
using NativeHandle = int;
#endif

// An open descriptor, closed when the handle goes.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(NativeHandle fd) : fd_(fd) {}
  // A handle whose opener examined the open file already.
  FileHandle(NativeHandle fd, const FileFacts& opened) : fd_(fd), opened_(opened) {}
  FileHandle(FileHandle&& other) noexcept : fd_(other.fd_), opened_(other.opened_) { other.fd_ = -1; }
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle();

  bool IsOpen() const { return fd_ >= 0; }
  NativeHandle Fd() const { return fd_; }
  // Facts of the open file (fstat).
  std::optional<FileFacts> Facts() const;
  // The facts of the file as it was opened: those its opener took, else Facts().
  std::optional<FileFacts> OpenedFacts() const { return opened_ ? opened_ : Facts(); }
  // Reads up to `size` bytes, retrying short reads and EINTR until `size`
  // bytes or the end; -1 on a read error.
  long ReadFull(void* buffer, std::size_t size) const;
  // One read of up to `size` bytes (EINTR retried): the count, 0 at the end,
  // -1 on a read error.
  long ReadSome(void* buffer, std::size_t size) const;
  // Tells the system that the file will be read once, start to end.
  void AdviseSequential() const;
  // Goes back to the first byte; false when it cannot.
  bool Rewind() const;

 private:
  NativeHandle fd_ = -1;
  std::optional<FileFacts> opened_;
};

// A file whose kind, size and first bytes are wanted (FileSystem::ReadHeads).
inline constexpr std::size_t kHeadBytes = 2048;
// A file of at most this many bytes is read whole along with its head: one
// page, so that it costs the reader no more than the head alone.
inline constexpr std::size_t kSmallFileBytes = 2 * kHeadBytes;

struct HeadRequest {
  const FileHandle* folder = nullptr;  // may be null or closed: then `path` is used
  const char* name = nullptr;          // NUL-terminated name within the folder
  const std::string* path = nullptr;   // the full path
};

struct FileHead {
  // False where this reader could not tell; the caller then opens the file
  // itself. A file whose open or read failed is always left incomplete.
  bool complete = false;
  EntryKind kind = EntryKind::Unknown;
  std::uint64_t size = 0;
  // Bytes read into `bytes`: the first kHeadBytes, or all of a file that
  // held at most kSmallFileBytes.
  std::uint32_t count = 0;
  std::array<std::uint8_t, kSmallFileBytes> bytes;
};

// A file wanted whole (FileSystem::ReadWholeFiles), expected to hold at most
// `most` bytes.
struct WholeRequest {
  const std::string* path = nullptr;
  std::uint32_t most = 0;
};

// The real file system reads whole, many at once, only files expected to hold
// at most this many bytes.
inline constexpr std::uint32_t kMostBytesReadWhole = 64 * 1024 - 1;

// Told of a file read whole: its place among the requests, its facts and its
// bytes, which stay valid during the call only.
using OnWholeFile = std::function<void(std::size_t place, const FileFacts& facts, std::span<const std::uint8_t> bytes)>;

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The entries of `folder` in the order the system returns them, "." and ".."
  // left out. False when the folder cannot be listed. The folder's handle is
  // closed before this returns. An entry whose type the system does not report
  // is Unknown (Examine tells). When reading fails partway, the result is false
  // and `out` holds the entries read before the failure. On false, errno says
  // why (ENOENT: there is no such folder).
  virtual bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) = 0;

  // lstat (followLink false) or stat (true); nothing when the path cannot be
  // examined.
  virtual std::optional<FileFacts> Examine(const std::string& path, bool followLink) = 0;

  // The path with every link on its way resolved (realpath); nothing when it
  // cannot be resolved or this file system cannot tell.
  virtual std::optional<std::string> Resolve(const std::string& /*path*/) { return std::nullopt; }

  // Opens a regular file for reading (O_RDONLY | O_CLOEXEC, O_NOATIME where
  // permitted). A link in the last component is never followed, and anything
  // but a regular file (a folder, FIFO, socket or device) is refused without
  // waiting; the handle then is not open.
  virtual FileHandle OpenRead(const std::string& path) = 0;

  // A handle on a folder through which its files can be opened by name
  // without the system walking the whole path again (O_PATH); not open when
  // this file system offers none.
  virtual FileHandle OpenFolder(const std::string& /*folder*/) { return FileHandle(); }
  // Opens `name` of the folder behind `folder` for reading, as OpenRead opens
  // `path`, which names the same file.
  virtual FileHandle OpenReadAt(const FileHandle& /*folder*/, const std::string& /*name*/, const std::string& path) {
    return OpenRead(path);
  }

  // The kind, size and first kHeadBytes bytes (all the bytes of a file of at
  // most kSmallFileBytes) of many files at once, where this file system can
  // get them faster than file by file; a head left
  // incomplete is to be read with OpenReadAt, which tells why it failed. As
  // with OpenRead, links are not followed and only regular files are read.
  virtual void ReadHeads(std::span<const HeadRequest> /*requests*/, std::span<FileHead> heads) {
    for (auto& head : heads) head.complete = false;
  }

  // Small files read whole, many at once, where this file system can read
  // them faster than file by file: `onRead` is told, on the calling thread, of
  // each file that was read as one regular file of at most `most` bytes that
  // did not change while it was read. A file it is not told of is to be read
  // with OpenRead, which tells why it failed. As with OpenRead, links are not
  // followed and only regular files are read.
  virtual void ReadWholeFiles(std::span<const WholeRequest> /*requests*/, const OnWholeFile& /*onRead*/) {}

  // access(path, F_OK) == 0.
  virtual bool Exists(const std::string& path) = 0;

  // unlink(path) == 0.
  virtual bool Unlink(const std::string& path) = 0;

  // A removal that holds both files, where the system can (Windows): the file
  // to remove opened for reading and removal (OpenToRemove) and the copy that
  // vouches for its content opened for reading (OpenToKeep), both with
  // writing, renaming and removal by anyone else denied while they are open,
  // so that neither can change between the check and the removal; then the
  // file removed through its handle (RemoveOpen, `path` being its name). A
  // file that another program holds open for writing cannot be opened so.
  // Elsewhere (POSIX) a removal goes by path: Examine, OpenRead, Unlink.
  // Every failure leaves errno saying why: ENOENT the file is gone, EBUSY
  // another program has it open, EROFS it is read-only, EACCES no right.
  virtual bool HoldsRemovals() const { return false; }
  virtual FileHandle OpenToRemove(const std::string& /*path*/) { return FileHandle(); }
  virtual FileHandle OpenToKeep(const std::string& /*path*/) { return FileHandle(); }
  virtual bool RemoveOpen(const FileHandle& /*file*/, const std::string& /*path*/) { return false; }

  // Whether removing `path` is bound to fail whatever happens first (a
  // read-only file on Windows); errno then says why, as for a removal.
  virtual bool RemovalRefused(const std::string& /*path*/) { return false; }

  // Device id and whether the file system holding `path` is a network or FUSE
  // mount, and its mount point.
  struct MountInfo {
    std::uint64_t device = 0;
    std::string mountPoint;
    bool isNetwork = false;
  };
  virtual std::optional<MountInfo> MountOf(const std::string& path) = 0;
};

// The real thing. Batches of heads and of small files are read through
// io_uring or with plain calls, whichever has proved faster so far, unless
// `only` names one way (then, without io_uring, nothing is read in batches
// at all).
class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(std::optional<ReadMethod> only = std::nullopt) : only_(only) {}
  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override;
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override;
  std::optional<std::string> Resolve(const std::string& path) override;
  FileHandle OpenRead(const std::string& path) override;
  FileHandle OpenFolder(const std::string& folder) override;
  FileHandle OpenReadAt(const FileHandle& folder, const std::string& name, const std::string& path) override;
  void ReadHeads(std::span<const HeadRequest> requests, std::span<FileHead> heads) override;
  void ReadWholeFiles(std::span<const WholeRequest> requests, const OnWholeFile& onRead) override;
  bool Exists(const std::string& path) override;
  bool Unlink(const std::string& path) override;
  std::optional<MountInfo> MountOf(const std::string& path) override;

 private:
  std::optional<ReadMethod> only_;
  ReadMethodChoice headReads_;
  ReadMethodChoice wholeReads_{&headReads_};
};

// The process's real file system.
FileSystem& SystemFileSystem();

}  // namespace kestrilo
