#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "check/report.h"
#include "platform/path_text.h"

namespace kestrilo {

namespace {

bool WriteAll(int fd, const std::string& text) {
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool WriteReport(const ResultSet& results, int fd) {
  return ForEachReportPiece(results, [fd](const std::string& piece) { return WriteAll(fd, piece); });
}

namespace {

// A report aimed at a device or a pipe (/dev/null, /dev/stdout) is written
// straight into it: there is nothing to keep intact and nothing to rename.
ReportResult WriteInPlace(const std::string& path, const std::function<bool(int fd)>& write) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return ReportResult::CannotOpen;
  const bool written = write(fd);
  return ::close(fd) == 0 && written ? ReportResult::Saved : ReportResult::CannotWrite;
}

// An existing report is written into the file itself, as opening it for
// writing would: a file the user may not write is refused, and its owner, mode
// and hard links stay as they are, whether or not its folder is writable. It
// is emptied only once it has opened for writing.
ReportResult OverwriteFile(const std::string& path, const std::function<bool(int fd)>& write) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return ReportResult::CannotOpen;
  const bool written = ::ftruncate(fd, 0) == 0 && write(fd) && ::fsync(fd) == 0;
  return ::close(fd) == 0 && written ? ReportResult::Saved : ReportResult::CannotWrite;
}

// A new report is written beside its place and renamed into it only when
// every write succeeded, so that a failed save leaves no half-written file.
ReportResult CreateFile(const std::string& path, const std::function<bool(int fd)>& write) {
  std::string folder(FolderPartWithSeparator(path));
  std::string pattern = folder + ".kestrilo-report-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return ReportResult::CannotOpen;
  const std::string temp(name.data());

  // The permissions a file newly created by opening it would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);

  const bool written = write(fd) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return ReportResult::CannotWrite;
  }
  return ReportResult::Saved;
}

}  // namespace

ReportResult SaveReport(const ResultSet& results, const std::string& path) {
  return SaveFile(path, [&results](int fd) { return WriteReport(results, fd); });
}

ReportResult SaveFile(const std::string& chosen, const std::function<bool(int fd)>& write) {
  std::string path = chosen;
  struct stat target {};
  if (::lstat(chosen.c_str(), &target) == 0 && S_ISLNK(target.st_mode)) {
    // Write the file the link points to, not the link.
    if (char* resolved = ::realpath(chosen.c_str(), nullptr)) {
      path = resolved;
      std::free(resolved);
    }
  }
  if (::stat(path.c_str(), &target) != 0) return CreateFile(path, write);
  if (S_ISDIR(target.st_mode)) return ReportResult::CannotOpen;
  if (!S_ISREG(target.st_mode)) return WriteInPlace(path, write);
  return OverwriteFile(path, write);
}

}  // namespace kestrilo
