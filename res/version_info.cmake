# The program's version block, in one place: the build, the About box, the desktop entry and the
# Debian package take their fields from here (a Windows resource script can be made from it too).
set(KORVANTA_FILE_VERSION "1.0.0.1")
set(KORVANTA_FILE_VERSION_TEXT "1, 0, 0, 1")
set(KORVANTA_VERSION_LANGUAGE "080404B0")
set(KORVANTA_FILE_DESCRIPTION "Korvanta Microsoft 基础类应用程序")
set(KORVANTA_PRODUCT_NAME "Korvanta 应用程序")
set(KORVANTA_INTERNAL_NAME "Korvanta")
set(KORVANTA_ORIGINAL_FILENAME "Korvanta.EXE")
set(KORVANTA_LEGAL_COPYRIGHT "版权所有 (C) 2026 Korvanta")
set(KORVANTA_COMPANY_NAME "")
set(KORVANTA_LEGAL_TRADEMARKS "")
