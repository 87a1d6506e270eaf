// The texts the user is shown, exactly as the operators know them (UTF-8).
#pragma once

#include <string_view>

namespace wandlink {

inline constexpr std::string_view kPortOpenFailedMessage = "串口設置不存在或被占用!";
inline constexpr std::string_view kReadFailedMessage = "读取数据失败";
inline constexpr std::string_view kNoRecordsMessage = "读取完成,没有记录";
// Followed by the reason on a second line.
inline constexpr std::string_view kExportFailedMessage = "导出失败";
// The trace support asked for (KORVANTA_TRACE) could not be written; followed by the reason on a
// second line.
inline constexpr std::string_view kTraceFailedMessage = "跟踪文件写入失败";
// The clipboard could not be opened (another program holds it).
inline constexpr std::string_view kCopyFailedMessage = "复制失败";

}  // namespace wandlink
