#include "platform/file_system_win32.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/path_text.h"
#include "platform/win32_paths.h"

namespace kestrilo {

namespace {

HANDLE AsHandle(NativeHandle value) { return reinterpret_cast<HANDLE>(value); }

NativeHandle AsNative(HANDLE handle) { return reinterpret_cast<NativeHandle>(handle); }

// A reparse point that names another file or folder (symbolic link,
// junction); other reparse points (deduplicated or cloud files) hold their
// own data and are what they say they are.
bool StandsForAnotherName(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(tag);
}

// The cloud client's placeholders (Files On-Demand and the like); older
// headers lack the names.
constexpr DWORD kRecallOnOpen = 0x00040000;        // FILE_ATTRIBUTE_RECALL_ON_OPEN
constexpr DWORD kRecallOnDataAccess = 0x00400000;  // FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS

// Removal through a handle with the name gone at once (Windows 10 1709 and
// later); the headers offer them only to programs for that version alone.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;
struct DispositionInfoEx {
  DWORD flags;
};

// Whether reading the file (listing the folder) would make a cloud client
// download it: its content is not on this machine.
bool InCloud(DWORD attributes) {
  const DWORD recall = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                           ? kRecallOnOpen | kRecallOnDataAccess
                           : kRecallOnOpen | kRecallOnDataAccess | FILE_ATTRIBUTE_OFFLINE;
  return (attributes & recall) != 0;
}

EntryKind KindOf(DWORD attributes, DWORD tag) {
  if (StandsForAnotherName(attributes, tag)) return EntryKind::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::Folder;
  return EntryKind::File;
}

std::int64_t Nanoseconds(std::int64_t ticksSince1601) {
  constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;
  return (ticksSince1601 - kTicksFrom1601To1970) * 100;
}

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::optional<FileFacts> FactsOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) return std::nullopt;
  DWORD tag = 0;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    FILE_ATTRIBUTE_TAG_INFO tagInfo{};
    if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tagInfo, sizeof tagInfo)) {
      tag = tagInfo.ReparseTag;
    }
  }
  FileFacts facts;
  facts.id.device = info.dwVolumeSerialNumber;
  facts.id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  facts.kind = ::GetFileType(handle) == FILE_TYPE_DISK ? KindOf(info.dwFileAttributes, tag) : EntryKind::Other;
  facts.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  facts.inCloud = InCloud(info.dwFileAttributes);
  facts.mtimeNs = Nanoseconds(Ticks(info.ftLastWriteTime));
  // The change time also moves when the file is renamed or its attributes
  // change, like st_ctime; not every file system reports it.
  FILE_BASIC_INFO basic{};
  facts.ctimeNs = ::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)
                      ? Nanoseconds(basic.ChangeTime.QuadPart)
                      : facts.mtimeNs;
  return facts;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsReadOnly(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// errno for a failed removal, as FileSystem promises it.
void SetRemovalErrno(DWORD error, bool readOnly) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      errno = ENOENT;
      return;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      errno = EBUSY;
      return;
    case ERROR_ACCESS_DENIED:
      errno = readOnly ? EROFS : EACCES;
      return;
    case ERROR_WRITE_PROTECT:
      errno = EROFS;
      return;
    default:
      errno = EIO;
  }
}

// Opens a file on a disk that is what it says, not a link and not in the
// cloud, for `access`, letting others only read it.
FileHandle OpenHeld(const std::string& path, DWORD access) {
  const std::wstring wide = SystemPath(path);
  if (wide.empty()) {
    errno = ENOENT;
    return FileHandle();
  }
  const HANDLE handle = ::CreateFileW(wide.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    SetRemovalErrno(::GetLastError(), false);
    return FileHandle();
  }
  const auto facts = FactsOfHandle(handle);
  if (!facts || facts->kind != EntryKind::File || facts->inCloud) {
    ::CloseHandle(handle);
    errno = EACCES;
    return FileHandle();
  }
  return FileHandle(AsNative(handle), *facts);
}

HANDLE OpenForAttributes(const std::wstring& path, bool followLink) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
}

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::CloseHandle(AsHandle(fd_));
    fd_ = other.fd_;
    opened_ = other.opened_;
    other.fd_ = -1;
  }
  return *this;
}

FileHandle::~FileHandle() {
  if (fd_ >= 0) ::CloseHandle(AsHandle(fd_));
}

std::optional<FileFacts> FileHandle::Facts() const {
  if (fd_ < 0) return std::nullopt;
  return FactsOfHandle(AsHandle(fd_));
}

long FileHandle::ReadSome(void* buffer, std::size_t size) const {
  if (fd_ < 0) return -1;
  constexpr std::size_t kMostPerRead = 1u << 30;
  DWORD got = 0;
  if (!::ReadFile(AsHandle(fd_), buffer, static_cast<DWORD>(std::min(size, kMostPerRead)), &got, nullptr)) return -1;
  return static_cast<long>(got);
}

long FileHandle::ReadFull(void* buffer, std::size_t size) const {
  if (fd_ < 0) return -1;
  if (size > static_cast<std::size_t>(LONG_MAX)) size = static_cast<std::size_t>(LONG_MAX);
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const long got = ReadSome(bytes + done, size - done);
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<long>(done);
}

// Files are opened with FILE_FLAG_SEQUENTIAL_SCAN already.
void FileHandle::AdviseSequential() const {}

bool FileHandle::Rewind() const {
  return fd_ >= 0 && ::SetFilePointerEx(AsHandle(fd_), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
}

bool Win32FileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& out) {
  out.clear();
  const std::wstring pattern = SystemPath(WithTrailingSeparator(folder) + "*");
  if (pattern.empty()) return false;
  WIN32_FIND_DATAW data{};
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    // errno tells the walk a folder that is not there (or is a file) from
    // one that cannot be listed.
    switch (::GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
        return true;
      case ERROR_PATH_NOT_FOUND:
        errno = ENOENT;
        return false;
      case ERROR_DIRECTORY:
      case ERROR_INVALID_NAME:
        errno = ENOTDIR;
        return false;
      default:
        errno = EACCES;
        return false;
    }
  }
  do {
    const std::wstring_view name(data.cFileName);
    if (name == L"." || name == L"..") continue;
    // dwReserved0 holds the reparse tag of a reparse point.
    out.push_back({Utf8OfWide(name), KindOf(data.dwFileAttributes, data.dwReserved0), InCloud(data.dwFileAttributes)});
  } while (::FindNextFileW(search, &data));
  const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
  ::FindClose(search);
  if (!complete) errno = EIO;
  return complete;
}

std::optional<FileFacts> Win32FileSystem::Examine(const std::string& path, bool followLink) {
  const std::wstring wide = SystemPath(path);
  if (wide.empty()) return std::nullopt;
  const HANDLE handle = OpenForAttributes(wide, followLink);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  auto facts = FactsOfHandle(handle);
  ::CloseHandle(handle);
  return facts;
}

FileHandle Win32FileSystem::OpenRead(const std::string& path) {
  const std::wstring wide = SystemPath(path);
  if (wide.empty()) return FileHandle();
  const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FileHandle();
  // A file that went to the cloud since it was listed is refused before a
  // single byte is read.
  const auto facts = FactsOfHandle(handle);
  if (!facts || facts->kind != EntryKind::File || facts->inCloud) {
    ::CloseHandle(handle);
    return FileHandle();
  }
  return FileHandle(AsNative(handle), *facts);
}

bool Win32FileSystem::Exists(const std::string& path) {
  const std::wstring wide = SystemPath(path);
  return !wide.empty() && ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::Unlink(const std::string& path) {
  const std::wstring wide = SystemPath(path);
  if (wide.empty()) {
    errno = ENOENT;
    return false;
  }
  if (::DeleteFileW(wide.c_str())) return true;
  const DWORD error = ::GetLastError();
  SetRemovalErrno(error, IsReadOnly(::GetFileAttributesW(wide.c_str())));
  return false;
}

FileHandle Win32FileSystem::OpenToRemove(const std::string& path) { return OpenHeld(path, DELETE | GENERIC_READ); }

FileHandle Win32FileSystem::OpenToKeep(const std::string& path) { return OpenHeld(path, GENERIC_READ); }

bool Win32FileSystem::RemoveOpen(const FileHandle& file, const std::string& /*path*/) {
  const HANDLE handle = AsHandle(file.Fd());
  // The name goes at once, even while the handle stays open.
  DispositionInfoEx now{kDispositionDelete | kDispositionPosixSemantics};
  if (::SetFileInformationByHandle(handle, kFileDispositionInfoEx, &now, sizeof now)) return true;
  DWORD error = ::GetLastError();
  // Before Windows 10 1709, and on file systems without POSIX semantics
  // (FAT), the file goes when its handle is closed.
  if (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION) {
    FILE_DISPOSITION_INFO onClose{TRUE};
    if (::SetFileInformationByHandle(handle, FileDispositionInfo, &onClose, sizeof onClose)) return true;
    error = ::GetLastError();
  }
  BY_HANDLE_FILE_INFORMATION info{};
  SetRemovalErrno(error, ::GetFileInformationByHandle(handle, &info) && IsReadOnly(info.dwFileAttributes));
  return false;
}

bool Win32FileSystem::RemovalRefused(const std::string& path) {
  const std::wstring wide = SystemPath(path);
  if (wide.empty() || !IsReadOnly(::GetFileAttributesW(wide.c_str()))) return false;
  errno = EROFS;
  return true;
}

std::optional<FileSystem::MountInfo> Win32FileSystem::MountOf(const std::string& path) {
  MountInfo mount;
  const bool literal = path.starts_with("\\\\?\\") || path.starts_with("\\\\.\\");
  if (!literal && (path.starts_with("\\\\") || path.starts_with("//"))) {
    mount.isNetwork = true;
    return mount;
  }
  const std::wstring wide = SystemPath(path);
  if (wide.empty()) return std::nullopt;
  std::wstring volume(wide.size() + MAX_PATH, L'\0');
  if (!::GetVolumePathNameW(wide.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return std::nullopt;
  volume.resize(volume.find(L'\0'));
  if (volume.starts_with(L"\\\\?\\UNC\\")) {
    mount.isNetwork = true;
    return mount;
  }
  const std::wstring root = volume.starts_with(L"\\\\?\\") ? volume.substr(4) : volume;
  if (::GetDriveTypeW(root.c_str()) == DRIVE_REMOTE) {
    mount.isNetwork = true;
    return mount;
  }
  const auto facts = Examine(path, true);
  if (!facts) return std::nullopt;
  mount.device = facts->id.device;
  mount.mountPoint = Utf8OfWide(root);
  while (EndsWithSeparator(mount.mountPoint)) mount.mountPoint.pop_back();
  return mount;
}

FileSystem& SystemFileSystem() {
  static Win32FileSystem system;
  return system;
}

}  // namespace kestrilo
