#!/bin/sh
# Checks the desktop entry, the AppStream metainfo and the manual page (plain or gzipped)
# with the tools desktops and packagers check them with.
# Usage: check_linux_files.sh DESKTOP-FILE METAINFO-FILE MANUAL-PAGE
set -u

missing=""
for tool in desktop-file-validate appstreamcli man lexgrog; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    echo "Skipped: missing$missing (packages desktop-file-utils, appstream, man-db)"
    exit 77
fi

status=0
# Warnings and hints count as well: desktop-file-validate prints nothing for a clean entry.
out=$(desktop-file-validate "$1" 2>&1)
if [ -n "$out" ]; then
    echo "$out"
    status=1
fi
appstreamcli validate --no-net "$2" || status=1
out=$(man --warnings -l "$3" 2>&1 >/dev/null)
if [ -n "$out" ]; then
    echo "$out"
    status=1
fi
lexgrog "$3" >/dev/null || status=1
exit $status
