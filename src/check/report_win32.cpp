#include "check/report.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>

#include "platform/code_page_932.h"
#include "platform/path_text.h"
#include "platform/win32_paths.h"

namespace kestrilo {

namespace {

using Sink = std::function<bool(const std::string&)>;

std::string WithCrLf(const std::string& piece) {
  std::string text;
  text.reserve(piece.size() + piece.size() / 16);
  for (const char c : piece) {
    if (c == '\n') text.push_back('\r');
    text.push_back(c);
  }
  return text;
}

// Code page 932 when every name can be written in it; otherwise the whole
// report is UTF-8 after a byte-order mark, so that no name is lost or garbled.
bool EncodeReport(const ResultSet& results, const Sink& sink) {
  const bool inCodePage932 =
      ForEachReportPiece(results, [](const std::string& piece) { return ToCodePage932(piece).has_value(); });
  if (!inCodePage932 && !sink("\xEF\xBB\xBF")) return false;
  return ForEachReportPiece(results, [&](const std::string& piece) {
    const std::string lines = WithCrLf(piece);
    if (!inCodePage932) return sink(lines);
    const auto bytes = ToCodePage932(lines);
    return bytes && sink(*bytes);
  });
}

bool WriteAllToHandle(HANDLE file, const std::string& bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
    if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    left -= written;
  }
  return true;
}

}  // namespace

bool WriteReport(const ResultSet& results, int fd) {
  return EncodeReport(results, [fd](const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
      const int written = ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(left, INT_MAX)));
      if (written <= 0) return false;
      data += written;
      left -= static_cast<std::size_t>(written);
    }
    return true;
  });
}

namespace {

using HandleWriter = std::function<bool(HANDLE file)>;

// A device (NUL, CON) is written straight into: there is nothing to keep
// intact and nothing to rename. Anything else is written beside its place and
// moved over it only when every write succeeded; a read-only target is
// refused as opening it for writing would refuse it.
ReportResult SaveThrough(const std::string& chosen, const HandleWriter& write) {
  const std::wstring target = SystemPath(chosen);
  if (target.empty()) return ReportResult::CannotOpen;
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return ReportResult::CannotOpen;
  }

  const HANDLE existing = ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
  if (existing != INVALID_HANDLE_VALUE) {
    if (::GetFileType(existing) != FILE_TYPE_DISK) {
      const bool written = write(existing);
      return ::CloseHandle(existing) && written ? ReportResult::Saved : ReportResult::CannotWrite;
    }
    ::CloseHandle(existing);
  }

  static std::atomic<unsigned> saves{0};
  const std::string temp = std::string(FolderPartWithSeparator(chosen)) + ".kestrilo-report-" +
                           std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(saves++);
  const std::wstring tempPath = SystemPath(temp);
  const HANDLE file =
      ::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ReportResult::CannotOpen;
  const bool written = write(file) && ::FlushFileBuffers(file);
  const bool closed = ::CloseHandle(file);
  if (!written || !closed ||
      !::MoveFileExW(tempPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(tempPath.c_str());
    return ReportResult::CannotWrite;
  }
  return ReportResult::Saved;
}

}  // namespace

ReportResult SaveReport(const ResultSet& results, const std::string& chosen) {
  return SaveThrough(chosen, [&results](HANDLE file) {
    return EncodeReport(results, [file](const std::string& bytes) { return WriteAllToHandle(file, bytes); });
  });
}

ReportResult SaveFile(const std::string& chosen, const std::function<bool(int fd)>& write) {
  return SaveThrough(chosen, [&write](HANDLE file) {
    // A descriptor of its own over the handle; closing it would close the
    // handle, which the caller still closes itself.
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), file, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
      return false;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(copy), 0);
    if (fd < 0) {
      ::CloseHandle(copy);
      return false;
    }
    const bool written = write(fd);
    return ::_close(fd) == 0 && written;
  });
}

}  // namespace kestrilo
