#include "platform/reached_path.h"

#include <cerrno>
#include <climits>

#include "platform/path_text.h"

namespace kestrilo {

ReachedPath::ReachedPath(const std::string& path) : name_(path.c_str()) {
  std::size_t at = 0;
  while (path.size() - at >= PATH_MAX) {
    // The longest leading piece that ends before a separator and leaves room
    // for the terminator.
    const std::size_t cut = path.rfind(kSeparator, at + PATH_MAX - 2);
    if (cut == std::string::npos || cut <= at) {
      errno = ENAMETOOLONG;
      name_ = nullptr;
      return;
    }
    const std::string piece = path.substr(at, cut - at);
    FileHandle next(::openat(Folder(), piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!next.IsOpen()) {
      name_ = nullptr;
      return;
    }
    folder_ = std::move(next);
    at = cut + 1;
  }
  // A path that ends with a separator right after a piece names that folder.
  name_ = at != 0 && at == path.size() ? "." : path.c_str() + at;
}

}  // namespace kestrilo
