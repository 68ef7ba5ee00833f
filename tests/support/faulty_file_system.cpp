#include "support/faulty_file_system.h"

#include <cerrno>

#include "platform/path_text.h"

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

void FaultyFileSystem::PutInCloud(const std::string& path) {
  std::lock_guard lock(mutex_);
  inCloud_.insert(path);
}

std::size_t FaultyFileSystem::OpensOf(const std::string& path) const {
  std::lock_guard lock(mutex_);
  const auto found = opensOf_.find(path);
  return found == opensOf_.end() ? 0 : found->second;
}

// Counts the open; false when it is to fail.
bool FaultyFileSystem::Opening(const std::string& path) {
  ++opens_;
  std::lock_guard lock(mutex_);
  ++opensOf_[path];
  if (failOpen_.count(path) == 0) return true;
  errno = EACCES;
  return false;
}

void FaultyFileSystem::Clear() {
  std::lock_guard lock(mutex_);
  failOpen_.clear();
  failList_.clear();
  failListAfter_.clear();
  failUnlink_.clear();
  inCloud_.clear();
  opensOf_.clear();
}

bool FaultyFileSystem::InSet(const std::set<std::string>& set, const std::string& path) const {
  std::lock_guard lock(mutex_);
  return set.count(path) != 0;
}

bool FaultyFileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& out) {
  ++listings_;
  if (InSet(failList_, folder)) {
    out.clear();
    errno = EACCES;
    return false;
  }
  std::optional<std::size_t> keep;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = failListAfter_.find(folder); found != failListAfter_.end()) keep = found->second;
  }
  const bool complete = inner_.ListFolder(folder, out);
  {
    std::lock_guard lock(mutex_);
    for (auto& entry : out)
      entry.inCloud = entry.inCloud || inCloud_.count(WithTrailingSeparator(folder) + entry.name) != 0;
  }
  if (!complete) return false;
  if (!keep || out.size() <= *keep) return true;
  out.resize(*keep);
  errno = EIO;
  return false;
}

std::optional<FileFacts> FaultyFileSystem::Examine(const std::string& path, bool followLink) {
  auto facts = inner_.Examine(path, followLink);
  if (facts && InSet(inCloud_, path)) facts->inCloud = true;
  if (facts && facts->kind == EntryKind::Folder) {
    facts->mtimeNs -= folderAgeNs_;
    facts->ctimeNs -= folderAgeNs_;
  }
  return facts;
}

std::optional<std::string> FaultyFileSystem::Resolve(const std::string& path) { return inner_.Resolve(path); }

FileHandle FaultyFileSystem::OpenRead(const std::string& path) {
  if (!Opening(path)) return FileHandle();
  return inner_.OpenRead(path);
}

FileHandle FaultyFileSystem::OpenFolder(const std::string& folder) { return inner_.OpenFolder(folder); }

FileHandle FaultyFileSystem::OpenReadAt(const FileHandle& folder, const std::string& name, const std::string& path) {
  if (!Opening(path)) return FileHandle();
  return inner_.OpenReadAt(folder, name, path);
}

bool FaultyFileSystem::Exists(const std::string& path) { return inner_.Exists(path); }

bool FaultyFileSystem::Unlink(const std::string& path) {
  if (InSet(failUnlink_, path)) {
    errno = EACCES;
    return false;
  }
  return inner_.Unlink(path);
}

FileHandle FaultyFileSystem::OpenToRemove(const std::string& path) {
  if (!Opening(path)) return FileHandle();
  return inner_.OpenToRemove(path);
}

FileHandle FaultyFileSystem::OpenToKeep(const std::string& path) {
  if (!Opening(path)) return FileHandle();
  return inner_.OpenToKeep(path);
}

bool FaultyFileSystem::RemoveOpen(const FileHandle& file, const std::string& path) {
  if (InSet(failUnlink_, path)) {
    errno = EACCES;
    return false;
  }
  return inner_.RemoveOpen(file, path);
}

std::optional<FileSystem::MountInfo> FaultyFileSystem::MountOf(const std::string& path) { return inner_.MountOf(path); }

}  // namespace kestrilo
