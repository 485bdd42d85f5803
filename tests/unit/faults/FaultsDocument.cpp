// Names of the fault cases, and docs/FAULTS.md written from the fault matrix.
#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/unit/faults/FaultMatrix.h"

namespace {

struct Names {
  const char* id;
  const char* text;
};

const Names kSequences[] = {
    {"Update", "Update"}, {"ForceUpdate", "Force update"}, {"Initialize", "Initialize"}};

const Names kSteps[] = {
    {"ButtonBackup", "button backup (block 16)"},
    {"GlobalBackup", "global backup"},
    {"EnterPacket", "restart into the boot loader"},
    {"BootLoaderWait", "wait for the boot loader"},
    {"FirstPacket", "first data packet"},
    {"MiddlePacket", "middle data packet (11th of 21)"},
    {"LastPacket", "last data packet"},
    {"EndPacket", "end packet"},
    {"GlobalRestore", "global restore"},
    {"ButtonRestore", "button restore (block 16)"},
    {"VersionRead", "version read"},
    {"Save", "save"},
    {"Mode", "mode restore"},
    {"PowerCycle", "power cycle (after the check)"},
    {"PowerCheck", "power switch check"},
};

const Names kFaults[] = {
    {"NoReply", "no reply"},
    {"LateReply", "reply after the 10 s time-out"},
    {"ShortReply", "short reply (32 of 65 bytes)"},
    {"WrongReportLength", "wrong report length (64)"},
    {"DeviceGone", "device gone"},
    {"NeverAppears", "boot loader never appears"},
    {"AppearsLate", "boot loader appears after 10.5 s"},
    {"SwitchUnavailable", "power switch unavailable"},
};

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      // UTF-8 of the few full-width signs in the texts (all below U+10000).
      const unsigned u = static_cast<unsigned>(c);
      if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
      } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      }
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::string Texts(const Lines& texts, size_t from) {
  std::string text;
  for (size_t i = from; i < texts.size(); ++i) {
    text += (i == from ? "\"" : " → \"") + Narrow(texts[i]) + "\"";
  }
  return text;
}

// The status texts from the first one that differs from the run without the fault.
std::string StatusChange(const FaultCase& fault) {
  const Lines& plain = FaultFree(fault.sequence).statuses;
  const Lines& seen = fault.expect.statuses;
  size_t same = 0;
  while (same < plain.size() && same < seen.size() && plain[same] == seen[same]) {
    ++same;
  }
  if (same == seen.size() && same == plain.size()) {
    return "as without the fault";
  }
  // From the last text the two runs share, for context.
  const std::string text = Texts(seen, same > 0 ? same - 1 : 0);
  return same == seen.size() ? text + ", and no more" : text;
}

std::string Requests(const std::string& codes) {
  return codes.empty() ? "none" : "`" + codes + "`";
}

std::string Outcome(const FaultCase& fault) {
  switch (fault.expect.ending) {
    case Ending::kSuccess:
      return "\"Upgrade success\" (info box)";
    case Ending::kWarned:
      return "\"Upgrade success\" + \"The saved configuration could not be restored.\" (warn box, "
             "Retry and Cancel)";
    case Ending::kFailure:
      return "\"Upgrade failed!\" (error box)";
    case Ending::kRefused:
      return fault.sequence == Sequence::kInitialize ? "Initialize enabled again"
                                                     : "\"Power switch unavailable!\" (error box)";
    case Ending::kForceUpdateReady:
      return "Force update enabled";
    case Ending::kWaitTimedOut:
      return "Initialize enabled again";
  }
  return "";
}

std::string Kept(const FaultCase& fault) {
  const Expectation& e = fault.expect;
  if (e.ending == Ending::kRefused) {
    return "untouched: nothing sent";
  }
  if (fault.sequence == Sequence::kInitialize) {
    return std::string("backed up: ") + (e.buttonsBackedUp ? "buttons" : "buttons: none") +
           (e.globalBackedUp ? ", global" : ", global: none");
  }
  if (e.ending == Ending::kFailure) {
    return "not restarted; its configuration untouched";
  }
  std::string restored;
  for (auto [done, name] :
       {std::pair{e.restored.global, "global"}, std::pair{e.restored.buttons, "buttons"},
        std::pair{e.restored.mode, "mode"}}) {
    if (done) {
      restored += (restored.empty() ? "" : ", ") + std::string(name);
    }
  }
  return "new image; restored: " + (restored.empty() ? std::string("nothing") : restored);
}

std::string Seconds(uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof(text), ms % 1000 == 0 ? "%.0f s" : "%.1f s", ms / 1000.0);
  return ms == 0 ? "none" : text;
}

std::string Summary(const std::vector<FaultCase>& cases) {
  size_t counts[6] = {};
  size_t initializeRefused = 0;
  uint32_t longest = 0;
  for (const FaultCase& fault : cases) {
    if (fault.sequence == Sequence::kInitialize && fault.expect.ending == Ending::kRefused) {
      ++initializeRefused;
    } else {
      ++counts[static_cast<size_t>(fault.expect.ending)];
    }
    longest = std::max(longest, fault.expect.extraWaitMs);
  }
  auto count = [&](Ending ending) { return std::to_string(counts[static_cast<size_t>(ending)]); };
  return "- " + std::to_string(cases.size()) + " cases. Upgrades: " + count(Ending::kSuccess) +
         " end in \"Upgrade success\" with everything restored, " + count(Ending::kWarned) +
         " in \"Upgrade success\" with the warning that the saved configuration could not be "
         "restored (the image was across in both), " +
         count(Ending::kFailure) + " in \"Upgrade failed!\", " + count(Ending::kRefused) +
         " are refused before anything is sent. Initialize: " + count(Ending::kForceUpdateReady) +
         " runs still enable Force update, " + count(Ending::kWaitTimedOut) + " time out, " +
         std::to_string(initializeRefused) + " refused.\n- No fault costs more than " +
         Seconds(longest) + " over the same run without it.\n";
}

const char kIntro[] =
    "# Faults and what Padwright does about them\n"
    "\n"
    "Generated from the fault matrix of the unit tests (`tests/unit/faults/`), which runs\n"
    "every case below against the simulated controller in virtual time and checks all its\n"
    "columns. The test `FaultsDocument.MatchesTheMatrix` fails when this file and the\n"
    "matrix differ; to write it again:\n"
    "`PADWRIGHT_WRITE_FAULTS=1 build/native/bin/unit_tests --gtest_filter='FaultsDocument.*'`.\n"
    "\n"
    "The image is 1177 bytes: 21 data packets, the last one of 17 bytes. The new firmware is\n"
    "version 4 and starts from factory settings, so only the restore brings the user's back.\n"
    "Force update runs after an Initialize that backed up both blocks. In every case, besides\n"
    "its row: the sequence ends; an upgrade shows exactly one outcome box and then frees the\n"
    "window (Select, Refresh and its button enabled, the version read again); no data packet\n"
    "follows a failed one and none is sent twice; every request is well formed; an upgrade\n"
    "that ends in success delivered the whole image, and says so with a warning when not\n"
    "everything it saved went back; one that fails never restarted the controller and left\n"
    "its configuration untouched; a backup that fails keeps nothing of what it read, so the\n"
    "copies hold only the user's complete blocks. A restore write (global block, button\n"
    "table, mode) whose answer is lost is sent up to three times. The copies are saved on\n"
    "disk before anything is sent; that backup is pending from the first data packet until\n"
    "all of it went back (the warn box is answered Cancel here, so it stays pending).\n"
    "\n"
    "Columns: *Status line* lists the texts from the last one shared with a run without the\n"
    "fault. *Requests taken* are the command codes the controller and its boot loader\n"
    "took, in order (`06x33`: 33 times command 0x06). *Extra wait* bounds how much longer\n"
    "the run takes than without the fault.\n"
    "\n"
    "## Summary\n"
    "\n";

}  // namespace

std::string SequenceName(Sequence sequence) {
  return kSequences[static_cast<size_t>(sequence)].text;
}

std::string StepName(DeviceStep step) {
  return kSteps[static_cast<size_t>(step)].text;
}

std::string FaultName(Injected fault) {
  return kFaults[static_cast<size_t>(fault)].text;
}

std::string CaseId(const FaultCase& fault) {
  return std::string(kSequences[static_cast<size_t>(fault.sequence)].id) + "_" +
         kSteps[static_cast<size_t>(fault.step)].id + "_" +
         kFaults[static_cast<size_t>(fault.fault)].id;
}

void PrintTo(const FaultCase& fault, std::ostream* out) {
  *out << SequenceName(fault.sequence) << ", " << StepName(fault.step) << ", "
       << FaultName(fault.fault);
}

std::string FaultsMarkdown() {
  const std::vector<FaultCase>& cases = FaultCases();
  std::string text = kIntro + Summary(cases);
  for (Sequence sequence : {Sequence::kUpgrade, Sequence::kForcedUpgrade, Sequence::kInitialize}) {
    text += "\n## " + SequenceName(sequence) + "\n\n";
    const Expectation plain = FaultFree(sequence);
    text += "Without a fault: " + Texts(plain.statuses, 0) + "; requests taken `" + plain.requests +
            "`.\n";
    text +=
        "\n| Step | Fault | Status line | Outcome | Requests taken | Controller | Extra wait |\n"
        "|---|---|---|---|---|---|---|\n";
    for (const FaultCase& fault : cases) {
      if (fault.sequence != sequence) {
        continue;
      }
      text += "| " + StepName(fault.step) + " | " + FaultName(fault.fault) + " | " +
              StatusChange(fault) + " | " + Outcome(fault) + " | " +
              Requests(fault.expect.requests) + " | " + Kept(fault) + " | " +
              Seconds(fault.expect.extraWaitMs) + " |\n";
    }
  }
  return text;
}
