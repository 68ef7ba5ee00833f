#include <gtest/gtest.h>

#include <string>

#include "cli/cli_options.h"
#include "cli/help_text.h"
#include "cli/run_cli.h"
#include "version/version.h"

namespace kestrilo::testing {
namespace {

struct OptionCase {
  std::vector<std::string> arguments;  // valid, and the first names the option
};

class CliHelp : public ::testing::TestWithParam<OptionCase> {};

// Every option the parser takes is in the help text and in the short usage.
TEST_P(CliHelp, DescribesEveryOptionTheParserTakes) {
  std::string error;
  EXPECT_TRUE(cli::ParseOptions(GetParam().arguments, error)) << error;
  const std::string& option = GetParam().arguments.front();
  EXPECT_NE(std::string(cli::kHelp).find(option), std::string::npos) << option;
  EXPECT_NE(std::string(cli::kUsage).find(option), std::string::npos) << option;
}

INSTANTIATE_TEST_SUITE_P(
    Options, CliHelp,
    ::testing::Values(OptionCase{{"--filter", "*.jpg", "/a"}}, OptionCase{{"--no-sort", "/a"}},
                      OptionCase{{"--format", "fdupes", "/a"}}, OptionCase{{"--report", "r", "/a"}},
                      OptionCase{{"--delete-below", "/a", "/a"}}, OptionCase{{"--delete-on-drive", "/a", "/a"}},
                      OptionCase{{"--yes", "/a"}}, OptionCase{{"--dry-run", "--delete-below", "/a", "/a"}},
                      OptionCase{{"--threads", "2", "/a"}}, OptionCase{{"--help"}}, OptionCase{{"--version"}}));

TEST(CliHelpRun, HelpAndVersionNeedNoPathAndExitZero) {
  const CliOutcome help = RunCliThrough("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, cli::kHelp);
  const CliOutcome version = RunCliThrough("-V");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("kestrilo-cli ") + kVersion + "\n");
  std::string error;
  EXPECT_FALSE(cli::ParseOptions({"--format", "xml", "/a"}, error));
  EXPECT_EQ(RunCliThrough("--format").status, 2);
}

}  // namespace
}  // namespace kestrilo::testing
