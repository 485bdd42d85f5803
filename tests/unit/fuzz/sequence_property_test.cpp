// Randomised checks of the update sequences: over a link whose every exchange may fail at
// random with random replies, and over the simulated controller with random fault
// schedules. Whatever happens, the sequence ends within its time-outs, runs its steps in
// order and stops at the first that fails, shows one outcome that tells the truth, frees
// the window, and carries the backed-up configuration back unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/Vexapad.h"
#include "platform/PhysicalMemory.h"
#include "tests/support/ImageFile.h"
#include "tests/support/MemoryBackupFolder.h"
#include "tests/support/RecordingView.h"
#include "tests/support/VirtualClock.h"
#include "tests/unit/fuzz/ChaosTransport.h"
#include "tests/unit/fuzz/PropertyRun.h"
#include "tests/unit/fuzz/RecordingDevice.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/RunContext.h"
#include "workflows/RunState.h"
#include "workflows/SequenceEnd.h"
#include "workflows/UpgradeSequence.h"

namespace {

using Link = CVexapadT<ChaosTransport>;

// The power byte as plain memory: the switch works, nothing is powered.
class ByteMemory final : public PhysicalMemory {
 public:
  void* Map(uint64_t, uint32_t length, void** handle) override {
    *handle = this;
    return length == 1 ? &byte_ : nullptr;
  }
  void Unmap(void*, void*) override {}

 private:
  uint8_t byte_ = 1;
};

enum class Kind { kUpgrade, kForced, kInitialize };

struct Walk {
  const std::vector<DeviceCall>& calls;
  size_t at = 0;
  const DeviceCall* Next(const char* name) {
    if (at < calls.size() && calls[at].name == name) {
      return &calls[at++];
    }
    ADD_FAILURE() << "expected \"" << name << "\" as device call " << at;
    return nullptr;
  }
};

// A restore write: tried again after a failure, three tries in all; the last one.
const DeviceCall* Retried(Walk& walk, const char* name) {
  const DeviceCall* call = nullptr;
  for (int attempt = 0; attempt < 3; ++attempt) {
    call = walk.Next(name);
    if (call == nullptr || call->ok) {
      break;
    }
  }
  return call;
}

// Walks the device calls of an upgrade in their required order; the outcome box it must end
// in: a failure until the image is across, then a success, warned unless everything saved
// went back. `savedMode` is the mode of the run's global copy.
std::wstring ExpectUpgradeOrder(const std::vector<DeviceCall>& calls, bool normal, bool global,
                                bool buttons, uint8_t savedMode) {
  Walk walk{calls};
  std::wstring outcome = L"box Upgrade failed!|error|error";
  [&] {
    const DeviceCall* call = nullptr;
    if (normal && (!(call = walk.Next("read buttons")) || !call->ok ||
                   !(call = walk.Next("read global")) || !call->ok)) {
      return;
    }
    if (!(call = walk.Next("upgrade")) || !call->ok) {
      return;
    }
    // The image is across: nothing later can undo that, only warn about the restore.
    outcome = L"retry? " + std::wstring(kRestoreFailedOutcome) + L"|warn|warning";
    const std::wstring clean = L"box Upgrade success|info|info";
    if (!global && !buttons) {
      outcome = clean;
      return;
    }
    if ((global && (!(call = Retried(walk, "write global")) || !call->ok)) ||
        (buttons && (!(call = Retried(walk, "write buttons")) || !call->ok))) {
      return;
    }
    const DeviceCall* version = walk.Next("read global");
    if (version == nullptr || !version->ok || walk.Next("save") == nullptr) {
      return;
    }
    // Only a global copy read in this run holds a mode to give back.
    if (version->versionByte < 3 || !global) {
      outcome = clean;
    } else if ((call = Retried(walk, "set mode")) != nullptr) {
      EXPECT_EQ(call->mode, savedMode) << "the mode saved before";
      outcome = call->ok ? clean : outcome;
    }
  }();
  EXPECT_EQ(walk.at, calls.size()) << "device calls after the sequence should have ended";
  return outcome;
}

// One outcome box that tells the truth, then the end of the sequence; the progress shown
// stays within the image and the bar's range.
void ExpectUpgradeEnd(const RecordingView& view, const std::wstring& end,
                      const std::wstring& outcome, size_t imageSize) {
  Lines boxes;
  for (const std::wstring& line : view.Calls()) {
    if (line.rfind(L"box ", 0) == 0 || line.rfind(L"retry? ", 0) == 0) {
      boxes.push_back(line);
    }
  }
  EXPECT_EQ(boxes, Lines{outcome});
  EXPECT_EQ(view.Calls().back(), end);
  const std::wstring total = L"/" + std::to_wstring(imageSize) + L" ";
  for (const std::wstring& text : view.CallsOf(L"status")) {
    if (text.rfind(L"Upgrading, progress: ", 0) == 0) {
      EXPECT_NE(text.find(total), std::wstring::npos) << "progress of another size: " << text;
    }
  }
  uint64_t last = 0;
  for (const std::wstring& position : view.CallsOf(L"progress")) {
    const uint64_t value = std::stoull(position);
    EXPECT_LE(value, 1000u);
    EXPECT_GE(value, last) << "the bar went back";
    last = value;
  }
}

struct ChaosSequenceRig {
  explicit ChaosSequenceRig(uint32_t seed) : chaos(seed) {
    chaos.openPercent = 50 + chaos.Below(51);
    chaos.writePercent = 85 + chaos.Below(16);
    chaos.readPercent = 85 + chaos.Below(16);
    chaos.presentPercent = chaos.Below(30);
    image.resize(chaos.Chance(5) ? 0 : 1 + chaos.Below(2500));
    for (unsigned char& byte : image) {
      byte = chaos.Byte();
    }
    file.Write(image);
  }

  ScopedVirtualClock clock;
  MemoryBackupFolder backups;
  Chaos chaos;
  Link link{*clock, chaos};
  RecordingDevice<Link> device{link};
  RecordingView view;
  RunState run;
  ByteMemory memory;
  RunContext context{.clock = *clock, .memory = &memory, .backups = &backups};
  ImageFile file;
  std::vector<unsigned char> image;
};

void RunChaosUpgrade(ChaosSequenceRig& rig, bool normal) {
  const bool global = normal || rig.chaos.Chance(60);
  const bool buttons = normal || rig.chaos.Chance(60);
  if (global) {
    rig.run.GlobalRead(GlobalConfig{});
  }
  if (buttons) {
    rig.run.ButtonsRead(ButtonConfig{});
  }
  if (normal) {
    UpgradeSequence(rig.device, rig.context, rig.view, rig.run, rig.file.Path());
  } else {
    ForceUpgradeSequence(rig.device, rig.context, rig.view, rig.run, rig.file.Path());
  }
  std::wstring outcome = L"box Read firmware file failed!|error|error";
  if (rig.image.empty()) {
    EXPECT_TRUE(rig.device.calls.empty()) << "an empty image reached the controller";
  } else {
    outcome = ExpectUpgradeOrder(rig.device.calls, normal, global, buttons,
                                 rig.run.Global().block[kModeByte]);
  }
  ExpectUpgradeEnd(rig.view, normal ? L"end update" : L"end forced upgrade", outcome,
                   rig.image.size());
}

void RunChaosInitialize(ChaosSequenceRig& rig) {
  rig.view.stopRequested = rig.chaos.Chance(10);
  InitializeSequence(rig.device, rig.context, rig.view, rig.run,
                     [&rig] { return ChaosTransport(rig.chaos); });
  const auto& calls = rig.device.calls;
  ASSERT_EQ(calls.size(), 2u) << "Initialize reads both blocks, whatever the first gave";
  EXPECT_EQ(calls[0].name, "read buttons");
  EXPECT_EQ(calls[1].name, "read global");
  EXPECT_EQ(rig.run.Buttons().backedUp, calls[0].ok);
  EXPECT_EQ(rig.run.Global().backedUp, calls[1].ok);
  size_t scans = 0;
  bool found = false;
  for (const ChaosEvent& event : rig.chaos.events) {
    if (event.kind == ChaosEvent::Kind::kScan) {
      EXPECT_TRUE(event.boot);
      EXPECT_FALSE(found) << "a scan after the boot loader was seen";
      ++scans;
      found = event.ok;
    }
  }
  EXPECT_LE(scans, 15u);
  EXPECT_EQ(rig.view.Count(L"flash off"), 1u);
  EXPECT_EQ(rig.view.Count(L"boot loader found"), found ? 1u : 0u);
  EXPECT_EQ(rig.view.Count(L"stop?"), rig.view.stopRequested ? 1u : scans);
  EXPECT_EQ(rig.view.Calls().back(), L"end initialize");
  EXPECT_TRUE(rig.view.CallsOf(L"box").empty());
}

}  // namespace

TEST(SequenceProperty, AnyDeviceBehaviourEndsEverySequenceTruthfullyAndInBounds) {
  property::ForEachSeed(150, [](uint32_t seed) {
    ChaosSequenceRig rig(seed);
    const Kind kind = static_cast<Kind>(rig.chaos.Below(3));
    const uint32_t startMs = rig.clock->NowMs();
    if (kind == Kind::kInitialize) {
      RunChaosInitialize(rig);
    } else {
      RunChaosUpgrade(rig, kind == Kind::kUpgrade);
    }
    // Beyond what the device took: a 220 ms pause per open attempt, the power cycle's 3 s,
    // the second before the mode and Initialize's fifteen one-second scans.
    size_t opens = 0;
    for (const ChaosEvent& event : rig.chaos.events) {
      opens += event.kind == ChaosEvent::Kind::kOpen ? 1 : 0;
    }
    EXPECT_LE(rig.clock->NowMs() - startMs, rig.chaos.chargedMs + 220 * opens + 19000);
  });
}
