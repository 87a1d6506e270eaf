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

// The history window, the names dialog and the way into them.
inline constexpr int IDD_HISTORY = 300;
inline constexpr int IDD_NAMES = 301;
inline constexpr int IDS_HISTORY_MENU = 302;
inline constexpr int IDS_HISTORY_ARCHIVE_OFF = 303;
inline constexpr int IDS_HISTORY_ARCHIVE_UNREADABLE = 304;
inline constexpr int IDS_NAMES_FILTER_CSV = 305;
inline constexpr int IDS_NAMES_IMPORT_CONFIRM = 306;
inline constexpr int IDS_NAMES_IMPORT_REJECTED = 307;
inline constexpr int IDS_NAMES_UNNAMED = 308;
inline constexpr int IDS_HISTORY_NO_SQLITE = 309;
inline constexpr int IDS_HISTORY_NO_PLACE = 310;
inline constexpr int IDS_NAMES_BAD_NUMBER = 311;
inline constexpr int IDS_NAMES_NOT_SAVED = 312;
inline constexpr int IDS_NAMES_FILE_FAILED = 313;

inline constexpr int IDC_COLLECT = 1000;
inline constexpr int IDC_PORT = 1001;
inline constexpr int IDC_RECORDS = 1002;
inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_THREAD_STATE = 1004;
inline constexpr int IDC_COUNT = 1005;

inline constexpr int IDC_HISTORY_FROM = 1100;
inline constexpr int IDC_HISTORY_TO = 1101;
inline constexpr int IDC_HISTORY_LAST_NIGHT = 1102;
inline constexpr int IDC_HISTORY_GUARD = 1103;
inline constexpr int IDC_HISTORY_PLACE = 1104;
inline constexpr int IDC_HISTORY_COUNT = 1105;
inline constexpr int IDC_HISTORY_LIST = 1106;
inline constexpr int IDC_HISTORY_EXPORT = 1107;
inline constexpr int IDC_HISTORY_NAMES = 1108;
inline constexpr int IDC_HISTORY_STATUS = 1109;

inline constexpr int IDC_NAMES_GUARDS = 1200;
inline constexpr int IDC_NAMES_PLACES = 1201;
inline constexpr int IDC_NAMES_NUMBER = 1202;
inline constexpr int IDC_NAMES_NAME = 1203;
inline constexpr int IDC_NAMES_SAVE = 1204;
inline constexpr int IDC_NAMES_REMOVE = 1205;
inline constexpr int IDC_NAMES_IMPORT = 1206;
inline constexpr int IDC_NAMES_EXPORT = 1207;

// windows.h has IDOK as a macro of the same value.
#pragma push_macro("IDOK")
#undef IDOK
inline constexpr int IDOK = 1;
#pragma pop_macro("IDOK")
#pragma push_macro("IDCANCEL")
#undef IDCANCEL
inline constexpr int IDCANCEL = 2;
#pragma pop_macro("IDCANCEL")
inline constexpr int IDC_STATIC = -1;

inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
// The window menu's entry of the history, above the About entry; Ctrl+H opens it too.
inline constexpr unsigned IDM_HISTORY = 0x0020;

}  // namespace res
