// Rows of a downloaded log as an HTML table, the clipboard's second flavour beside the
// tab-separated text: a spreadsheet pasting it keeps the wand and button numbers as written
// ("0123", "12E4"), where it would read the text's as numbers. Their cells are marked as text
// for both spreadsheets: Excel reads the style mso-number-format:"\@", LibreOffice its own
// attribute sdnum="1033;0;@".
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "wandlink/download_log.h"

namespace wandlink {

// A whole HTML document (UTF-8) with the heading row and the given rows, in the order given;
// rows past the log's end are skipped. The table lies between <!--StartFragment--> and
// <!--EndFragment-->.
std::string LogRowsHtml(const DownloadLog& log, std::span<const std::size_t> rows);

// Windows' clipboard format "HTML Format" (CF_HTML) around such a document: the header with the
// byte offsets of the document and of its fragment.
std::string ClipboardHtmlFormat(std::string_view html);

}  // namespace wandlink
