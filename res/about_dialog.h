// IDD_ABOUTBOX: the About box.
#pragma once

#include <array>

#include "dialog_template.h"
#include "res/version_info.h"
#include "resource.h"

namespace res {

inline constexpr std::array<ControlTemplate, 4> kAboutDialogControls = {{
    {IDC_STATIC,
     "IDR_MAINFRAME",
     ControlKind::StaticIcon,
     "",
     {11, 17, 20, 20},
     style::WS_VISIBLE | style::SS_ICON,
     "Korvanta icon"},
    {IDC_STATIC,
     "IDC_VERSION",
     ControlKind::StaticText,
     "Korvanta 1.0 版",
     {40, 10, 119, 8},
     style::WS_VISIBLE | style::SS_NOPREFIX | style::WS_GROUP,
     "Version"},
    {IDC_STATIC,
     "IDC_COPYRIGHT",
     ControlKind::StaticText,
     kLegalCopyright,
     {40, 25, 119, 8},
     style::WS_VISIBLE | style::WS_GROUP,
     "Copyright"},
    {IDOK,
     "IDOK",
     ControlKind::PushButton,
     "确定",
     {178, 7, 50, 14},
     style::WS_VISIBLE | style::BS_DEFPUSHBUTTON | style::WS_TABSTOP | style::WS_GROUP,
     "OK"},
}};

inline constexpr DialogTemplate kAboutDialog = {
    IDD_ABOUTBOX,
    "IDD_ABOUTBOX",
    "关于 Korvanta",
    "宋体",
    9,
    {0, 0, 235, 55},
    style::WS_POPUP | style::WS_CAPTION | style::WS_SYSMENU | style::DS_MODALFRAME |
        style::DS_SETFONT,
    0,
    kAboutDialogControls,
};

}  // namespace res
