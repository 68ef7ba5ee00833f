#pragma once
// The System V ELF string hash (the PJW hash of the ELF symbol table).

#include <cstdint>
#include <string_view>

namespace kestrilo {

std::uint32_t ElfHash(std::string_view text);

}  // namespace kestrilo
