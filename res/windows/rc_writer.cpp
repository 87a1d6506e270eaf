// Writes the Windows program's resource script from the data the Qt window is built from, so
// that the two cannot drift: every dialog, the string table, the icon, the version block and
// the manifest. Built and run on the build machine during the Windows build.
// Usage: rc_writer OUTPUT.rc
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "res/about_dialog.h"
#include "res/history_dialog.h"
#include "res/main_dialog.h"
#include "res/names_dialog.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "res/version_info.h"

namespace {

// A string literal of the script: quotes doubled, backslashes escaped, a tab (a menu entry's
// keys) as \t; other control characters have no place in the program's texts and would not
// survive the script.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\t') {
      quoted += "\\t";
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20) {
      throw std::invalid_argument("control character in resource text: " + std::string(text));
    }
    if (c == '"') {
      quoted += '"';
    } else if (c == '\\') {
      quoted += '\\';
    }
    quoted += c;
  }
  return quoted + '"';
}

std::string Hex(std::uint32_t value, int digits = 8) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string_view ClassName(res::ControlKind kind) {
  switch (kind) {
    case res::ControlKind::PushButton:
      return "Button";
    case res::ControlKind::ComboBox:
      return "ComboBox";
    case res::ControlKind::ListView:
      return "SysListView32";
    case res::ControlKind::ProgressBar:
      return "msctls_progress32";
    case res::ControlKind::StaticText:
    case res::ControlKind::StaticIcon:
      return "Static";
    case res::ControlKind::Edit:
      return "Edit";
    case res::ControlKind::DatePicker:
      return "SysDateTimePick32";
  }
  throw std::invalid_argument("control kind without a window class");
}

// An icon control shows the program's icon; the script names it by its number.
std::string ControlText(const res::ControlTemplate& control) {
  if (control.kind == res::ControlKind::StaticIcon) {
    return std::to_string(res::IDR_MAINFRAME);
  }
  return Quoted(control.text);
}

std::string Rect(const res::DialogRect& rect) {
  return std::to_string(rect.x) + ", " + std::to_string(rect.y) + ", " +
         std::to_string(rect.width) + ", " + std::to_string(rect.height);
}

// Without NOT, the script's CONTROL statement makes a control visible whatever its styles say.
std::string ControlStyle(std::uint32_t styles) {
  const std::string hidden = (styles & res::style::WS_VISIBLE) ? "" : "NOT WS_VISIBLE | ";
  return hidden + "WS_CHILD | " + Hex(styles);
}

void WriteDialog(std::ostream& out, const res::DialogTemplate& dialog, bool extended) {
  out << dialog.identifier << (extended ? " DIALOGEX " : " DIALOG ") << Rect(dialog.rect) << '\n'
      << "STYLE " << Hex(dialog.styles) << '\n';
  if (extended) {
    out << "EXSTYLE " << Hex(dialog.extendedStyles) << '\n';
  } else if (dialog.extendedStyles != 0) {
    throw std::invalid_argument("a classic dialog has no extended styles");
  }
  out << "CAPTION " << Quoted(dialog.caption) << '\n'
      << "FONT " << dialog.fontPoints << ", " << Quoted(dialog.fontFace)
      << (extended ? ", 0, 0, 0x1" : "") << '\n'
      << "BEGIN\n";
  for (const res::ControlTemplate& control : dialog.controls) {
    out << "    CONTROL " << ControlText(control) << ", " << control.id << ", "
        << Quoted(ClassName(control.kind)) << ", " << ControlStyle(control.styles) << ", "
        << Rect(control.rect) << "  // " << control.identifier << '\n';
  }
  out << "END\n\n";
}

void WriteStringTable(std::ostream& out) {
  out << "STRINGTABLE\nBEGIN\n";
  for (const res::StringResource& entry : res::kStringTable) {
    out << "    " << entry.id << ", " << Quoted(entry.text) << '\n';
  }
  out << "END\n\n";
}

// "080404B0" is the language 0x0804 and the code page 0x04B0 of the version block's strings.
std::uint16_t HexField(std::string_view digits) {
  std::uint16_t value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (error != std::errc() || end != digits.data() + digits.size()) {
    throw std::invalid_argument("version language is not 8 hex digits");
  }
  return value;
}

void WriteVersionInfo(std::ostream& out) {
  if (res::kVersionLanguage.size() != 8) {
    throw std::invalid_argument("version language is not 8 hex digits");
  }
  const std::string numbers =
      std::to_string(res::kFileVersion[0]) + "," + std::to_string(res::kFileVersion[1]) + "," +
      std::to_string(res::kFileVersion[2]) + "," + std::to_string(res::kFileVersion[3]);
  out << "VS_VERSION_INFO VERSIONINFO\n"
      << " FILEVERSION " << numbers << '\n'
      << " PRODUCTVERSION " << numbers << '\n'
      << " FILEFLAGSMASK VS_FFI_FILEFLAGSMASK\n"
      << " FILEFLAGS 0x0\n"
      << " FILEOS VOS__WINDOWS32\n"
      << " FILETYPE VFT_APP\n"
      << " FILESUBTYPE VFT2_UNKNOWN\n"
      << "BEGIN\n"
      << "    BLOCK \"StringFileInfo\"\n"
      << "    BEGIN\n"
      << "        BLOCK " << Quoted(res::kVersionLanguage) << '\n'
      << "        BEGIN\n";
  const std::pair<std::string_view, std::string_view> values[] = {
      {"CompanyName", res::kCompanyName},           {"FileDescription", res::kFileDescription},
      {"FileVersion", res::kFileVersionText},       {"InternalName", res::kInternalName},
      {"LegalCopyright", res::kLegalCopyright},     {"LegalTrademarks", res::kLegalTrademarks},
      {"OriginalFilename", res::kOriginalFilename}, {"ProductName", res::kProductName},
      {"ProductVersion", res::kFileVersionText},
  };
  for (const auto& [name, value] : values) {
    out << "            VALUE " << Quoted(name) << ", " << Quoted(value) << '\n';
  }
  out << "        END\n"
      << "    END\n"
      << "    BLOCK \"VarFileInfo\"\n"
      << "    BEGIN\n"
      << "        VALUE \"Translation\", " << Hex(HexField(res::kVersionLanguage.substr(0, 4)), 4)
      << ", " << HexField(res::kVersionLanguage.substr(4)) << '\n'
      << "    END\n"
      << "END\n\n";
}

void WriteScript(std::ostream& out) {
  out << "// Made by the build from res/ (res/windows/rc_writer.cpp): do not edit.\n"
      << "#pragma code_page(65001)\n"
      << "#include <winresrc.h>\n\n";
  const std::pair<std::string_view, int> identifiers[] = {
      {res::kAboutDialog.identifier, res::kAboutDialog.id},
      {"IDS_ABOUTBOX", res::IDS_ABOUTBOX},
      {res::kMainDialog.identifier, res::kMainDialog.id},
      {res::kHistoryDialog.identifier, res::kHistoryDialog.id},
      {res::kNamesDialog.identifier, res::kNamesDialog.id},
      {"IDR_MAINFRAME", res::IDR_MAINFRAME},
  };
  for (const auto& [name, id] : identifiers) {
    out << "#define " << name << ' ' << id << '\n';
  }
  out << "\nLANGUAGE LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED\n\n"
      << "IDR_MAINFRAME ICON \"korvanta.ico\"\n\n";
  WriteDialog(out, res::kAboutDialog, false);
  WriteDialog(out, res::kMainDialog, true);
  WriteDialog(out, res::kHistoryDialog, true);
  WriteDialog(out, res::kNamesDialog, true);
  WriteStringTable(out);
  WriteVersionInfo(out);
  out << "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"korvanta.manifest\"\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: rc_writer OUTPUT.rc\n";
    return 64;
  }
  try {
    std::ofstream out(argv[1], std::ios::binary);
    WriteScript(out);
    out.close();
    if (!out) {
      std::cerr << "rc_writer: cannot write " << argv[1] << '\n';
      return 1;
    }
  } catch (const std::exception& error) {
    std::cerr << "rc_writer: " << error.what() << '\n';
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
