// Dialog templates as data: the dialog's caption, font and size, and each control's
// identifier, kind, text, rectangle and styles. Rectangles are in dialog units (a quarter of
// the dialog font's average character width across, an eighth of its height down); style bits
// carry the values a Windows resource script uses, so a template can be written out as one.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace res {

namespace style {
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t DS_MODALFRAME = 0x00000080;
inline constexpr std::uint32_t DS_SETFONT = 0x00000040;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x00000001;
inline constexpr std::uint32_t CBS_DROPDOWNLIST = 0x00000003;
inline constexpr std::uint32_t LVS_REPORT = 0x00000001;
// The list asks its owner for each visible cell instead of storing rows: a full wand at once.
inline constexpr std::uint32_t LVS_OWNERDATA = 0x00001000;
inline constexpr std::uint32_t SS_LEFT = 0x00000000;
inline constexpr std::uint32_t SS_ICON = 0x00000003;
inline constexpr std::uint32_t SS_NOPREFIX = 0x00000080;
inline constexpr std::uint32_t SS_RIGHT = 0x00000002;
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x00000080;
inline constexpr std::uint32_t LVS_SINGLESEL = 0x00000004;
inline constexpr std::uint32_t LVS_SHOWSELALWAYS = 0x00000008;
// A date picker with a check box: unchecked, the date sets no bound.
inline constexpr std::uint32_t DTS_SHOWNONE = 0x00000002;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
}  // namespace style

enum class ControlKind {
  PushButton,
  ComboBox,
  ListView,
  ProgressBar,
  StaticText,
  StaticIcon,
  Edit,
  DatePicker,
};

struct DialogRect {
  int x, y, width, height;
};

struct ControlTemplate {
  int id;
  std::string_view identifier;
  ControlKind kind;
  std::string_view text;
  DialogRect rect;
  std::uint32_t styles;
  // The English gloss of the control, for screen readers and automation.
  std::string_view accessibleName;
};

struct DialogTemplate {
  int id;
  std::string_view identifier;
  std::string_view caption;
  std::string_view fontFace;
  int fontPoints;
  DialogRect rect;
  std::uint32_t styles;
  std::uint32_t extendedStyles;
  std::span<const ControlTemplate> controls;
};

}  // namespace res
