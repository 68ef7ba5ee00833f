#pragma once
// The forms in which kestrilo-cli lists the groups it found: the report
// ("group, name, size, folder" lines), the fdupes form (full paths, each group
// followed by a blank line) and one JSON document.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "check/result_set.h"

namespace kestrilo::cli {

enum class OutputFormat { Report, Fdupes, Json };

// "report", "fdupes" or "json"; nothing for any other name.
std::optional<OutputFormat> ParseOutputFormat(std::string_view name);

// The line end of the fdupes listing and of the dry run's plan: CR LF on
// Windows, where scripts and editors expect it.
#ifdef _WIN32
inline constexpr char kLineEnd[] = "\r\n";
#else
inline constexpr char kLineEnd[] = "\n";
#endif

// A path as one line of the fdupes form, so that every line is one path: on
// POSIX a backslash is written as two and a newline as backslash-n, every
// other byte as it is; on Windows, where no name holds a newline and the
// backslash is the separator, the path as it is.
std::string EscapedLine(std::string_view path);

// A path as a JSON string, quotes included. Bytes that are not part of valid
// UTF-8 are written as the lone surrogates \udc80 to \udcff (the byte plus
// 0xdc00), the form Python calls surrogateescape; valid UTF-8 never produces
// them, so the bytes can always be recovered.
std::string JsonString(std::string_view bytes);

// The numbered rows of `results` in `format`; `filesRegistered` is the walk's
// file count, which the JSON document carries.
std::string ListingText(const ResultSet& results, OutputFormat format, std::uint64_t filesRegistered);

// The same, written to an open descriptor; false when a write fails.
bool WriteListing(const ResultSet& results, OutputFormat format, std::uint64_t filesRegistered, int fd);

}  // namespace kestrilo::cli
