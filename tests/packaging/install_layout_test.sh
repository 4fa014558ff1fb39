#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that every file lands where the desktop
# looks for it, and that the desktop entry, the icons, the MIME types and the metainfo agree.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
check() { # DESCRIPTION, then a command that must succeed
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1" && failures=$((failures + 1)); fi
}

share=$prefix/share
desktop=$share/applications/org.brikmux.brikmux.desktop
check "both programs in bin" test -x "$prefix/bin/brikmux" -a -x "$prefix/bin/brikmux-cli"
check "desktop entry" test -f "$desktop"
check "desktop entry passes the file as the argument" grep -qx 'Exec=brikmux %f' "$desktop"
check "desktop entry offers Brikmux for LDraw files" \
    grep -qx 'MimeType=application/x-ldraw;application/x-multi-part-ldraw;' "$desktop"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 32 48 64 128 256; do
    check "${size}x${size} icon named as the entry says" test -s "$share/icons/hicolor/${size}x${size}/apps/$icon.png"
done
check "scalable icon" grep -q '<svg' "$share/icons/hicolor/scalable/apps/$icon.svg"
check ".mpd files are multi-part LDraw" grep -q 'type="application/x-multi-part-ldraw"' "$share/mime/packages/brikmux.xml"
check ".dat files are LDraw" grep -q 'pattern="\*.dat"' "$share/mime/packages/brikmux.xml"
check "metainfo launches the desktop entry" \
    grep -q '<launchable type="desktop-id">org.brikmux.brikmux.desktop</launchable>' "$share/metainfo/org.brikmux.brikmux.metainfo.xml"
check "manual pages" test -s "$share/man/man1/brikmux.1.gz" -a -s "$share/man/man1/brikmux-cli.1.gz"
check "installed brikmux-cli runs" test "$("$prefix/bin/brikmux-cli" --version)" = "brikmux-cli 1.2.2"
if command -v update-mime-database >/dev/null; then
    update-mime-database "$share/mime" >/dev/null 2>&1
    check "the MIME database knows *.mpd" grep -q 'application/x-multi-part-ldraw:\*\.mpd' "$share/mime/globs"
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
