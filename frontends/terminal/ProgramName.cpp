// The program as the user started it (see ProgramName.h).
#include "frontends/terminal/ProgramName.h"

#include "platform/PrintableText.h"

namespace {

std::string& Kept() {
  static std::string name = "padwright";
  return name;
}

}  // namespace

std::string ProgramNameFor(std::string_view argv0) {
  return argv0.find('/') == std::string_view::npos ? std::string("padwright") : ShellQuote(argv0);
}

void RememberProgramName(const char* argv0) {
  Kept() = ProgramNameFor(argv0 != nullptr ? argv0 : "");
}

const std::string& ProgramName() {
  return Kept();
}
