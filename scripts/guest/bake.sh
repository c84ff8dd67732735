#!/bin/bash
# Runs once inside a new guest image, booted without -snapshot so that what
# it does stays in the image: prepares the Wine prefix every test run starts
# from (wineboot takes about a minute when emulated) and shows that Wine runs
# 32-bit programs with code page 932.
source /opt/tarvik/wine-env.sh
wineboot -i > /dev/null 2>&1
wineserver -w
# Windows not handed to a window manager: there is none, and Wine would
# wait two seconds for it whenever a window is hidden or destroyed.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1
# No crash dialog waiting for a click in a test run.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f > /dev/null 2>&1
# The windows ask for "ＭＳ Ｐゴシック" / "ＭＳ ゴシック": the IPA fonts stand in.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "ＭＳ Ｐゴシック" /t REG_SZ /d IPAPGothic /f > /dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "ＭＳ ゴシック" /t REG_SZ /d IPAGothic /f > /dev/null 2>&1
wineserver -w
wine /opt/tarvik/acp.exe 2> /dev/null | tr -d '\r' > /host/acp.txt
wineserver -w
sync
