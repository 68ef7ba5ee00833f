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

// A path as one line of the fdupes form: a backslash is written as two and a
// newline as backslash-n, every other byte as it is, so that every line is one
// path.
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
