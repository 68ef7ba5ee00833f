#include "platform/wide_text.h"

#include <cstdint>

namespace kestrilo {

std::optional<std::u16string> WidenUtf8(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length;
    char32_t code;
    if (lead < 0x80) {
      wide.push_back(lead);
      ++at;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return std::nullopt;
    }
    if (text.size() - at < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF) return std::nullopt;
    if (code < 0x10000) {
      wide.push_back(static_cast<char16_t>(code));
    } else {
      code -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
    at += length;
  }
  return wide;
}

std::string NarrowToUtf8(std::u16string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t code = text[at];
    if (code >= 0xD800 && code <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[at + 1] - 0xDC00);
      ++at;
    }
    if (code < 0x80) {
      narrow.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      narrow.push_back(static_cast<char>(0xC0 | (code >> 6)));
      narrow.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      narrow.push_back(static_cast<char>(0xE0 | (code >> 12)));
      narrow.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      narrow.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      narrow.push_back(static_cast<char>(0xF0 | (code >> 18)));
      narrow.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      narrow.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      narrow.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return narrow;
}

}  // namespace kestrilo
