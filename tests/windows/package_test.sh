#!/usr/bin/env bash
# Checks the Windows release files under Wine, each in a fresh Wine prefix, on a virtual display:
# the unpacked ZIP's brikmux.exe starts; the installer installs silently for the current user
# (the programs, the uninstaller, the Start-menu entry, "Open with Brikmux" for .mpd, .ldr and
# .dat without taking over .dat); a model opened as Explorer opens it is listed and chosen in the
# window; the uninstaller removes what was installed and keeps the settings. Screenshots of the
# three windows land in SCREENSHOTS.
#   tests/windows/package_test.sh ZIP SETUP SCREENSHOTS
set -euo pipefail
zip=$(realpath "$1")
setup=$(realpath "$2")
shots=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

work=$(mktemp -d)
xvfb_pid=
cleanup()
{
    [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots"

failures=0
check()
{
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

# A display of our own.
for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        export DISPLAY=:$n
        break
    fi
done
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done

wine()
{
    /usr/lib/wine/wine64 "$@"
}
fresh_prefix()
{
    [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
    export WINEPREFIX=$work/$1 WINEDEBUG=-all
    bash "$root/scripts/wine-prefix" "$WINEPREFIX"
}
# The value of a registry value, or nothing when it is absent.
reg_value()
{
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}
reg_default()
{
    wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ && !/\(value not set\)/ { sub(/.*REG_SZ +/, ""); print }'
}
# Waits for a top-level window whose title is exactly title, and prints its id.
wait_window()
{
    local id
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
        if [ -n "$id" ]; then
            sleep 1 # painted
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "no window \"$1\" appeared" >&2
    return 1
}
screenshot()
{
    import -window root "$shots/$1.png"
}
gone()
{
    for _ in $(seq 100); do
        pgrep -f "$1" >/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# 1. The ZIP, unpacked anywhere.
fresh_prefix zip
mkdir -p "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
unpacked=$(find "$work/unpacked" -name brikmux.exe -printf '%h\n')
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' "$root/CMakeLists.txt" | head -n 1)
for exe in brikmux.exe brikmux-cli.exe; do
    resources=$(x86_64-w64-mingw32-windres -i "$unpacked/$exe" -O rc 2>/dev/null | grep -E 'RT_GROUP_ICON|VALUE' | tr '\n' ' ')
    check "$exe has the program icon, and properties that show its name, version and description" grep -q \
        "RT_GROUP_ICON.*\"FileDescription\", \"Brikmux.*\"ProductName\", \"Brikmux\".*\"ProductVersion\", \"$version\"" \
        <<<"$resources"
done
check "brikmux-cli.exe from the ZIP runs" sh -c "/usr/lib/wine/wine64 '$unpacked/brikmux-cli.exe' --version | grep -q '^brikmux-cli '"
(cd "$unpacked" && wine brikmux.exe >/dev/null 2>&1 &)
# Started with no settings, it asks for the LDraw folder at once.
if id=$(wait_window "Locate LDraw.EXE"); then
    echo "ok: brikmux.exe from the ZIP shows its window"
    screenshot locate
    xdotool key --window "$id" Escape
    sleep 1
    xdotool key Return # the message that the program ends
    check "Cancel in the Locate dialog ends the program" gone brikmux.exe
else
    echo "FAILED: brikmux.exe from the ZIP shows its window"
    failures=$((failures + 1))
fi

# 2. The installer, for the current user.
fresh_prefix setup
wine "$setup" /S
/usr/lib/wine/wineserver -w
user_dir=$WINEPREFIX/drive_c/users/$(id -un)
installed=$user_dir/AppData/Local/Programs/Brikmux
start_menu="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Brikmux.lnk"
for file in brikmux.exe brikmux-cli.exe Uninstall.exe Qt6Widgets.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
    check "installed $file" test -f "$installed/$file"
done
check "Start-menu entry" test -f "$start_menu"
install_dir='C:\users\'$(id -un)'\AppData\Local\Programs\Brikmux'
for ext in .mpd .ldr .dat; do
    key='HKCU\Software\Classes\SystemFileAssociations\'$ext'\shell\Brikmux'
    check "\"Open with Brikmux\" on $ext" test "$(reg_default "$key")" = "Open with Brikmux"
    check "$ext opens in the installed brikmux.exe" \
        test "$(reg_default "$key\\command")" = "\"$install_dir\\brikmux.exe\" \"%1\""
done
check ".dat keeps its default program" test -z "$(reg_default 'HKCU\Software\Classes\.dat')"
check "listed among the installed programs" \
    test "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brikmux' DisplayVersion)" = "$version"

# 3. A model opened from Explorer: the registered command with the file's path, in a folder with
# a blank and a name outside ASCII. The LDraw folder is known, so the main window comes up alone.
models="$WINEPREFIX/drive_c/Models/My cars"
mkdir -p "$models" "$WINEPREFIX/drive_c/LDraw/parts" "$WINEPREFIX/drive_c/LDraw/p"
touch "$WINEPREFIX/drive_c/LDraw/ldraw.exe" "$models/Gélé 2.mpd" "$models/another.mpd"
cp "$root"/examples/buggy/*.dat "$models/"
wine reg add 'HKCU\Software\Brikmux\Brikmux\Paths' /v LDrawPath /t REG_SZ /d 'C:\LDraw\' /f >/dev/null
command=$(reg_default 'HKCU\Software\Classes\SystemFileAssociations\.mpd\shell\Brikmux\command')
exe=$(echo "$command" | sed 's/^"\([^"]*\)".*/\1/')
wine "$exe" 'C:\Models\My cars\Gélé 2.mpd' >/dev/null 2>&1 &
if id=$(wait_window Brikmux); then
    screenshot brikmux_main
    # Help (the menu after Options), then About Brikmux, from the keyboard.
    xdotool key --window "$id" alt
    sleep 0.5
    xdotool key Right
    sleep 0.5
    xdotool key Return
    sleep 0.5
    xdotool key Return
    if about=$(wait_window "About Brikmux"); then
        echo "ok: Help, About Brikmux opens the About box"
        screenshot brikmux_about
        xdotool key --window "$about" Escape
    else
        echo "FAILED: Help, About Brikmux opens the About box"
        failures=$((failures + 1))
    fi
    sleep 1
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    xdotool key --window "$id" alt+F4
    check "the window closes" gone brikmux.exe
    /usr/lib/wine/wineserver -w
    # Closing saves the folders: the MPD folder is the opened model's, with the trailing "\".
    check "the model's folder became the MPD folder" \
        test "$(reg_value 'HKCU\Software\Brikmux\Brikmux\Paths' MPDPath)" = 'C:\Models\My cars\'
else
    echo "FAILED: the installed brikmux.exe shows its window for a model opened from Explorer"
    failures=$((failures + 1))
fi

# 4. The uninstaller removes what was installed and keeps the settings.
wine "$installed/Uninstall.exe" /S
/usr/lib/wine/wineserver -w
sleep 1
/usr/lib/wine/wineserver -w
check "the programs and their folder are removed" test ! -e "$installed"
check "the Start-menu entry is removed" test ! -e "$start_menu"
check "the associations are removed" \
    test -z "$(reg_default 'HKCU\Software\Classes\SystemFileAssociations\.mpd\shell\Brikmux')"
check "the settings are kept" test "$(reg_value 'HKCU\Software\Brikmux\Brikmux\Paths' LDrawPath)" = 'C:\LDraw\'

echo "screenshots: $shots"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "every check passed"
