#include "store/elf_hash.h"

namespace kestrilo {

std::uint32_t ElfHash(std::string_view text) {
  std::uint32_t hash = 0;
  for (const char c : text) {
    hash = (hash << 4) + static_cast<unsigned char>(c);
    const std::uint32_t high = hash & 0xF0000000u;
    if (high != 0) hash ^= high >> 24;
    hash &= ~high;
  }
  return hash;
}

}  // namespace kestrilo
