#include "support/faulty_file_system.h"

#include <cerrno>

namespace kestrilo {

void FaultyFileSystem::FailOpen(const std::string& path) {
  std::lock_guard lock(mutex_);
  failOpen_.insert(path);
}

void FaultyFileSystem::FailList(const std::string& folder) {
  std::lock_guard lock(mutex_);
  failList_.insert(folder);
}

void FaultyFileSystem::FailListAfter(const std::string& folder, std::size_t entries) {
  std::lock_guard lock(mutex_);
  failListAfter_[folder] = entries;
}

void FaultyFileSystem::FailUnlink(const std::string& path) {
  std::lock_guard lock(mutex_);
  failUnlink_.insert(path);
}

void FaultyFileSystem::Clear() {
  std::lock_guard lock(mutex_);
  failOpen_.clear();
  failList_.clear();
  failListAfter_.clear();
  failUnlink_.clear();
}

bool FaultyFileSystem::Fails(const std::set<std::string>& set, const std::string& path) const {
  std::lock_guard lock(mutex_);
  return set.count(path) != 0;
}

bool FaultyFileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& out) {
  ++listings_;
  if (Fails(failList_, folder)) {
    out.clear();
    errno = EACCES;
    return false;
  }
  std::optional<std::size_t> keep;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = failListAfter_.find(folder); found != failListAfter_.end()) keep = found->second;
  }
  if (!inner_.ListFolder(folder, out)) return false;
  if (!keep || out.size() <= *keep) return true;
  out.resize(*keep);
  errno = EIO;
  return false;
}

std::optional<FileFacts> FaultyFileSystem::Examine(const std::string& path, bool followLink) {
  auto facts = inner_.Examine(path, followLink);
  if (facts && facts->kind == EntryKind::Folder) {
    facts->mtimeNs -= folderAgeNs_;
    facts->ctimeNs -= folderAgeNs_;
  }
  return facts;
}

std::optional<std::string> FaultyFileSystem::Resolve(const std::string& path) { return inner_.Resolve(path); }

FileHandle FaultyFileSystem::OpenRead(const std::string& path) {
  ++opens_;
  if (Fails(failOpen_, path)) {
    errno = EACCES;
    return FileHandle();
  }
  return inner_.OpenRead(path);
}

FileHandle FaultyFileSystem::OpenFolder(const std::string& folder) { return inner_.OpenFolder(folder); }

FileHandle FaultyFileSystem::OpenReadAt(const FileHandle& folder, const std::string& name, const std::string& path) {
  ++opens_;
  if (Fails(failOpen_, path)) {
    errno = EACCES;
    return FileHandle();
  }
  return inner_.OpenReadAt(folder, name, path);
}

bool FaultyFileSystem::Exists(const std::string& path) { return inner_.Exists(path); }

bool FaultyFileSystem::Unlink(const std::string& path) {
  if (Fails(failUnlink_, path)) {
    errno = EACCES;
    return false;
  }
  return inner_.Unlink(path);
}

std::optional<FileSystem::MountInfo> FaultyFileSystem::MountOf(const std::string& path) { return inner_.MountOf(path); }

}  // namespace kestrilo
