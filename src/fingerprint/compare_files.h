#pragma once
// Whole-content comparison of two files.

#include <string>

#include "platform/file_system.h"

namespace kestrilo {

// 0 when both files open and have the same length and bytes; -1 when they
// differ or either cannot be opened. Both are closed before it returns.
int CompareFiles(FileSystem& fs, const std::string& first, const std::string& second);

// The same for two files open already, each read from where it stands.
int CompareOpenFiles(const FileHandle& first, const FileHandle& second);

}  // namespace kestrilo
