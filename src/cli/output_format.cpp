#include "cli/output_format.h"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "check/report.h"
#include "platform/path_text.h"

namespace kestrilo::cli {

namespace {

constexpr std::size_t kPiece = 64 * 1024;

// Length of the valid UTF-8 sequence at the start of `text`, 0 when there is
// none (a stray byte, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  std::uint32_t low;
  std::uint32_t high;
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2, low = 0x80, high = 0x7ff;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3, low = 0x800, high = 0xffff;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4, low = 0x10000, high = 0x10ffff;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  std::uint32_t code = lead & (0xffu >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xc0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3f);
  }
  if (code < low || code > high || (code >= 0xd800 && code <= 0xdfff)) return 0;
  return length;
}

void AppendHex4(std::string& out, unsigned value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xf];
}

// Rows of each group, in grid order; index 0 stays empty.
std::vector<std::vector<int>> RowsByGroup(const ResultSet& results) {
  std::vector<std::vector<int>> groups;
  const int last = results.Count();
  for (int row = 1; row <= last; ++row) {
    const int shown = results.GroupOf(row);
    if (shown <= 0) continue;
    const auto group = static_cast<std::size_t>(shown);
    if (groups.size() <= group) groups.resize(group + 1);
    groups[group].push_back(row);
  }
  return groups;
}

// Hands the listing to `sink` a piece at a time; stops when the sink refuses.
template <typename Sink>
bool ProduceListing(const ResultSet& results, OutputFormat format, std::uint64_t filesRegistered, Sink sink) {
  const auto groups = RowsByGroup(results);
  std::string text;
  auto flush = [&](bool always) {
    if (!always && text.size() < kPiece) return true;
    const bool taken = text.empty() || sink(text);
    text.clear();
    return taken;
  };
  std::size_t groupCount = 0;
  std::size_t fileCount = 0;
  if (format == OutputFormat::Json) text += "{\n  \"groups\": [";
  for (std::size_t group = 1; group < groups.size(); ++group) {
    if (groups[group].empty()) continue;
    const auto& rows = groups[group];
    if (format == OutputFormat::Json) {
      text += groupCount == 0 ? "\n" : ",\n";
      text += "    {\"group\": " + std::to_string(group) +
              ", \"size\": " + std::to_string(results.At(rows.front()).size) + ", \"paths\": [";
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::string path = results.PathOf(rows[i]);
      if (format == OutputFormat::Json) {
        if (i > 0) text += ", ";
        text += JsonString(path);
      } else {
        text += EscapedLine(path);
        text += kLineEnd;
      }
      if (!flush(false)) return false;
    }
    text += format == OutputFormat::Json ? "]}" : kLineEnd;
    ++groupCount;
    fileCount += rows.size();
  }
  if (format == OutputFormat::Json) {
    text += groupCount == 0 ? "],\n" : "\n  ],\n";
    text += "  \"group_count\": " + std::to_string(groupCount) + ",\n";
    text += "  \"files_in_groups\": " + std::to_string(fileCount) + ",\n";
    text += "  \"files_registered\": " + std::to_string(filesRegistered) + "\n}\n";
  }
  return flush(true);
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::optional<OutputFormat> ParseOutputFormat(std::string_view name) {
  if (name == "report") return OutputFormat::Report;
  if (name == "fdupes") return OutputFormat::Fdupes;
  if (name == "json") return OutputFormat::Json;
  return std::nullopt;
}

std::string EscapedLine(std::string_view path) {
#ifdef _WIN32
  return std::string(path);
#else
  std::string line;
  line.reserve(path.size());
  for (const char c : path) {
    if (c == '\\') {
      line += "\\\\";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  return line;
#endif
}

std::string JsonString(std::string_view bytes) {
  std::string out = "\"";
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) {
      AppendHex4(out, 0xdc00u + static_cast<unsigned char>(bytes.front()));
      bytes.remove_prefix(1);
      continue;
    }
    const char c = bytes.front();
    if (length > 1) {
      out.append(bytes.substr(0, length));
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      AppendHex4(out, static_cast<unsigned char>(c));
    } else {
      out += c;
    }
    bytes.remove_prefix(length);
  }
  out += '"';
  return out;
}

std::string ListingText(const ResultSet& results, OutputFormat format, std::uint64_t filesRegistered) {
  if (format == OutputFormat::Report) return ReportText(results);
  std::string whole;
  ProduceListing(results, format, filesRegistered, [&whole](const std::string& piece) {
    whole += piece;
    return true;
  });
  return whole;
}

bool WriteListing(const ResultSet& results, OutputFormat format, std::uint64_t filesRegistered, int fd) {
  if (format == OutputFormat::Report) return WriteReport(results, fd);
  return ProduceListing(results, format, filesRegistered,
                        [fd](const std::string& piece) { return WriteAll(fd, piece); });
}

}  // namespace kestrilo::cli
