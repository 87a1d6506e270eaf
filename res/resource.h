// Identifiers of the program's resources: dialogs, controls, strings, the icon, menu commands.
// The numbers are the ones a Windows resource script of the program uses.
#pragma once

namespace res {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_MAINFRAME = 128;

// The records list's menu and the export dialog.
inline constexpr int IDS_RECORDS_COPY = 201;
inline constexpr int IDS_RECORDS_SELECT_ALL = 202;
inline constexpr int IDS_RECORDS_EXPORT = 203;
inline constexpr int IDS_EXPORT_FILTER = 204;
inline constexpr int IDS_EXPORT_FILTER_CSV = 205;

inline constexpr int IDC_COLLECT = 1000;
inline constexpr int IDC_PORT = 1001;
inline constexpr int IDC_RECORDS = 1002;
inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_THREAD_STATE = 1004;
inline constexpr int IDC_COUNT = 1005;

// windows.h has IDOK as a macro of the same value.
#pragma push_macro("IDOK")
#undef IDOK
inline constexpr int IDOK = 1;
#pragma pop_macro("IDOK")
inline constexpr int IDC_STATIC = -1;

inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

}  // namespace res
