// Bad firmware files given to the shipped padwright.exe: each is refused with its message,
// the window is free again afterwards, and nothing but version reads reaches the
// controller. A path with non-ASCII characters is no bad file: it is read and sent whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frontends/window/resource.h"
#include "sim/ControllerSimulator.h"
#include "tests/support/TestImages.h"
#include "tests/support/UserController.h"
#include "tests/win/badfiles/BadFiles.h"
#include "tests/win/support/HeldFile.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/TestFolder.h"
#include "tests/win/support/WindowProbe.h"

namespace {

const std::wstring kInvalidPath = L"Invalid file path";
const std::wstring kUnreadable = L"Read firmware file failed!";

// padwright.exe in a folder of its own beside the bad files, started against a controller
// that runs firmware 3 in mode 7 and showing that.
class BadFiles : public testing::Test {
 protected:
  BadFiles() { SetUpUserController(sim, 3, 4); }
  void SetUp() override {
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  }

  // Types `path`, presses Update and expects the refusal `text` in an error box, with
  // nothing but the version reads of Refresh reaching the controller.
  void ExpectRefused(const std::wstring& path, const std::wstring& text);
  // Types `path`, presses Update and expects success, the controller holding `image`.
  void ExpectSent(const std::wstring& path, const std::vector<uint8_t>& image);

  TestFolder folder{L"badfiles"};
  ControllerSimulator sim;
  ProductSession session{sim, 58 * 10 + 3, folder.File(L"product")};
};

void BadFiles::ExpectRefused(const std::wstring& path, const std::wstring& text) {
  const size_t before = sim.Transcript().size();
  session.SetText(IDC_FILE_PATH, path);
  session.Click(IDC_UPDATE);
  HWND box = session.WaitForBox(30000);
  ASSERT_NE(box, nullptr) << "no box; status " << testing::PrintToString(session.Text(IDC_STATUS));
  EXPECT_EQ(probe::MessageBoxText(box), text);
  EXPECT_EQ(probe::TextOf(box), L"error");
  EXPECT_TRUE(session.Dismiss(box));
  EXPECT_TRUE(probe::WaitFor(
      [&] {
        return session.Enabled(IDC_UPDATE) && session.Enabled(IDC_REFRESH) &&
               session.Enabled(IDC_SELECT);
      },
      10000));
  // Not a failed upgrade: the recovery group stays hidden and Initialize unavailable.
  EXPECT_FALSE(session.Enabled(IDC_INITIALIZE));
  const std::vector<TranscriptEntry> transcript = sim.Transcript();
  for (size_t i = before; i < transcript.size(); ++i) {
    const TranscriptEntry& entry = transcript[i];
    if (entry.direction == Direction::HostToDevice) {
      EXPECT_EQ(entry.device, SimDevice::Controller);
      EXPECT_EQ(entry.Report().Command(), static_cast<uint8_t>(CommandCode::ReadGlobalConfig));
    }
  }
}

void BadFiles::ExpectSent(const std::wstring& path, const std::vector<uint8_t>& image) {
  session.SetText(IDC_FILE_PATH, path);
  session.Click(IDC_UPDATE);
  HWND box = session.WaitForBox(90000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(probe::MessageBoxText(box), L"Upgrade success");
  EXPECT_TRUE(session.Dismiss(box));
  EXPECT_EQ(sim.ReceivedImage(), image) << "not the file the path names";
  EXPECT_TRUE(sim.ImageComplete());
}

}  // namespace

TEST_F(BadFiles, EachIsRefusedWithItsMessageAndNothingReachesTheController) {
  {
    SCOPED_TRACE("missing");
    ExpectRefused(folder.File(L"missing.vxf"), kInvalidPath);
  }
  {
    SCOPED_TRACE("a folder");
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"folder.vxf").c_str(), nullptr));
    ExpectRefused(folder.File(L"folder.vxf"), kInvalidPath);
  }
  {
    SCOPED_TRACE("empty");
    ASSERT_TRUE(folder.Write(L"empty.vxf", {}));
    ExpectRefused(folder.File(L"empty.vxf"), kUnreadable);
  }
  {
    SCOPED_TRACE("locked by another process");
    ASSERT_TRUE(folder.Write(L"locked.vxf", SomeImage(300, 1)));
    HeldFile lock(folder.File(L"locked.vxf"), GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(lock.IsOpen());
    ExpectRefused(folder.File(L"locked.vxf"), kUnreadable);
  }
  for (uint64_t bytes : {uint64_t{1} << 32, (uint64_t{1} << 32) + 58 * 10 + 3}) {
    // The second has the length of a good image in its low 32 bits.
    SCOPED_TRACE("sparse file of " + std::to_string(bytes) + " bytes");
    ASSERT_TRUE(MakeSparseFile(folder.File(L"huge.vxf"), bytes));
    ExpectRefused(folder.File(L"huge.vxf"), kUnreadable);
    DeleteFileW(folder.File(L"huge.vxf").c_str());
  }
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());
  EXPECT_EQ(sim.PowerOnCount(), 0u);
  EXPECT_EQ(session.Close(), 0u);
}

// Windows refuses paths of MAX_PATH characters and more to a program that does not declare
// itself long-path aware, as this one does not; Wine opens them. Either way the tool must
// follow the platform: refuse when the platform cannot see the file, else send it whole.
TEST_F(BadFiles, APathLongerThanMaxPathIsRefusedOrSentWholeAsThePlatformSees) {
  const std::vector<uint8_t> image = SomeImage(58 * 20 + 1, 2);
  const std::wstring path = MakeLongPathFile(folder.Path(), image);
  ASSERT_GT(path.size(), static_cast<size_t>(MAX_PATH));
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) == FALSE) {
    ExpectRefused(path, kInvalidPath);
    EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());
  } else {
    ExpectSent(path, image);
  }
  EXPECT_EQ(session.Close(), 0u);
}

TEST_F(BadFiles, ANonAsciiPathIsReadAndSentByteForByte) {
  const std::wstring inner = folder.File(L"\u56FA\u4EF6 \u00DCn\u00EFc\u00F8d\u00E9");
  ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
  const std::wstring path =
      inner + L"\\\u043F\u0440\u043E\u0448\u0438\u0432\u043A\u0430-\u00FC.vxf";
  const std::vector<uint8_t> image = SomeImage(58 * 30 + 11, 7);
  ASSERT_TRUE(WriteWholeFile(path, image));
  ExpectSent(path, image);
  EXPECT_EQ(session.Close(), 0u);
}
