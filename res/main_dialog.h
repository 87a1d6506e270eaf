// IDD_MAIN: the program's one window.
#pragma once

#include <array>

#include "dialog_template.h"
#include "resource.h"

namespace res {

inline constexpr std::array<ControlTemplate, 6> kMainDialogControls = {{
    {IDC_COLLECT,
     "IDC_COLLECT",
     ControlKind::PushButton,
     "采集数据",
     {16, 13, 60, 15},
     style::WS_VISIBLE | style::WS_TABSTOP | style::BS_DEFPUSHBUTTON,
     "Collect data"},
    {IDC_PORT,
     "IDC_PORT",
     ControlKind::ComboBox,
     "",
     {16, 36, 62, 58},
     style::WS_VISIBLE | style::WS_TABSTOP | style::WS_VSCROLL | style::CBS_DROPDOWNLIST,
     "Serial port"},
    {IDC_RECORDS,
     "IDC_RECORDS",
     ControlKind::ListView,
     "List1",
     {103, 7, 203, 155},
     style::WS_VISIBLE | style::WS_TABSTOP | style::WS_BORDER | style::LVS_REPORT |
         style::LVS_OWNERDATA,
     "Records"},
    {IDC_PROGRESS,
     "IDC_PROGRESS",
     ControlKind::ProgressBar,
     "Progress1",
     {13, 58, 66, 10},
     style::WS_VISIBLE | style::WS_BORDER,
     "Progress"},
    {IDC_THREAD_STATE,
     "IDC_THREAD_STATE",
     ControlKind::PushButton,
     "Button2",
     {19, 142, 55, 16},
     style::WS_TABSTOP,
     "Thread state"},
    {IDC_COUNT,
     "IDC_COUNT",
     ControlKind::StaticText,
     "10000",
     {79, 59, 21, 10},
     style::WS_VISIBLE | style::SS_LEFT | style::WS_GROUP,
     "Record count"},
}};

inline constexpr DialogTemplate kMainDialog = {
    IDD_MAIN,
    "IDD_MAIN",
    "测试Demo",
    "宋体",
    9,
    {0, 0, 313, 176},
    style::WS_POPUP | style::WS_VISIBLE | style::WS_CAPTION | style::WS_SYSMENU |
        style::DS_MODALFRAME | style::DS_SETFONT,
    style::WS_EX_APPWINDOW,
    kMainDialogControls,
};

}  // namespace res
