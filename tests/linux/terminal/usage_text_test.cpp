// The usage made from the tables of commands and options: each command with its operand and
// each option listed once, at the start of a line, between the synopsis and the notes.
#include <gtest/gtest.h>

#include <string>

#include "frontends/terminal/CommandLine.h"
#include "frontends/terminal/CommandTable.h"

namespace {

size_t CountLinesStartingWith(const std::string& text, const std::string& start) {
  size_t count = 0;
  for (size_t at = text.find("\n" + start); at != std::string::npos;
       at = text.find("\n" + start, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

TEST(UsageText, ListsEveryCommandOfTheTableOnce) {
  const std::string usage = UsageText();
  for (const CommandSpec& command : Commands()) {
    std::string entry = std::string("  ") + command.name + " ";
    if (command.operand != nullptr) {
      entry += std::string("[") + command.operand + "]";
    }
    EXPECT_EQ(CountLinesStartingWith(usage, entry), 1u) << command.name;
  }
  EXPECT_EQ(CountLinesStartingWith(usage, "  decline         keep what the controller holds"), 1u);
  EXPECT_EQ(CountLinesStartingWith(usage, "  history [--json]  list every run"), 1u);
}

TEST(UsageText, ListsEveryOptionOnceBetweenTheSynopsisAndTheNotes) {
  const std::string usage = UsageText();
  EXPECT_EQ(
      usage.rfind("Usage: padwright [--verbose] [--ignore-battery] [--yes] COMMAND [FILE]\n", 0),
      0u);
  for (const char* option :
       {"  -h, --help      show this text\n", "      --version   show", "  -v, --verbose   list",
        "      --ignore-battery\n", "  -y, --yes       start", "      --json      history:"}) {
    EXPECT_EQ(CountLinesStartingWith(usage, option), 1u) << option;
  }
  const size_t options = usage.find("\nOptions:\n");
  ASSERT_NE(options, std::string::npos);
  EXPECT_LT(usage.find("\nCommands:\n"), options);
  EXPECT_GT(usage.find("\nupdate and recover switch the controller's power"), options);
  const std::string end = "doctor: 0 when an update could run now, else 1.\n";
  EXPECT_EQ(usage.substr(usage.size() - end.size()), end);
}
