#include "check/report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

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

bool WriteReport(const Grid& grid, int fd) {
  return ForEachReportPiece(grid, [fd](const std::string& piece) { return WriteAll(fd, piece); });
}

namespace {

// A report aimed at a device or a pipe (/dev/null, /dev/stdout) is written
// straight into it: there is nothing to keep intact and nothing to rename.
ReportResult WriteInPlace(const Grid& grid, const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return ReportResult::CannotOpen;
  const bool written = WriteReport(grid, fd);
  return ::close(fd) == 0 && written ? ReportResult::Saved : ReportResult::CannotWrite;
}

}  // namespace

ReportResult SaveReport(const Grid& grid, const std::string& chosen) {
  std::string path = chosen;
  struct stat target {};
  if (::lstat(chosen.c_str(), &target) == 0 && S_ISLNK(target.st_mode)) {
    // Replace the file the link points to, not the link.
    if (char* resolved = ::realpath(chosen.c_str(), nullptr)) {
      path = resolved;
      std::free(resolved);
    }
  }
  if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
    if (S_ISDIR(target.st_mode)) return ReportResult::CannotOpen;
    return WriteInPlace(grid, path);
  }

  std::string folder(FolderPartWithSeparator(path));
  std::string pattern = folder + ".kestrilo-report-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return ReportResult::CannotOpen;
  const std::string temp(name.data());

  // Keep the permissions an existing report has, and otherwise those a newly
  // created file would get.
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) {
    ::fchmod(fd, existing.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }

  const bool written = WriteReport(grid, fd) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return ReportResult::CannotWrite;
  }
  return ReportResult::Saved;
}

}  // namespace kestrilo
