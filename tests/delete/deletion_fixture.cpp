#include "delete/deletion_fixture.h"

#include <filesystem>
#include <utility>

#include "platform/path_text.h"
#include "support/result_rows.h"

namespace kestrilo::testing {

void MountFakingFileSystem::FakeMount(std::string mountPoint, std::uint64_t device, bool network) {
  mounts_.push_back(MountInfo{device, std::move(mountPoint), network});
}

namespace {

std::filesystem::path NativePath(const std::string& path) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// Where `path` lies once the links on its way (and, when `followLink`, the
// path itself) are followed; the path itself when that cannot be told.
std::string Located(const std::string& path, bool followLink) {
  std::error_code error;
  if (followLink) {
    const auto real = std::filesystem::canonical(NativePath(path), error);
    return error ? path : Utf8Of(real);
  }
  const auto slash = path.rfind(kSeparator);
  if (slash == std::string::npos || slash == 0) return path;
  const auto folder = std::filesystem::canonical(NativePath(path.substr(0, slash)), error);
  return error ? path : Utf8Of(folder) + path.substr(slash);
}

}  // namespace

const FileSystem::MountInfo* MountFakingFileSystem::FakedMountOf(const std::string& path, bool followLink) const {
  const std::string located = Located(path, followLink);
  for (const auto& mount : mounts_) {
    if (located == mount.mountPoint || located.starts_with(mount.mountPoint + kSeparator)) return &mount;
  }
  return nullptr;
}

bool MountFakingFileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& out) {
  return inner_.ListFolder(folder, out);
}

std::optional<FileFacts> MountFakingFileSystem::Examine(const std::string& path, bool followLink) {
  auto facts = inner_.Examine(path, followLink);
  if (const auto* mount = FakedMountOf(path, followLink); facts && mount) facts->id.device = mount->device;
  return facts;
}

FileHandle MountFakingFileSystem::OpenRead(const std::string& path) { return inner_.OpenRead(path); }

bool MountFakingFileSystem::Exists(const std::string& path) { return inner_.Exists(path); }

bool MountFakingFileSystem::Unlink(const std::string& path) { return inner_.Unlink(path); }

std::optional<FileSystem::MountInfo> MountFakingFileSystem::MountOf(const std::string& path) {
  if (const auto* mount = FakedMountOf(path, true)) return *mount;
  return inner_.MountOf(path);
}

void DeletionWorld::RunCheck() {
  session.SetReaderThreads(1);
  session.GetFiles(tree.Root());
  session.RunDuplicateCheck();
}

void DeletionWorld::LayOut(const std::vector<HandRow>& rows) {
  laidOut.clear();
  for (const auto& entry : rows) {
    const std::string relative = entry.folder.empty() ? entry.name : entry.folder + kSeparator + entry.name;
    tree.Write(relative, entry.content);
    const int group = entry.group.empty() ? 0 : std::stoi(entry.group);
    laidOut.push_back(MadeRow(group, entry.name, entry.content.size(), FolderCell(entry.folder)));
  }
  results.Replace(laidOut);
  grid.SetRow(1);
}

void DeletionWorld::ReplaceRow(int number, ResultRow row) {
  const auto index = static_cast<std::size_t>(number - 1);
  if (index == laidOut.size()) {
    laidOut.push_back(std::move(row));
  } else {
    laidOut.at(index) = std::move(row);
  }
  results.Replace(laidOut);
  grid.SetRow(1);
}

std::string DeletionWorld::FolderCell(const std::string& folder) const {
  return folder.empty() ? tree.Root() : tree.Path(folder);
}

std::string DeletionWorld::RootCell() const {
#ifdef _WIN32
  return tree.Root().substr(0, 2);
#else
  return "";
#endif
}

std::string DeletionWorld::FullPath(int row) const { return JoinFolderAndName(grid.Cell(3, row), grid.Cell(1, row)); }

int DeletionWorld::RowOf(const std::string& relative) const {
  const std::string path = tree.Path(relative);
  for (int row = 1; row < grid.RowCount() - 1; ++row) {
    if (FullPath(row) == path) return row;
  }
  return -1;
}

std::vector<std::string> DeletionWorld::Groups() const {
  std::vector<std::string> groups;
  for (int row = 1; row < grid.RowCount() - 1; ++row) groups.push_back(grid.Cell(0, row));
  return groups;
}

bool DeletionWorld::IsFile(const std::string& relative) const {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::symlink_status(NativePath(tree.Path(relative)), error));
}

}  // namespace kestrilo::testing
