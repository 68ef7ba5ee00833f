#include "cli/console_status.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrilo::testing {
namespace {

// What a walk of three files and a comparison writes to the console.
std::string ConsoleText(bool terminal) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = ::open_memstream(&buffer, &size);
  {
    cli::ConsoleStatus status(out, terminal);
    status.SetPanelText(1, "walk");
    status.SetWalking(true);
    for (const char* count : {"1", "2", "3"}) status.SetPanelText(0, count);
    status.SetWalking(false);
    status.SetComparing(true);
    status.SetCompared(1024, 3 * 1024 * 1024);
    status.SetPanelText(0, "1/2/3");
    status.SetCompared(3 * 1024 * 1024, 3 * 1024 * 1024);
    status.SetComparing(false);
    status.SetPanelText(1, "done");
  }
  std::fclose(out);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

TEST(ConsoleStatusProgress, ShowsRateAndBytesOnATerminalOnly) {
  const std::string terminal = ConsoleText(true);
  EXPECT_NE(terminal.find("\r\033[K1 files, "), std::string::npos) << terminal;
  EXPECT_NE(terminal.find(" files/s"), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("\r\033[K3 files\n"), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("\r\033[K1/2/3, 3.0 MiB of 3.0 MiB compared\n"), std::string::npos) << terminal;
  EXPECT_EQ(terminal.substr(terminal.size() - 5), "done\n");
  EXPECT_EQ(ConsoleText(false), "walk\n1/2/3\ndone\n");
}

TEST(ConsoleStatusProgress, HumanBytes) {
  EXPECT_EQ(cli::HumanBytes(0), "0 B");
  EXPECT_EQ(cli::HumanBytes(1023), "1023 B");
  EXPECT_EQ(cli::HumanBytes(1536), "1.5 KiB");
  EXPECT_EQ(cli::HumanBytes(5ull << 40), "5.0 TiB");
}

}  // namespace
}  // namespace kestrilo::testing
