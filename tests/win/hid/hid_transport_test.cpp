// The Win32 HID transport against the simulated HID stack: scans, matching, the debug line,
// transfers with their report ids, time-outs, cancellation and failures.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/win/ControllerBlockScan.h"
#include "device/win/HidDevice.h"
#include "device/win/HidScan.h"
#include "sim/win/host/ScriptedHidDevice.h"
#include "sim/win/host/SimHost.h"
#include "tests/win/hid/HidTestSupport.h"
#include "tests/win/support/FakeHidHide.h"
#include "tests/win/support/WindowProbe.h"

namespace {

constexpr uint16_t kVid = 0x1C4F;
constexpr uint16_t kPid = 0x0002;

std::vector<uint8_t> Pattern(uint8_t seed) {
  std::vector<uint8_t> bytes(64);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(seed + 3 * i);
  }
  return bytes;
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

class HidTransport : public ::testing::Test {
 protected:
  void TearDown() override {
    hid.CloseDevice();
    host.Stop();
  }

  ScriptedHidDevice& Add(uint16_t vid, uint16_t pid) {
    devices.push_back(std::make_unique<ScriptedHidDevice>(vid, pid));
    host.AddDevice(*devices.back());
    return *devices.back();
  }

  // The debug line of device `index` as it reaches a file through the text-mode stdout.
  std::string DebugLine(const char* ids, size_t index) {
    return std::string("Vid: ") + ids + " " + Narrow(host.DevicePath(index)) + "\r\r\n";
  }

  std::vector<std::unique_ptr<ScriptedHidDevice>> devices;
  SimHost host;
  CHidDevice hid;
};

TEST_F(HidTransport, ScanWritesDebugLineForEveryReadableDeviceOnly) {
  Add(0x046D, 0xC52B);
  Add(kVid, kPid).SetOpenable(false);
  // The same ids with other reports: a composite device's gamepad collection.
  Add(kVid, kPid).SetReportLengths(9, 9);
  Add(0x1234, 0x5678).SetFlags(sim_hid::kFailAttributes);
  Add(kVid, kPid);
  ASSERT_TRUE(host.Start());

  int exitCode = 0;
  std::string out = RunSelfCapturingStdout(L"--scan-child", &exitCode);

  EXPECT_EQ(exitCode, 3);  // present, and opened
  // The presence test reads every device to the end; the open passes over the interface
  // whose reports are not 65 bytes long and stops at the first that carries them. Neither
  // writes a line for the device that cannot be opened or identified.
  std::string expected = DebugLine("46d Pid: c52b", 0) + DebugLine("1c4f Pid: 2", 2) +
                         DebugLine("1c4f Pid: 2", 4) + DebugLine("46d Pid: c52b", 0) +
                         DebugLine("1c4f Pid: 2", 2) + DebugLine("1c4f Pid: 2", 4);
  EXPECT_EQ(out, expected);
}

TEST_F(HidTransport, ControllerListedButRefusedIsNamedUntilItIsLetGo) {
  Add(0x046D, 0xC52B).SetHeld(true);   // another device held: none of ours
  Add(kVid, kPid).SetOpenable(false);  // one of its interfaces gone since it was listed
  ScriptedHidDevice& controller = Add(kVid, kPid);
  controller.SetHeld(true);
  ASSERT_TRUE(host.Start());

  // Held outweighs gone: someone is there to name.
  const HidScanResult scan = ScanHidDevices(kVid, kPid, nullptr, false, 65);
  EXPECT_FALSE(scan.matched);
  EXPECT_EQ(scan.refusedError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(scan.refusedPath, host.HeldPath(2));
  EXPECT_FALSE(hid.OpenDevice(kVid, kPid, L""));
  EXPECT_EQ(ScanForControllerBlock(), ControllerBlock::kHeldByAnotherProgram);
  {
    FakeHidHide hidHide;
    if (hidHide.Made()) {
      EXPECT_EQ(ScanForControllerBlock(), ControllerBlock::kHiddenByHidHide);
    }
  }
  EXPECT_EQ(ScanForControllerBlock(), ControllerBlock::kHeldByAnotherProgram);

  controller.SetHeld(false);
  EXPECT_TRUE(probe::WaitFor([&] { return hid.OpenDevice(kVid, kPid, L""); }));
  EXPECT_EQ(ScanForControllerBlock(), ControllerBlock::kNone);
}

TEST_F(HidTransport, RefusedCollectionCountsOnlyWhenItCarriesTheCommandReports) {
  // The controller's keyboard collection, opened exclusively by Windows itself, beside a
  // command interface that is not there: nobody keeps the controller from us.
  ScriptedHidDevice& keyboard = Add(kVid, kPid);
  keyboard.SetReportLengths(9, 2);
  keyboard.SetOwnedByWindows(true);
  // Another program's exclusive hold on the command interface itself, listed later.
  ScriptedHidDevice& command = Add(kVid, kPid);
  command.SetOwnedByWindows(true);
  command.SetPresent(false);
  ASSERT_TRUE(host.Start());

  FakeHidHide hidHide;  // HidHide installed: a refusal must still not be blamed on it
  HidScanResult scan = ScanHidDevices(kVid, kPid, nullptr, false, 65);
  EXPECT_FALSE(scan.matched);
  EXPECT_EQ(scan.refusedError, 0u);
  EXPECT_EQ(ScanForControllerBlock(), ControllerBlock::kNone);

  command.SetPresent(true);
  host.Publish();
  scan = ScanHidDevices(kVid, kPid, nullptr, false, 65);
  EXPECT_EQ(scan.refusedError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(scan.refusedPath, host.OwnedPath(1));
  EXPECT_EQ(ScanForControllerBlock(), ControllerBlock::kHeldByAnotherProgram);
}

TEST_F(HidTransport, FiltersSelectAmongMatchingDevicesInEnumerationOrder) {
  ScriptedHidDevice& first = Add(kVid, kPid);
  ScriptedHidDevice& second = Add(kVid, kPid);
  ASSERT_TRUE(host.Start());

  EXPECT_TRUE(hid.IsPresent(kVid, kPid));
  EXPECT_FALSE(hid.IsOpen());  // a presence test keeps nothing open
  EXPECT_FALSE(hid.IsPresent(kVid, 0x0003));
  // The presence tests looked at both devices and closed them again.
  ASSERT_TRUE(probe::WaitFor([&] {
    return second.ConnectCount() == 2 && second.OpenConnections() == 0 &&
           first.OpenConnections() == 0;
  }));

  for (const wchar_t* filter : {L"", static_cast<const wchar_t*>(nullptr)}) {
    ASSERT_TRUE(hid.OpenDevice(kVid, kPid, filter));
    EXPECT_TRUE(probe::WaitFor([&] { return first.OpenConnections() == 1; }));
  }
  Sleep(50);
  EXPECT_EQ(second.ConnectCount(), 2u);  // each scan ended at the first match

  // A filter is a case-sensitive part of the path.
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L"-1-vid_1c4f"));
  EXPECT_TRUE(probe::WaitFor([&] { return second.OpenConnections() == 1; }));
  EXPECT_TRUE(probe::WaitFor([&] { return first.OpenConnections() == 0; }));
  EXPECT_FALSE(hid.OpenDevice(kVid, kPid, L"-1-VID_1C4F"));
  EXPECT_FALSE(hid.IsOpen());
}

TEST_F(HidTransport, DeviceThatDoesNotMatchIsClosedAgain) {
  ScriptedHidDevice& otherProduct = Add(kVid, 0x0003);
  ScriptedHidDevice& unreadable = Add(kVid, kPid);
  unreadable.SetFlags(sim_hid::kFailAttributes);
  ScriptedHidDevice& wanted = Add(kVid, kPid);
  ASSERT_TRUE(host.Start());

  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));
  EXPECT_TRUE(probe::WaitFor([&] { return wanted.OpenConnections() == 1; }));
  EXPECT_TRUE(probe::WaitFor(
      [&] { return otherProduct.OpenConnections() == 0 && unreadable.OpenConnections() == 0; }));
  EXPECT_TRUE(probe::WaitFor(
      [&] { return otherProduct.ConnectCount() == 1 && unreadable.ConnectCount() == 1; }));
}

TEST_F(HidTransport, OpenOnOpenObjectDropsThePreviousDeviceFirst) {
  ScriptedHidDevice& device = Add(kVid, kPid);
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));
  ASSERT_TRUE(probe::WaitFor([&] { return device.OpenConnections() == 1; }));

  EXPECT_FALSE(hid.OpenDevice(0xDEAD, 0xBEEF, L""));
  EXPECT_FALSE(hid.IsOpen());
  EXPECT_TRUE(probe::WaitFor([&] { return device.OpenConnections() == 0; }));
  std::vector<uint8_t> bytes = Pattern(1);
  EXPECT_FALSE(hid.WriteReport(bytes.data(), 64, 1000));
  EXPECT_FALSE(hid.ReadReport(bytes.data(), 64, 1000));

  // Reopening the same device works, and closing twice is harmless. (The scan that found
  // nothing opened the device once more to look at it.)
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, nullptr));
  hid.CloseDevice();
  hid.CloseDevice();
  EXPECT_FALSE(hid.IsOpen());
  EXPECT_TRUE(
      probe::WaitFor([&] { return device.OpenConnections() == 0 && device.ConnectCount() == 3; }));
}

TEST_F(HidTransport, NoDeviceListMeansNothingOpensOrIsPresent) {
  Add(kVid, kPid);
  ASSERT_TRUE(host.Start());
  host.Table().SetListFails(true);
  EXPECT_FALSE(hid.OpenDevice(kVid, kPid, L""));
  EXPECT_FALSE(hid.IsOpen());
  EXPECT_FALSE(hid.IsPresent(kVid, kPid));
  host.Table().SetListFails(false);
  EXPECT_TRUE(hid.OpenDevice(kVid, kPid, L""));
}

TEST_F(HidTransport, ReportIdIsZeroOnTheWayOutAndDroppedOnTheWayIn) {
  ScriptedHidDevice& device = Add(kVid, kPid);
  device.SetReplyMarker(0xA5);
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));

  std::vector<uint8_t> request = Pattern(7);
  ASSERT_TRUE(hid.WriteReport(request.data(), 64, 2000));
  std::vector<uint8_t> reply(64, 0xEE);
  ASSERT_TRUE(hid.ReadReport(reply.data(), 64, 2000));

  std::vector<uint8_t> wire(65, 0);
  std::copy(request.begin(), request.end(), wire.begin() + 1);
  ASSERT_EQ(device.Writes().size(), 1u);
  EXPECT_EQ(device.Writes()[0], wire);
  // The device echoed the request behind its marker byte, which never reaches the caller.
  EXPECT_EQ(reply, request);
}

TEST_F(HidTransport, ReportLengthThatDoesNotFitFailsWithoutIo) {
  ScriptedHidDevice& short64 = Add(kVid, kPid);
  ScriptedHidDevice& huge = Add(0x0483, 0x5750);
  ScriptedHidDevice& noCaps = Add(0x1111, 0x2222);
  ASSERT_TRUE(host.Start());

  // Each is opened with 65-byte reports, which then change under the open handle: the
  // lengths are asked afresh before every transfer.
  std::vector<uint8_t> bytes = Pattern(3);
  std::vector<uint8_t> big(4999, 0x5A);
  const std::vector<uint8_t> before = bytes;
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));
  short64.SetReportLengths(64, 64);
  host.Publish();
  EXPECT_FALSE(hid.WriteReport(bytes.data(), 64, 2000));
  EXPECT_FALSE(hid.ReadReport(bytes.data(), 64, 2000));
  // Opening passes over it now, and finds no other interface with these ids.
  EXPECT_FALSE(hid.OpenDevice(kVid, kPid, L""));
  // A device whose reports exceed the buffer is refused even when the length fits.
  ASSERT_TRUE(hid.OpenDevice(0x0483, 0x5750, L""));
  huge.SetReportLengths(5000, 5000);
  host.Publish();
  EXPECT_FALSE(hid.WriteReport(big.data(), 4999, 2000));
  EXPECT_FALSE(hid.ReadReport(big.data(), 4999, 2000));
  ASSERT_TRUE(hid.OpenDevice(0x1111, 0x2222, L""));
  noCaps.SetFlags(sim_hid::kFailCaps);
  host.Publish();
  EXPECT_FALSE(hid.WriteReport(bytes.data(), 64, 2000));
  HIDP_CAPS caps;
  EXPECT_FALSE(hid.GetCaps(&caps));
  hid.CloseDevice();
  EXPECT_FALSE(hid.GetCaps(&caps));

  EXPECT_EQ(bytes, before);
  Sleep(50);
  EXPECT_TRUE(short64.Writes().empty());
  EXPECT_TRUE(huge.Writes().empty());
  EXPECT_TRUE(noCaps.Writes().empty());
}

TEST_F(HidTransport, ReplyThatNeverComesTimesOutAndTheNextExchangeWorks) {
  ScriptedHidDevice& device = Add(kVid, kPid);
  device.NoReplyTo(0);
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));

  std::vector<uint8_t> first = Pattern(1);
  ASSERT_TRUE(hid.WriteReport(first.data(), 64, 2000));
  std::vector<uint8_t> reply(64, 0xEE);
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(hid.ReadReport(reply.data(), 64, 300));
  EXPECT_GE(GetTickCount64() - start, 250u);
  EXPECT_EQ(reply, std::vector<uint8_t>(64, 0xEE));

  // The timed-out read was cancelled and ended: the next reply goes to the next read.
  std::vector<uint8_t> second = Pattern(2);
  ASSERT_TRUE(hid.WriteReport(second.data(), 64, 2000));
  ASSERT_TRUE(hid.ReadReport(reply.data(), 64, 2000));
  EXPECT_EQ(reply, second);
  EXPECT_TRUE(hid.IsOpen());
}

TEST_F(HidTransport, ReplyAfterItsReadTimedOutWaitsForTheNextRead) {
  ScriptedHidDevice& device = Add(kVid, kPid);
  device.LateReplyTo(0, 400);
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));

  std::vector<uint8_t> first = Pattern(1);
  std::vector<uint8_t> second = Pattern(2);
  std::vector<uint8_t> reply(64, 0xEE);
  ASSERT_TRUE(hid.WriteReport(first.data(), 64, 2000));
  EXPECT_FALSE(hid.ReadReport(reply.data(), 64, 150));
  Sleep(500);
  // The abandoned read was cancelled, so nothing took the late reply: like any input
  // report it is queued for whoever reads next.
  ASSERT_TRUE(hid.WriteReport(second.data(), 64, 2000));
  ASSERT_TRUE(hid.ReadReport(reply.data(), 64, 2000));
  EXPECT_EQ(reply, first);
  ASSERT_TRUE(hid.ReadReport(reply.data(), 64, 2000));
  EXPECT_EQ(reply, second);
}

TEST_F(HidTransport, LateReplyWithinTheTimeOutIsReceived) {
  ScriptedHidDevice& device = Add(kVid, kPid);
  device.LateReplyTo(0, 200);
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));

  std::vector<uint8_t> request = Pattern(9);
  ASSERT_TRUE(hid.WriteReport(request.data(), 64, 2000));
  std::vector<uint8_t> reply(64);
  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(hid.ReadReport(reply.data(), 64, 5000));
  EXPECT_GE(GetTickCount64() - start, 150u);
  EXPECT_EQ(reply, request);
}

TEST_F(HidTransport, ShortReplyIsAFailedReadThatLeavesTheDestination) {
  ScriptedHidDevice& device = Add(kVid, kPid);
  device.ShortReplyTo(0, 30);
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));

  std::vector<uint8_t> request = Pattern(4);
  ASSERT_TRUE(hid.WriteReport(request.data(), 64, 2000));
  std::vector<uint8_t> reply(64, 0xEE);
  EXPECT_FALSE(hid.ReadReport(reply.data(), 64, 2000));
  EXPECT_EQ(reply, std::vector<uint8_t>(64, 0xEE));

  ASSERT_TRUE(hid.WriteReport(request.data(), 64, 2000));
  EXPECT_TRUE(hid.ReadReport(reply.data(), 64, 2000));
  EXPECT_EQ(reply, request);
}

TEST_F(HidTransport, DeviceGoingAwayFailsTheWaitingReadAtOnce) {
  ScriptedHidDevice& device = Add(kVid, kPid);
  device.NoReplyTo(0);
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));
  std::vector<uint8_t> bytes = Pattern(5);
  ASSERT_TRUE(hid.WriteReport(bytes.data(), 64, 2000));

  HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
  LARGE_INTEGER due;
  due.QuadPart = -200 * 10000LL;  // 200 ms from now
  SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
  std::thread unplug([&] {
    WaitForSingleObject(timer, INFINITE);
    device.SetPresent(false);
  });
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(hid.ReadReport(bytes.data(), 64, 20000));
  EXPECT_LT(GetTickCount64() - start, 10000u);
  unplug.join();
  CloseHandle(timer);
  EXPECT_FALSE(hid.IsPresent(kVid, kPid));
}

TEST_F(HidTransport, EveryCapabilityQueryAndDeviceListIsReleased) {
  Add(0x046D, 0xC52B);
  Add(kVid, kPid);
  ASSERT_TRUE(host.Start());
  SimHidCounters* counters = host.Table().Counters();
  ASSERT_NE(counters, nullptr);
  // The counters belong to the whole process: count from here.
  const LONG made = counters->preparsedMade;
  const LONG freed = counters->preparsedFreed;
  const LONG created = counters->listsCreated;
  const LONG destroyed = counters->listsDestroyed;

  std::vector<uint8_t> bytes = Pattern(6);
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));
    ASSERT_TRUE(hid.WriteReport(bytes.data(), 64, 2000));
    ASSERT_TRUE(hid.ReadReport(bytes.data(), 64, 2000));
    EXPECT_TRUE(hid.IsPresent(kVid, kPid));
  }
  hid.CloseDevice();
  // One per transfer, and one per open for the matching device's report lengths.
  EXPECT_EQ(counters->preparsedMade - made, 15);
  EXPECT_EQ(counters->preparsedFreed - freed, 15);
  EXPECT_EQ(counters->listsCreated - created, 10);  // one per scan
  EXPECT_EQ(counters->listsDestroyed - destroyed, 10);
}

TEST_F(HidTransport, HostStopsCleanlyWithHandlesOpenAndStartsAgain) {
  ScriptedHidDevice& device = Add(kVid, kPid);
  // A first run, so that whatever the process keeps for good (the device list's view in the
  // simulated DLLs) exists before the handles are counted.
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.IsPresent(kVid, kPid));
  host.Stop();
  DWORD handlesBefore = 0;
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &handlesBefore));

  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(hid.OpenDevice(kVid, kPid, L""));
  CHidDevice second;
  ASSERT_TRUE(second.OpenDevice(kVid, kPid, L""));  // a device opens more than once
  ASSERT_TRUE(probe::WaitFor([&] { return device.OpenConnections() == 2; }));
  const std::wstring path = host.DevicePath(0);
  host.Stop();  // returns with both handles still open

  EXPECT_EQ(device.OpenConnections(), 0u);
  EXPECT_FALSE(hid.IsPresent(kVid, kPid));
  HANDLE stale = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr);
  EXPECT_EQ(stale, INVALID_HANDLE_VALUE);
  std::vector<uint8_t> bytes = Pattern(8);
  EXPECT_FALSE(hid.WriteReport(bytes.data(), 64, 1000) && hid.ReadReport(bytes.data(), 64, 1000));
  hid.CloseDevice();
  second.CloseDevice();
  DWORD handlesAfter = 0;
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &handlesAfter));
  EXPECT_EQ(handlesAfter, handlesBefore);

  ASSERT_TRUE(host.Start());
  EXPECT_TRUE(hid.OpenDevice(kVid, kPid, L""));
}

}  // namespace
