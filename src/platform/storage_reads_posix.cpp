#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <string_view>

#include "platform/storage_reads.h"

namespace kestrilo {

std::optional<std::uint64_t> StorageReadBytes() {
  // Linux's accounting of the process's I/O: "read_bytes: N" among its lines.
  const int fd = ::open("/proc/self/io", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::array<char, 512> text;
  const ssize_t got = ::read(fd, text.data(), text.size());
  ::close(fd);
  if (got <= 0) return std::nullopt;
  const std::string_view lines(text.data(), static_cast<std::size_t>(got));
  constexpr std::string_view kKey = "read_bytes: ";
  const std::size_t at = lines.find(kKey);
  if (at == std::string_view::npos || (at > 0 && lines[at - 1] != '\n')) return std::nullopt;
  std::uint64_t bytes = 0;
  const char* first = lines.data() + at + kKey.size();
  if (std::from_chars(first, lines.data() + lines.size(), bytes).ec != std::errc()) return std::nullopt;
  return bytes;
}

}  // namespace kestrilo
