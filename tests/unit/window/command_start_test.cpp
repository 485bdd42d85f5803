// The start handlers of Update, Force update and Initialize: their order of tests, the
// worker's own copy of the path, and recovery when no worker can be started.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontends/window/CommandStart.h"
#include "frontends/window/resource.h"
#include "tests/support/RecordingView.h"

TEST(UpgradeCommand, InvalidPathIsReportedEvenWhileBusyAndStartsNothing) {
  for (bool busy : {false, true}) {
    RecordingView host;
    host.busy = busy;
    host.pathEdit = L"C:\\missing.vxf";
    host.pathIsFile = false;
    bool ran = false;
    StartUpgradeCommand(host, IDC_UPDATE, [&](const std::wstring&) { ran = true; });
    EXPECT_EQ(host.Calls(), (Lines{L"take path", L"is file C:\\missing.vxf",
                                   L"message Invalid file path|error|error"}));
    EXPECT_FALSE(ran);
    EXPECT_EQ(host.busy, busy);
    EXPECT_EQ(host.firmwarePath, L"C:\\missing.vxf");
  }
}

TEST(UpgradeCommand, WhileBusyTakesThePathButStartsNothing) {
  RecordingView host;
  host.busy = true;
  host.pathEdit = L"C:\\fw\\new.vxf";
  bool ran = false;
  StartUpgradeCommand(host, IDC_FORCE_UPDATE, [&](const std::wstring&) { ran = true; });
  EXPECT_EQ(host.Calls(), (Lines{L"take path", L"is file C:\\fw\\new.vxf", L"busy?"}));
  EXPECT_FALSE(ran);
  EXPECT_TRUE(host.busy);
  EXPECT_EQ(host.firmwarePath, L"C:\\fw\\new.vxf");
}

TEST(UpgradeCommand, MarksBusyBeforeTheWorkerAndHandsItItsOwnCopyOfThePath) {
  RecordingView host;
  host.pathEdit = L"C:\\fw\\a.vxf";
  std::function<void()> pending;
  host.runWorker = [&](std::function<void()> body) { pending = std::move(body); };
  std::wstring seen;
  StartUpgradeCommand(host, IDC_UPDATE, [&](const std::wstring& path) { seen = path; });
  EXPECT_EQ(host.Calls(),
            (Lines{L"take path", L"is file C:\\fw\\a.vxf", L"busy?", L"busy 1", L"start worker"}));
  ASSERT_TRUE(pending);
  // A later press rewrites the window's path before the worker reads its own.
  host.pathEdit = L"C:\\fw\\b.vxf";
  host.TakeFirmwarePath();
  pending();
  EXPECT_EQ(seen, L"C:\\fw\\a.vxf");
  EXPECT_TRUE(host.busy);
}

TEST(UpgradeCommand, AWorkerThatCannotStartLeavesTheWindowFreeAndSaysSo) {
  RecordingView host;
  host.pathEdit = L"C:\\fw\\a.vxf";
  host.workersStart = false;
  StartUpgradeCommand(host, IDC_UPDATE, [](const std::wstring&) {});
  EXPECT_EQ(host.Calls(),
            (Lines{L"take path", L"is file C:\\fw\\a.vxf", L"busy?", L"busy 1", L"start worker",
                   L"worker refused", L"busy 0", L"message Upgrade failed!|error|error"}));
  EXPECT_FALSE(host.busy);
  EXPECT_TRUE(host.CallsOf(L"disable").empty());
}

TEST(InitializeCommand, WhileBusyDoesNothingAtAll) {
  RecordingView host;
  host.busy = true;
  bool ran = false;
  StartInitializeCommand(host, [&] { ran = true; });
  EXPECT_EQ(host.Calls(), (Lines{L"busy?"}));
  EXPECT_FALSE(ran);
}

TEST(InitializeCommand, DisablesBothRecoveryButtonsThenMarksBusyAndStarts) {
  RecordingView host;
  bool ran = false;
  StartInitializeCommand(host, [&] { ran = true; });
  EXPECT_TRUE(ran);
  Lines calls = host.Calls();
  Lines expectedTail{L"disable 1025", L"disable 1361", L"busy 1", L"start worker"};
  ASSERT_GE(calls.size(), expectedTail.size());
  EXPECT_EQ(Lines(calls.end() - expectedTail.size(), calls.end()), expectedTail);
  EXPECT_EQ(host.CallsOf(L"enable"), Lines{});
  EXPECT_TRUE(host.busy);
}

TEST(InitializeCommand, AWorkerThatCannotStartRestoresTheButtonsAsTheyWere) {
  for (bool forceWasEnabled : {false, true}) {
    RecordingView host;
    host.workersStart = false;
    host.enabled[IDC_INITIALIZE] = true;
    host.enabled[IDC_FORCE_UPDATE] = forceWasEnabled;
    StartInitializeCommand(host, [] {});
    EXPECT_TRUE(host.enabled[IDC_INITIALIZE]);
    EXPECT_EQ(host.enabled[IDC_FORCE_UPDATE], forceWasEnabled);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.CallsOf(L"message"), Lines{L"Upgrade failed!|error|error"});
  }
}
