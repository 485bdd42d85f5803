// A model of the handheld's controller for tests: the normal-mode device with its global
// block and button table, the boot loader that takes a firmware image, the power bit, a
// transcript of every report, and faults injectable per step in one line. Thread-safe (one
// internal mutex); all times are read from the simulators' clock (sim/SimClock.h), so it runs
// in virtual time natively and in real time under a pipe server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "device/CommandReport.h"
#include "device/ConfigBlocks.h"
#include "sim/BootLoaderModel.h"
#include "sim/FaultPlan.h"
#include "sim/NormalModeModel.h"
#include "sim/SimTypes.h"

enum class SimState : uint8_t {
  Off,         // no device present
  PoweringOn,  // no device present until the power-on delay has passed
  Normal,      // the controller 0x1C4F/0x0002 is present
  Rebooting,   // left normal mode after command 0x01; boot loader due after its delay
  BootLoader,  // the boot loader 0x0483/0x5750 is present
  Gone,        // vanished (injected fault) until the next power cycle
};

class ControllerSimulator {
 public:
  // Powered on, in normal mode, present at once; both configuration blocks zero.
  ControllerSimulator();
  ControllerSimulator(const ControllerSimulator&) = delete;
  ControllerSimulator& operator=(const ControllerSimulator&) = delete;

  // ---- Test-side setup -------------------------------------------------------------
  void SetGlobalConfig(const GlobalConfig& global);
  void SetButtonConfig(const ButtonConfig& buttons);
  void SetEnterAnswered(bool answered);  // does command 0x01 get a reply (default yes)
  void SetBootDelayMs(uint32_t ms);      // 0x01 -> boot loader present (default 300)
  void SetPowerOnDelayMs(uint32_t ms);   // power on -> device present (default 500)
  void SetReplyLatencyMs(uint32_t ms);   // every reply's delay (default 0)
  void SetReportLength(SimDevice device, uint16_t length);  // caps; default 65
  // Firmware that a complete image installs at the next power-on: byte 0 of the global
  // block becomes `version`, the rest of the configuration stays as it was.
  void SetNewFirmware(uint8_t version);
  // The same, but the new firmware starts from these factory blocks (byte 0 = `version`).
  void SetNewFirmware(uint8_t version, const GlobalConfig& factoryGlobal,
                      const ButtonConfig& factoryButtons);
  // HOME held at power-on makes the controller come up as the boot loader.
  void SetHomeHeld(bool held);
  // As a real controller's flash does: the first data packet of a transfer erases the
  // running firmware and both configuration blocks, so that until a complete image has
  // arrived every power-on brings up the boot loader alone (default off).
  void SetTransferErases(bool erases);
  // Fault for the request of kind `step` numbered `occurrence` (0-based) counted from this
  // call on; data packets are numbered within a boot-loader session (the packet number).
  // `value`: ms for LateReply, byte count for ShortReply, length for WrongReportLength.
  void Inject(Step step, uint32_t occurrence, Fault fault, uint32_t value = 0);
  void ClearFaults();
  void SetTranscriptEnabled(bool enabled);  // default on
  void ClearTranscript();
  void ReserveImage(size_t bytes);  // avoids regrowing the received image

  // ---- Power -----------------------------------------------------------------------
  // Off: nothing present, every connection dead. On (from off): after the power-on delay
  // the controller is present again, running the new firmware if a complete image arrived
  // since the last power-on, as the boot loader if HOME is held.
  void SetPower(bool on);
  bool IsPowered();

  // ---- Observations ----------------------------------------------------------------
  SimState State();
  GlobalConfig GetGlobalConfig();
  ButtonConfig GetButtonConfig();
  std::vector<TranscriptEntry> Transcript();
  std::vector<CommandReport> Requests(SimDevice device);  // host -> device, in order
  std::vector<Violation> Violations();
  std::vector<uint8_t> ReceivedImage();  // image of the current or last boot-loader session
  // End packet after >= 1 data packet, all clean and all acknowledged to the host.
  bool ImageComplete();
  uint32_t DataPacketsReceived();
  unsigned SaveCount();
  GlobalConfig SavedGlobalConfig();  // as they were at the last command 0x05
  ButtonConfig SavedButtonConfig();
  std::vector<uint16_t> ModesSet();  // every command 0x0A's argument, in order
  unsigned PowerOnCount();           // completed power-ons

  // ---- Host side -------------------------------------------------------------------
  // The calls a transport makes. A native transport computes its waits in virtual time; a
  // pipe server thread may sleep for real until a reply's dueMs. Typical exchange:
  //   c = Connect(vid, pid);           // 0 when no such device is present
  //   HostWrite(c, wire, 65);          // false when the device is gone
  //   PeekReply(c, &due) == Pending -> wait until due -> TakeReply(c, &reply)
  //   Disconnect(c);                   // drops unread replies
  // Presence also changes with time alone (boot delay, power-on delay): poll IsPresent,
  // ChangeCount or NextTransitionMs.
  static bool DeviceFor(uint16_t vid, uint16_t pid, SimDevice* device);
  bool IsPresent(uint16_t vid, uint16_t pid);
  bool IsPresent(SimDevice device);
  uint16_t ReportLength(SimDevice device);  // input and output report length, id included
  uint32_t Connect(uint16_t vid, uint16_t pid);
  void Disconnect(uint32_t connection);
  bool ConnectionDevice(uint32_t connection, SimDevice* device);
  // Host wrote `count` wire bytes (report id first) to the connection's device. False when
  // the device has gone or `count` is not 65; the request is then not taken.
  bool HostWrite(uint32_t connection, const uint8_t* wire, size_t count);
  // The oldest queued reply's due time; never removes it.
  ReplyStatus PeekReply(uint32_t connection, uint32_t* dueMs);
  // Removes the oldest reply once it is due (false before that, or with none queued).
  bool TakeReply(uint32_t connection, SimReply* reply);
  // When the next time-driven presence change is due, if one is scheduled.
  bool NextTransitionMs(uint32_t* atMs);
  // Counts state changes (presence, power); a host can poll it cheaply.
  uint32_t ChangeCount();

 private:
  static constexpr size_t kQueueCapacity = 4;
  struct Connection {
    uint32_t id = 0;
    SimDevice device = SimDevice::Controller;
    uint32_t instance = 0;
    bool dead = false;
    size_t head = 0;
    size_t size = 0;
    SimReply queue[kQueueCapacity];
  };

  void AdvanceLocked();
  bool ImageCompleteLocked() const;
  void EnterStateLocked(SimState state);
  void ComeUpLocked();
  void KillConnectionsLocked(bool allDevices, SimDevice device);
  bool PresentLocked(SimDevice device) const;
  Connection* FindLocked(uint32_t id);
  void RecordLocked(SimDevice device, Direction direction, uint32_t connection, const uint8_t* wire,
                    size_t count);
  bool DispatchLocked(SimDevice device, const CommandReport& request,
                      const std::optional<InjectedFault>& fault, CommandReport* reply);
  void QueueReplyLocked(Connection& connection, const CommandReport& reply,
                        const std::optional<InjectedFault>& fault);

  std::mutex mutex_;
  SimState state_ = SimState::Normal;
  uint32_t stateStartMs_ = 0;
  bool bootScheduled_ = false;
  uint32_t instance_[2] = {1, 0};
  uint32_t changeCount_ = 0;
  uint32_t nextConnection_ = 1;
  std::vector<Connection> connections_;

  NormalModeModel controller_;
  BootLoaderModel bootLoader_;
  FaultPlan faults_;
  std::vector<TranscriptEntry> transcript_;
  std::vector<Violation> violations_;
  bool transcriptEnabled_ = true;

  bool enterAnswered_ = true;
  uint32_t bootDelayMs_ = 300;
  uint32_t powerOnDelayMs_ = 500;
  uint32_t replyLatencyMs_ = 0;
  uint16_t reportLength_[2] = {kWireReportSize, kWireReportSize};
  std::optional<uint8_t> newVersion_;
  bool factoryReset_ = false;
  GlobalConfig factoryGlobal_{};
  ButtonConfig factoryButtons_{};
  bool homeHeld_ = false;
  bool transferErases_ = false;
  bool erased_ = false;  // no firmware to run until a complete image arrives
  bool firmwarePending_ = false;
  uint32_t packetsAcked_ = 0;  // data-packet replies the host has taken this session
  unsigned powerOnCount_ = 0;
};
