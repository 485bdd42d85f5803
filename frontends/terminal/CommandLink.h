// The controller link of the padwright command, which also notes how far the last firmware
// upgrade got: whether the controller was asked to restart into its boot loader, and whether
// the transfer began (the first data packet erases the controller's firmware and
// configuration). What the command says after a failure rests on it: before that packet,
// nothing on the controller was changed.
#pragma once

#include <cstddef>
#include <utility>

#include "device/linux/ProductVexapad.h"

class CommandLink final : public CVexapad {
 public:
  enum class Reached { kNothing, kRestartAsked, kTransferBegan };

  explicit CommandLink(Clock& clock) : CVexapad(clock) {}

  // Hides the link's own Upgrade: the sequences are templates over the link's type, so they
  // reach this one. Called as the link's.
  bool Upgrade(unsigned char* data, size_t size, ProgressCallback progress, int timeoutMs,
               const TransferStartCallback& transferStarts = nullptr) {
    reached_ = Reached::kRestartAsked;
    return CVexapad::Upgrade(data, size, std::move(progress), timeoutMs, [&] {
      if (transferStarts && !transferStarts()) {
        return false;  // stopped before the first data packet: nothing was erased
      }
      reached_ = Reached::kTransferBegan;
      return true;
    });
  }

  // How far the upgrades since the last ForgetUpgrade got.
  Reached UpgradeReached() const { return reached_; }
  void ForgetUpgrade() { reached_ = Reached::kNothing; }

 private:
  Reached reached_ = Reached::kNothing;
};
