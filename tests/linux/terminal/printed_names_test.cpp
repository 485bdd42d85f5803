// What others named, as padwright prints it: escaped for the terminal, quoted for the shell
// in a command for the user to run, offered as a unit to stop only when it is a plain unit
// name, and the program named as it was started.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

#include "frontends/terminal/ProgramName.h"
#include "frontends/terminal/SharedController.h"
#include "platform/PrintableText.h"
#include "platform/linux/DeviceHolders.h"

namespace {

struct Named {
  const char* what;
  std::string text;
  std::string escaped;
  std::string quoted;
  bool plainUnit;
  std::string program;  // as argv[0]
};

TEST(PrintedNames, HostileNamesAreEscapedQuotedAndNeverOfferedAsUnits) {
  const Named table[] = {
      {"plain unit", "hhd@deck.service", "hhd@deck.service", "hhd@deck.service", true, "padwright"},
      {"unit with systemd's escapes", "dev-hidraw\\x2d2.device", "dev-hidraw\\x2d2.device",
       "'dev-hidraw\\x2d2.device'", true, "padwright"},
      {"file name with blanks", "My Firmware (1).vxf", "My Firmware (1).vxf",
       "'My Firmware (1).vxf'", false, "padwright"},
      {"unpacked release", "./padwright", "./padwright", "./padwright", false, "./padwright"},
      {"path with a blank", "/opt/My Tools/padwright", "/opt/My Tools/padwright",
       "'/opt/My Tools/padwright'", false, "'/opt/My Tools/padwright'"},
      {"escape sequence", "evil\x1b[2J.service", "evil\\x1b[2J.service", "$'evil\\x1b[2J.service'",
       false, "padwright"},
      {"newline faking a line", "x\nOK", "x\\x0aOK", "$'x\\x0aOK'", false, "padwright"},
      {"C1 control (CSI)",
       "a\xc2\x9b"
       "31m",
       "a\\xc2\\x9b31m", "$'a\\xc2\\x9b31m'", false, "padwright"},
      {"right-to-left override",
       "gpj.\xe2\x80\xae"
       "exe",
       "gpj.\\xe2\\x80\\xaeexe", "$'gpj.\\xe2\\x80\\xaeexe'", false, "padwright"},
      {"not UTF-8", "\xe9.vxf", "\\xe9.vxf", "$'\\xe9.vxf'", false, "padwright"},
      {"UTF-8 letter", "caf\xc3\xa9.vxf", "caf\xc3\xa9.vxf", "'caf\xc3\xa9.vxf'", false,
       "padwright"},
      {"quote, backslash, bell", "a'b\\c\x07", "a'b\\c\\x07", "$'a\\'b\\\\c\\x07'", false,
       "padwright"},
      {"command substitution", "$(reboot).service", "$(reboot).service", "'$(reboot).service'",
       false, "padwright"},
      {"quote in a unit", "it's.service", "it's.service", "'it'\\''s.service'", false, "padwright"},
      {"taken for an option", "-x.service", "-x.service", "-x.service", false, "padwright"},
      {"no unit suffix", "hhd@deck", "hhd@deck", "hhd@deck", false, "padwright"},
      {"home folder", "~root", "~root", "'~root'", false, "padwright"},
      {"assignment", "a=b/padwright", "a=b/padwright", "'a=b/padwright'", false, "'a=b/padwright'"},
      {"empty", "", "", "''", false, "padwright"},
  };
  for (const Named& row : table) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(EscapeControls(row.text), row.escaped);
    EXPECT_EQ(ShellQuote(row.text), row.quoted);
    EXPECT_EQ(IsPlainUnitName(row.text), row.plainUnit);
    EXPECT_EQ(ProgramNameFor(row.text), row.program);
  }
  // The program's own texts keep their line breaks, nothing else.
  EXPECT_EQ(EscapeControls("one\ntwo\r\x1b", true), "one\ntwo\\x0d\\x1b");

  // A holder of the controller as doctor and update name it.
  DeviceHolder holder;
  holder.pid = 42;
  holder.command = "evil\x1b[2J";
  holder.unit = {"x\x1b]0;owned\x07.service", SystemdUnit::Manager::kSystem, 0};
  EXPECT_EQ(HolderText(holder),
            "evil\\x1b[2J (pid 42, x\\x1b]0;owned\\x07.service) has the controller open; if "
            "the update fails, stop it first");
  holder.command = "steam";
  holder.unit = {"app-steam@autostart.service", SystemdUnit::Manager::kUser, getuid()};
  EXPECT_EQ(HolderText(holder),
            "steam (pid 42, app-steam@autostart.service) has the controller open; if the update "
            "fails, stop it first: systemctl --user stop app-steam@autostart.service");
  // Another user's manager is named by its user.
  holder.unit.managerUid = getuid() == 0 ? 65534 : 0;
  const passwd* other = getpwuid(holder.unit.managerUid);
  EXPECT_EQ(HolderText(holder),
            "steam (pid 42, app-steam@autostart.service) has the controller open; if the update "
            "fails, stop it first" +
                (other != nullptr ? ": sudo systemctl --user -M " + std::string(other->pw_name) +
                                        "@ stop app-steam@autostart.service"
                                  : std::string()));
}

}  // namespace
