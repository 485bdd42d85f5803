// The terminal's view follows the sequences' events, not their texts: with every status text
// reworded, the flash (on which the command's signal guard and logind's shutdown inhibitor
// hang) still spans everything that changes the controller, and ends with the device work.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "frontends/terminal/TerminalView.h"
#include "tests/support/SequenceRig.h"
#include "tests/support/VirtualClock.h"
#include "workflows/UpgradeSequence.h"

namespace {

// Passes every call on to `inner`, each status and outcome text replaced by a text of its own.
class RewordingView final : public SequenceView {
 public:
  explicit RewordingView(SequenceView& inner) : inner_(inner) {}

  void SequenceStarted(SequenceKind kind) override { inner_.SequenceStarted(kind); }
  void SequenceEnded(SequenceKind kind) override { inner_.SequenceEnded(kind); }
  void Notify(SequenceEvent event) override { inner_.Notify(event); }
  void SetStatus(const std::wstring&) override {
    inner_.SetStatus(L"Step " + std::to_wstring(++steps_));
  }
  void SetProgress(uint64_t position, const std::wstring& text) override {
    inner_.SetProgress(position, text.empty() ? text : L"Moving along");
  }
  void SetKeptStatus(const KeptController&) override { SetStatus(std::wstring()); }
  void ShowOutcome(const SequenceOutcome& outcome) override {
    inner_.ShowOutcome(Reworded(outcome, L"Done"));
  }
  bool OfferRetry(const SequenceOutcome& outcome) override {
    return inner_.OfferRetry(Reworded(outcome, L"Again?"));
  }
  bool StopRequested() override { return inner_.StopRequested(); }

 private:
  static SequenceOutcome Reworded(SequenceOutcome outcome, const std::wstring& text) {
    outcome.said = text;
    outcome.more = text;
    return outcome;
  }

  SequenceView& inner_;
  int steps_ = 0;
};

}  // namespace

TEST(TerminalView, TheFlashFollowsTheEventsWhateverTheStatusTextsSay) {
  SequenceRig rig;
  bool flashing = false;
  uint32_t began = 0;
  std::vector<std::pair<uint32_t, uint32_t>> flashes;
  TerminalViewHooks hooks;
  hooks.flashBegins = [&] {
    if (!flashing) {
      flashing = true;
      began = rig.clock->NowMs();
    }
  };
  hooks.flashEnds = [&] {
    if (flashing) {
      flashing = false;
      flashes.emplace_back(began, rig.clock->NowMs());
    }
  };
  FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TerminalView terminal(out, false, hooks, *rig.clock);
  RewordingView view(terminal);
  EXPECT_EQ(UpgradeSequence(rig.link, rig.context, view, rig.run, rig.ImagePath()),
            UpgradeResult::kSucceeded);
  std::fclose(out);

  // One flash, over: from the restart into the boot loader to the last request, the transfer,
  // the power cycle and the restore all inside it; the backup read before it.
  ASSERT_EQ(flashes.size(), 1u);
  EXPECT_FALSE(flashing);
  bool restartSeen = false;
  for (const TranscriptEntry& entry : rig.sim.Transcript()) {
    if (entry.direction != Direction::HostToDevice) {
      continue;
    }
    restartSeen = restartSeen ||
                  entry.Report().Command() == static_cast<uint8_t>(CommandCode::EnterBootLoader);
    if (restartSeen) {
      EXPECT_GE(entry.timeMs, flashes[0].first);
      EXPECT_LE(entry.timeMs, flashes[0].second);
    } else {
      EXPECT_LE(entry.timeMs, flashes[0].first);
    }
  }
  EXPECT_TRUE(restartSeen);
  EXPECT_EQ(rig.sim.PowerOnCount(), 1u);
  EXPECT_EQ(rig.sim.GetButtonConfig(), rig.userButtons);
}

namespace {

// Everything `out` holds, from its start.
std::string Contents(FILE* out) {
  std::string text;
  std::rewind(out);
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) {
    text += static_cast<char>(c);
  }
  return text;
}

}  // namespace

TEST(TerminalView, AnOutcomeAddsOnlyWhatTheStatusLineHasNotSaid) {
  FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  VirtualClock clock;
  TerminalView view(out, false, TerminalViewHooks{}, clock);
  view.SetKeptStatus(KeptController{ControllerBlock::kHeldByAnotherProgram});
  view.ShowOutcome(SequenceOutcome::ControllerKept(ControllerBlock::kHeldByAnotherProgram));
  view.SetStatus(L"Upgrade success");
  EXPECT_FALSE(view.OfferRetry(SequenceOutcome::RestoreFailed(
      L"Upgrade success", kRestoreOnlyFailedOutcome, ControllerBlock::kHiddenByHidHide)));
  view.ShowOutcome(SequenceOutcome::Succeeded(L"Upgrade success"));
  EXPECT_EQ(Contents(out),
            "Another program holds the controller: close it, then run the command again\n"
            "Upgrade success\n"
            "The saved configuration could not be restored.\n\n"
            "HidHide hides the controller: allow padwright in HidHide, then try again\n");
  std::fclose(out);
}
