// Reads the resources back out of a built Windows program and compares them with res/, the
// data the Qt window is built from: what the Win32 window loads is what the data says.
// Usage: program_resources_test PROGRAM.exe

// The data before Win32's headers, which define several of its names as macros.
#include "res/about_dialog.h"
#include "res/history_dialog.h"
#include "res/main_dialog.h"
#include "res/names_dialog.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "res/version_info.h"

#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h needs windows.h before it.
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::wstring programPath;

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) {
    return {};
  }
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(
      static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
      L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

// For messages: the names compared here are ASCII.
std::string Ascii(std::wstring_view text) {
  return {text.begin(), text.end()};
}

struct ModuleRelease {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleRelease>;

struct IconRelease {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconRelease>;

// The program as a data file: its resources, without running any of its code.
Module LoadProgram() {
  return Module(LoadLibraryExW(programPath.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

std::string_view ResourceBytes(HMODULE module, const wchar_t* type, int id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) {
    return {};
  }
  return {static_cast<const char*>(LockResource(LoadResource(module, found))),
          SizeofResource(module, found)};
}

// Reads a dialog template front to back; running past its end is a fault of the template.
class TemplateReader {
 public:
  explicit TemplateReader(std::string_view bytes) : bytes_(bytes) {}

  std::uint16_t Word() { return Read<std::uint16_t>(); }
  std::uint32_t Dword() { return Read<std::uint32_t>(); }
  std::uint8_t Byte() { return Read<std::uint8_t>(); }
  int Short() { return Read<std::int16_t>(); }

  std::wstring String() {
    std::wstring text;
    for (wchar_t c = static_cast<wchar_t>(Word()); c != L'\0'; c = static_cast<wchar_t>(Word())) {
      text += c;
    }
    return text;
  }

  // A name or a number: 0xFFFF then the number, else a string (empty when absent).
  std::wstring NameOrOrdinal() {
    if (Peek() == 0xFFFF) {
      Word();
      return L"#" + std::to_wstring(Word());
    }
    return String();
  }

  res::DialogRect Rect() {
    const int x = Short();
    const int y = Short();
    const int width = Short();
    const int height = Short();
    return {x, y, width, height};
  }

  void Skip(std::size_t count) {
    Check(count);
    offset_ += count;
  }

  void AlignToDword() { Skip((4 - offset_ % 4) % 4); }

 private:
  template <typename T>
  T Read() {
    Check(sizeof(T));
    T value;
    std::memcpy(&value, bytes_.data() + offset_, sizeof(T));
    offset_ += sizeof(T);
    return value;
  }

  std::uint16_t Peek() {
    const std::uint16_t value = Word();
    offset_ -= sizeof value;
    return value;
  }

  void Check(std::size_t count) const {
    if (count > bytes_.size() - offset_) {
      throw std::out_of_range("dialog template ends early");
    }
  }

  std::string_view bytes_;
  std::size_t offset_ = 0;
};

struct Control {
  std::wstring windowClass;
  int id;
  std::wstring text;
  res::DialogRect rect;
  std::uint32_t styles;
};

struct Dialog {
  std::uint32_t styles, extendedStyles;
  res::DialogRect rect;
  std::wstring menu, windowClass, caption;
  int fontPoints, fontWeight, fontItalic, fontCharset;
  std::wstring fontFace;
  std::vector<Control> controls;
};

// The predefined classes a template may name by number instead.
std::wstring ClassName(std::wstring nameOrOrdinal) {
  static const std::pair<const wchar_t*, const wchar_t*> kPredefined[] = {
      {L"#128", L"Button"},  {L"#129", L"Edit"},      {L"#130", L"Static"},
      {L"#131", L"ListBox"}, {L"#132", L"ScrollBar"}, {L"#133", L"ComboBox"},
  };
  for (const auto& [ordinal, name] : kPredefined) {
    if (nameOrOrdinal == ordinal) {
      return name;
    }
  }
  return nameOrOrdinal;
}

// DLGTEMPLATEEX when `extended`, else DLGTEMPLATE, with its controls.
Dialog ParseDialog(std::string_view bytes, bool extended) {
  TemplateReader reader(bytes);
  Dialog dialog{};
  int count = 0;
  if (extended) {
    EXPECT_EQ(reader.Word(), 1) << "DLGTEMPLATEEX version";
    EXPECT_EQ(reader.Word(), 0xFFFF) << "DLGTEMPLATEEX signature";
    reader.Dword();
    dialog.extendedStyles = reader.Dword();
    dialog.styles = reader.Dword();
  } else {
    dialog.styles = reader.Dword();
    dialog.extendedStyles = reader.Dword();
  }
  count = reader.Word();
  dialog.rect = reader.Rect();
  dialog.menu = reader.NameOrOrdinal();
  dialog.windowClass = reader.NameOrOrdinal();
  dialog.caption = reader.String();
  if (dialog.styles & DS_SETFONT) {
    dialog.fontPoints = reader.Word();
    if (extended) {
      dialog.fontWeight = reader.Word();
      dialog.fontItalic = reader.Byte();
      dialog.fontCharset = reader.Byte();
    }
    dialog.fontFace = reader.String();
  }
  for (int i = 0; i < count; ++i) {
    reader.AlignToDword();
    Control control{};
    if (extended) {
      reader.Dword();
      reader.Dword();
      control.styles = reader.Dword();
      control.rect = reader.Rect();
      control.id = static_cast<std::int32_t>(reader.Dword());
    } else {
      control.styles = reader.Dword();
      reader.Dword();
      control.rect = reader.Rect();
      control.id = static_cast<std::int16_t>(reader.Word());
    }
    control.windowClass = ClassName(reader.NameOrOrdinal());
    control.text = reader.NameOrOrdinal();
    reader.Skip(reader.Word());
    dialog.controls.push_back(control);
  }
  return dialog;
}

std::wstring ExpectedClass(res::ControlKind kind) {
  switch (kind) {
    case res::ControlKind::PushButton:
      return L"Button";
    case res::ControlKind::ComboBox:
      return L"ComboBox";
    case res::ControlKind::ListView:
      return WC_LISTVIEWW;
    case res::ControlKind::ProgressBar:
      return PROGRESS_CLASSW;
    case res::ControlKind::StaticText:
    case res::ControlKind::StaticIcon:
      return L"Static";
    case res::ControlKind::Edit:
      return L"Edit";
    case res::ControlKind::DatePicker:
      return DATETIMEPICK_CLASSW;
  }
  return {};
}

void ExpectSameRect(const res::DialogRect& actual, const res::DialogRect& expected) {
  EXPECT_EQ(actual.x, expected.x);
  EXPECT_EQ(actual.y, expected.y);
  EXPECT_EQ(actual.width, expected.width);
  EXPECT_EQ(actual.height, expected.height);
}

struct DialogCase {
  const res::DialogTemplate* data;
  bool extended;
};

void PrintTo(const DialogCase& dialog, std::ostream* out) {
  *out << dialog.data->identifier;
}

class DialogResource : public testing::TestWithParam<DialogCase> {};

TEST_P(DialogResource, IsTheTemplateOfTheData) {
  const res::DialogTemplate& expected = *GetParam().data;
  const Module program = LoadProgram();
  ASSERT_TRUE(program) << "cannot load the program, error " << GetLastError();
  const std::string_view bytes = ResourceBytes(program.get(), RT_DIALOG, expected.id);
  ASSERT_FALSE(bytes.empty()) << "no dialog " << expected.id;

  const Dialog dialog = ParseDialog(bytes, GetParam().extended);
  EXPECT_EQ(dialog.caption, Wide(expected.caption));
  EXPECT_EQ(dialog.fontFace, Wide(expected.fontFace));
  EXPECT_EQ(dialog.fontPoints, expected.fontPoints);
  if (GetParam().extended) {
    EXPECT_EQ(dialog.fontWeight, FW_DONTCARE);
    EXPECT_EQ(dialog.fontItalic, FALSE);
    EXPECT_EQ(dialog.fontCharset, DEFAULT_CHARSET);
  }
  ExpectSameRect(dialog.rect, expected.rect);
  EXPECT_EQ(dialog.styles, expected.styles);
  EXPECT_EQ(dialog.extendedStyles, expected.extendedStyles);
  EXPECT_EQ(dialog.menu, L"");
  EXPECT_EQ(dialog.windowClass, L"");

  ASSERT_EQ(dialog.controls.size(), expected.controls.size());
  for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
    const Control& control = dialog.controls[i];
    const res::ControlTemplate& data = expected.controls[i];
    SCOPED_TRACE(std::string(data.identifier));
    // Window classes are matched without regard to case; windres writes them in capitals.
    EXPECT_EQ(CompareStringOrdinal(control.windowClass.c_str(), -1,
                                   ExpectedClass(data.kind).c_str(), -1, TRUE),
              CSTR_EQUAL)
        << "class " << Ascii(control.windowClass);
    EXPECT_EQ(control.id, data.id);
    const std::wstring text = data.kind == res::ControlKind::StaticIcon
                                  ? L"#" + std::to_wstring(res::IDR_MAINFRAME)
                                  : Wide(data.text);
    EXPECT_EQ(control.text, text);
    ExpectSameRect(control.rect, data.rect);
    EXPECT_EQ(control.styles, WS_CHILD | data.styles);
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogResource,
                         testing::Values(DialogCase{&res::kMainDialog, true},
                                         DialogCase{&res::kAboutDialog, false},
                                         DialogCase{&res::kHistoryDialog, true},
                                         DialogCase{&res::kNamesDialog, true}),
                         [](const testing::TestParamInfo<DialogCase>& dialog) {
                           return std::string(dialog.param.data->identifier);
                         });

TEST(StringResource, EveryStringOfTheTableLoads) {
  const Module program = LoadProgram();
  ASSERT_TRUE(program);
  for (const res::StringResource& entry : res::kStringTable) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(program.get(), static_cast<UINT>(entry.id),
                                   reinterpret_cast<wchar_t*>(&text), 0);
    EXPECT_EQ(std::wstring(text, static_cast<std::size_t>(length)), Wide(entry.text))
        << "string " << entry.id;
  }
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colorCount, reserved;
  WORD planes, bitCount;
  DWORD bytesInRes;
  WORD id;
};
#pragma pack(pop)

TEST(IconResource, TheProgramIconHasA32AndA16PixelImage) {
  const Module program = LoadProgram();
  ASSERT_TRUE(program);
  const std::string_view group = ResourceBytes(program.get(), RT_GROUP_ICON, res::IDR_MAINFRAME);
  ASSERT_GE(group.size(), 6u);
  WORD header[3];
  std::memcpy(header, group.data(), sizeof header);
  EXPECT_EQ(header[1], 1) << "icon, not cursor";
  ASSERT_EQ(header[2], 2);
  ASSERT_EQ(group.size(), sizeof header + 2 * sizeof(GroupIconEntry));

  const int sides[] = {32, 16};
  for (int i = 0; i < 2; ++i) {
    GroupIconEntry entry;
    std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
    EXPECT_EQ(entry.width, sides[i]);
    EXPECT_EQ(entry.height, sides[i]);
    const std::string_view image = ResourceBytes(program.get(), RT_ICON, entry.id);
    ASSERT_EQ(image.size(), entry.bytesInRes) << "image " << entry.id;
    const Icon icon(CreateIconFromResourceEx(
        reinterpret_cast<BYTE*>(const_cast<char*>(image.data())), static_cast<DWORD>(image.size()),
        TRUE, 0x00030000, sides[i], sides[i], LR_DEFAULTCOLOR));
    EXPECT_TRUE(icon) << "image " << entry.id << " is not an icon";
  }
}

class VersionBlock : public testing::Test {
 protected:
  void SetUp() override {
    const DWORD size = GetFileVersionInfoSizeW(programPath.c_str(), nullptr);
    ASSERT_NE(size, 0u) << "no version block, error " << GetLastError();
    block_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(programPath.c_str(), 0, size, block_.data()));
  }

  // The value at `path`, or null with `size` 0 when the block has none.
  void* Query(const std::wstring& path, UINT& size) {
    void* value = nullptr;
    size = 0;
    if (!VerQueryValueW(block_.data(), path.c_str(), &value, &size)) {
      return nullptr;
    }
    return value;
  }

  std::vector<char> block_;
};

TEST_F(VersionBlock, NumbersAndKindAreTheData) {
  UINT size = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", size));
  ASSERT_NE(fixed, nullptr);
  ASSERT_EQ(size, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
  const auto [major, minor, patch, tweak] = res::kFileVersion;
  const DWORD high = MAKELONG(minor, major);
  const DWORD low = MAKELONG(tweak, patch);
  EXPECT_EQ(fixed->dwFileVersionMS, high);
  EXPECT_EQ(fixed->dwFileVersionLS, low);
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionBlock, TranslationIsTheLanguageOfTheStrings) {
  UINT size = 0;
  const auto* translation = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", size));
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(size, 2 * sizeof(WORD));
  const unsigned long language = std::stoul(std::string(res::kVersionLanguage), nullptr, 16);
  EXPECT_EQ(translation[0], language >> 16);
  EXPECT_EQ(translation[1], language & 0xFFFF);
}

TEST_F(VersionBlock, EveryStringIsTheData) {
  const std::pair<const wchar_t*, std::string_view> values[] = {
      {L"CompanyName", res::kCompanyName},           {L"FileDescription", res::kFileDescription},
      {L"FileVersion", res::kFileVersionText},       {L"InternalName", res::kInternalName},
      {L"LegalCopyright", res::kLegalCopyright},     {L"LegalTrademarks", res::kLegalTrademarks},
      {L"OriginalFilename", res::kOriginalFilename}, {L"ProductName", res::kProductName},
      {L"ProductVersion", res::kFileVersionText},
  };
  const std::wstring table = L"\\StringFileInfo\\" + Wide(res::kVersionLanguage) + L"\\";
  for (const auto& [name, expected] : values) {
    UINT size = 0;
    const auto* value = static_cast<const wchar_t*>(Query(table + name, size));
    ASSERT_NE(value, nullptr) << "no " << Ascii(name);
    // The size counts the terminating zero, when the block has one.
    EXPECT_EQ(std::wstring(value, wcsnlen(value, size)), Wide(expected)) << Ascii(name);
  }
}

TEST(ManifestResource, DeclaresDpiAwarenessWithoutTheNewCommonControls) {
  const Module program = LoadProgram();
  ASSERT_TRUE(program);
  const std::string_view manifest =
      ResourceBytes(program.get(), RT_MANIFEST, 1);  // CREATEPROCESS_MANIFEST_RESOURCE_ID
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find(">PerMonitorV2,PerMonitor</dpiAwareness>"), std::string_view::npos);
  EXPECT_NE(manifest.find(">true/PM</dpiAware>"), std::string_view::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string_view::npos);
  // Vista, 7, 8, 8.1 and 10 (which 11 shares).
  int supportedSystems = 0;
  for (std::size_t at = manifest.find("<supportedOS "); at != std::string_view::npos;
       at = manifest.find("<supportedOS ", at + 1)) {
    ++supportedSystems;
  }
  EXPECT_EQ(supportedSystems, 5);
  EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string_view::npos);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::cerr << "usage: program_resources_test PROGRAM.exe\n";
    return 64;
  }
  programPath = argv[1];
  return RUN_ALL_TESTS();
}
