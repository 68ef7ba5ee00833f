#pragma once
// A FileSystem that passes everything to another one, except for the paths it
// is told to fail: a file that cannot be opened, a folder that cannot be listed,
// a removal that fails. It can also date every folder back, as if each had last
// changed long ago, and counts the listings and the files opened. Used by
// tests; thread-safe to read while a job runs once set up.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace kestrilo {

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  void FailOpen(const std::string& path);
  void FailList(const std::string& folder);
  // Listing `folder` fails after its first `entries` entries.
  void FailListAfter(const std::string& folder, std::size_t entries);
  void FailUnlink(const std::string& path);
  // Lists and examines the file or folder at `path` as a cloud client's
  // placeholder.
  void PutInCloud(const std::string& path);
  // Examine tells every folder's times `ns` earlier than they are.
  void DateFoldersBack(std::int64_t ns) { folderAgeNs_ = ns; }
  std::size_t Listings() const { return listings_; }
  std::size_t Opens() const { return opens_; }
  std::size_t OpensOf(const std::string& path) const;
  void Clear();

  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override;
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override;
  std::optional<std::string> Resolve(const std::string& path) override;
  FileHandle OpenRead(const std::string& path) override;
  FileHandle OpenFolder(const std::string& folder) override;
  FileHandle OpenReadAt(const FileHandle& folder, const std::string& name, const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool Unlink(const std::string& path) override;
  // A removal that holds both files fails where opening or unlinking is to.
  bool HoldsRemovals() const override { return inner_.HoldsRemovals(); }
  FileHandle OpenToRemove(const std::string& path) override;
  FileHandle OpenToKeep(const std::string& path) override;
  bool RemoveOpen(const FileHandle& file, const std::string& path) override;
  bool RemovalRefused(const std::string& path) override { return inner_.RemovalRefused(path); }
  std::optional<MountInfo> MountOf(const std::string& path) override;

 private:
  bool InSet(const std::set<std::string>& set, const std::string& path) const;
  bool Opening(const std::string& path);

  FileSystem& inner_;
  mutable std::mutex mutex_;
  std::set<std::string> failOpen_;
  std::set<std::string> failList_;
  std::map<std::string, std::size_t> failListAfter_;
  std::set<std::string> failUnlink_;
  std::set<std::string> inCloud_;
  std::map<std::string, std::size_t> opensOf_;
  std::atomic<std::int64_t> folderAgeNs_{0};
  std::atomic<std::size_t> listings_{0};
  std::atomic<std::size_t> opens_{0};
};

}  // namespace kestrilo
