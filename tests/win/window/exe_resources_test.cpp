// The resources built into padwright.exe, read from the file itself: the main dialog's
// template field by field (ids, classes, texts, styles, places, tab order), its font drawing
// Chinese as well as Latin text, the icon, the manifest's requests and the version block.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "frontends/window/resource.h"
#include "padwright/Version.h"
#include "platform/win/FileSystem.h"
#include "tests/win/ui/DialogTemplate.h"

namespace {

const WORD kChineseSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052

struct Row {
  int32_t id;
  const wchar_t* className;
  const wchar_t* text;
  uint32_t style;
  int16_t x, y, cx, cy;
};

// The controls in template (and tab) order.
const Row kRows[] = {
    {1039, L"Button", L"Update", 0x50010000, 120, 88, 49, 22},
    {1351, L"msctls_progress32", L"", 0x50800000, 5, 132, 293, 14},
    {1349, L"Edit", L"", 0x50A11044, 45, 33, 191, 47},
    {-1, L"Static", L"File: ", 0x50020000, 19, 40, 25, 8},
    {1352, L"Button", L"Select", 0x50010000, 242, 33, 52, 22},
    {-1, L"Static", L"Version: ", 0x50020000, 7, 13, 37, 8},
    {1354, L"Edit", L"", 0x50810880, 45, 10, 192, 14},
    {1356, L"Button", L"Refresh", 0x50010000, 242, 6, 52, 22},
    {1045, L"Edit", L"", 0x50810880, 5, 115, 293, 14},
    {-1, L"Button", L"Force update", 0x50000007, 5, 149, 293, 68},
    {1025, L"Button", L"Initialize", 0x58010000, 229, 162, 63, 22},
    {1361, L"Button", L"Force update", 0x58010000, 229, 189, 63, 22},
    {-1, L"Static", L"1.Long press HOME and click the Initialize button", 0x50020000, 9, 164, 207,
     12},
    {-1, L"Static", L"2.Release the HOME button after 3 seconds", 0x50020000, 9, 177, 186, 12},
    {-1, L"Static", L"3.Wait for the Force update button to be available.", 0x50020000, 9, 191, 207,
     12},
    {-1, L"Static", L"4.Click on Force update to upgrade the firmware", 0x50020000, 9, 205, 195,
     11},
};

// padwright.exe beside this test, loaded for its resources only.
class ExeResources : public testing::Test {
 protected:
  void SetUp() override {
    std::wstring exe = GetModuleDirectory() + L"\\padwright.exe";
    module_ = LoadLibraryExW(exe.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) {
      FreeLibrary(module_);
    }
  }
  std::string Resource(LPCWSTR type, int id) {
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
    const char* data = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data != nullptr ? std::string(data, SizeofResource(module_, found)) : std::string();
  }
  // Manifest resources in the file, counting every language of every id.
  int ManifestCount() {
    int count = 0;
    EnumResourceNamesW(
        module_, RT_MANIFEST,
        [](HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) -> BOOL {
          EnumResourceLanguagesW(
              module, type, name,
              [](HMODULE, LPCWSTR, LPCWSTR, WORD, LONG_PTR counter) -> BOOL {
                ++*reinterpret_cast<int*>(counter);
                return TRUE;
              },
              param);
          return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&count));
    return count;
  }

  HMODULE module_ = nullptr;
};

TEST_F(ExeResources, MainDialogTemplateHasItsControlsInOrder) {
  DialogTemplate dialog;
  ASSERT_TRUE(LoadDialogTemplate(module_, IDD_MAIN, kChineseSimplified, &dialog));
  EXPECT_EQ(dialog.style, 0x80CA00C0u);
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.cx, 303);
  EXPECT_EQ(dialog.cy, 223);
  EXPECT_EQ(dialog.menu, L"");
  EXPECT_EQ(dialog.className, L"");
  EXPECT_EQ(dialog.caption, L"Padwright (20250522)");
  EXPECT_EQ(dialog.pointSize, 12);
  EXPECT_EQ(dialog.weight, 400);
  EXPECT_EQ(dialog.italic, 0);
  EXPECT_EQ(dialog.charset, 134);
  EXPECT_EQ(dialog.face, L"\u5B8B\u4F53");
  ASSERT_EQ(dialog.items.size(), std::size(kRows));
  for (size_t i = 0; i < std::size(kRows); ++i) {
    const Row& want = kRows[i];
    const DialogTemplateItem& got = dialog.items[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " (" << want.id << ")");
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(_wcsicmp(got.className.c_str(), want.className), 0);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.exStyle, 0u);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
  }
}

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

TEST_F(ExeResources, MainDialogFontDrawsChineseAndLatin) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  HRSRC found = FindResourceExW(module_, RT_DIALOG, MAKEINTRESOURCEW(IDD_MAIN), kChineseSimplified);
  ASSERT_NE(found, nullptr);
  auto* dialogTemplate = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(module_, found)));
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, nullptr,
                                           PassiveDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, IDC_VERSION, WM_GETFONT, 0, 0)),
            font);
  LOGFONTW logical = {};
  ASSERT_NE(GetObjectW(font, sizeof(logical), &logical), 0);
  EXPECT_STREQ(logical.lfFaceName, L"\u5B8B\u4F53");
  // (The dialog manager asks for DEFAULT_CHARSET whatever the template says.)
  EXPECT_EQ(logical.lfWeight, 400);
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, font);
  EXPECT_EQ(logical.lfHeight, -MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72));
  // Glyphs the font itself has: a stand-in without Chinese would mark these missing.
  const wchar_t text[] = L"\u5B8B\u4F53\u56FA\u4EF6Firmware";
  WORD glyphs[std::size(text) - 1] = {};
  ASSERT_EQ(GetGlyphIndicesW(dc, text, static_cast<int>(std::size(glyphs)), glyphs,
                             GGI_MARK_NONEXISTING_GLYPHS),
            std::size(glyphs));
  for (size_t i = 0; i < std::size(glyphs); ++i) {
    EXPECT_NE(glyphs[i], 0xFFFF) << "character " << i;
  }
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  DestroyWindow(dialog);
}

// The text of the first element `tag` in `xml` and, in `attributes`, what its start tag holds
// after the name; empty when there is none.
std::string ElementText(const std::string& xml, const std::string& tag, std::string* attributes) {
  size_t start = xml.find("<" + tag);
  while (start != std::string::npos &&
         xml.find_first_of(" >", start + 1) != start + tag.size() + 1) {
    start = xml.find("<" + tag, start + 1);
  }
  size_t open = start != std::string::npos ? xml.find('>', start) : std::string::npos;
  size_t close = open != std::string::npos ? xml.find("</" + tag + ">", open) : std::string::npos;
  if (close == std::string::npos) {
    attributes->clear();
    return std::string();
  }
  size_t name = start + 1 + tag.size();
  *attributes = open > name ? xml.substr(name + 1, open - name - 1) : std::string();
  return xml.substr(open + 1, close - open - 1);
}

TEST_F(ExeResources, IconHasAnImageForEachScale) {
  // The group directory: 6 bytes, then 14 a picture (width first, 0 meaning 256; the id of
  // its RT_ICON resource last).
  std::string group = Resource(RT_GROUP_ICON, IDI_MAIN);
  ASSERT_GE(group.size(), 6u);
  std::vector<int> widths;
  for (size_t at = 6; at + 14 <= group.size(); at += 14) {
    int width = static_cast<uint8_t>(group[at]);
    widths.push_back(width == 0 ? 256 : width);
    int id = static_cast<uint8_t>(group[at + 12]) | static_cast<uint8_t>(group[at + 13]) << 8;
    std::string image = Resource(RT_ICON, id);
    // Bitmaps start with a 40-byte header; the 256-pixel picture is a PNG file.
    EXPECT_TRUE(image.compare(0, 4, std::string("\x28\0\0\0", 4)) == 0 ||
                (width == 0 && image.compare(0, 4, "\x89PNG") == 0))
        << width;
  }
  EXPECT_EQ(widths, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

TEST_F(ExeResources, ManifestAsksForAdministratorCommonControls6AndPerMonitorScaling) {
  std::string manifest = Resource(RT_MANIFEST, 1);
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
  ASSERT_NE(controls, std::string::npos);
  size_t end = manifest.find("/>", controls);
  EXPECT_NE(manifest.substr(controls, end - controls).find("version=\"6.0.0.0\""),
            std::string::npos);
  // Windows takes the two settings only with these namespaces, inside the application's
  // settings: per-monitor v2 where it is known, per-monitor (true/pm) before Windows 10 1607.
  std::string attributes;
  std::string settings = ElementText(manifest, "application", &attributes);
  EXPECT_EQ(attributes, "xmlns=\"urn:schemas-microsoft-com:asm.v3\"");
  settings = ElementText(settings, "windowsSettings", &attributes);
  EXPECT_EQ(ElementText(settings, "dpiAware", &attributes), "true/pm");
  EXPECT_EQ(attributes, "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\"");
  std::string awareness = ElementText(settings, "dpiAwareness", &attributes);
  EXPECT_EQ(awareness.substr(0, awareness.find(',')), "PerMonitorV2");
  EXPECT_EQ(attributes, "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\"");
  // Ours is the only one: a linker's default manifest beside it (another language of id 1,
  // or another id) would leave the loader to choose, maybe one without administrator rights.
  EXPECT_EQ(ManifestCount(), 1);
}

TEST_F(ExeResources, VersionBlockCarriesTheBuildsVersion) {
  std::wstring exe = GetModuleDirectory() + L"\\padwright.exe";
  DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(PADWRIGHT_VERSION_MINOR, PADWRIGHT_VERSION_MAJOR));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, PADWRIGHT_VERSION_PATCH));
  wchar_t* text = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\FileVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_EQ(std::wstring(text), std::wstring(L"" PADWRIGHT_VERSION_TEXT));
}

}  // namespace
