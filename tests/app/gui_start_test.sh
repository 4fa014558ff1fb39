#!/usr/bin/env bash
# Starts the window program as the desktop does, on a virtual display of its own: with a library
# remembered its main window opens; without one the Locate dialog comes up over it. Skips itself
# (77) where Xvfb or xdotool is missing.
set -euo pipefail
brikmux=$1
library=$2
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing: skipped"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup()
{
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# A display of our own: Xvfb picks a free number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=:$(head -n 1 "$work/display")

# Whether a visible window of exactly this title appears within 20 seconds.
appears()
{
    for _ in $(seq 200); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

failures=0
start() # HOME for this run, then brikmux's arguments: it starts in the background with its own settings store
{
    HOME=$work/$1 XDG_CONFIG_HOME=$work/$1/config QT_QPA_PLATFORM=xcb "$brikmux" "${@:2}" >"$work/$1.log" 2>&1 &
    pids+=($!)
}
mkdir -p "$work/known/config/Brikmux" "$work/my models"
printf '[Paths]\nLDrawPath=%s/\n' "$library" >"$work/known/config/Brikmux/Brikmux.conf"
printf '0 car\r\n' >"$work/my models/car.dat"
# A path with a blank, split in two as an unquoted desktop command line passes it.
start known "$work/my" "models/car.dat"
if appears Brikmux; then echo "ok: with a library remembered the main window opens"; else
    echo "FAILED: no main window" && cat "$work/known.log" && failures=$((failures + 1))
fi
sleep 1
if xdotool search --onlyvisible --name "^Locate LDraw.EXE\$" >/dev/null 2>&1; then
    echo "FAILED: the Locate dialog came up although the library is there" && failures=$((failures + 1))
fi
# Exit (Alt+X) saves the settings: the DAT folder is the model's.
xdotool search --onlyvisible --name "^Brikmux\$" windowfocus --sync key --clearmodifiers alt+x >/dev/null 2>&1 || true
for _ in $(seq 100); do
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
done
if grep -qxF "DATPath=$work/my models/" "$work/known/config/Brikmux/Brikmux.conf"; then
    echo "ok: the model given is chosen, and Exit saves its folder"
else
    echo "FAILED: the DAT folder saved is not the model's" && cat "$work/known/config/Brikmux/Brikmux.conf" &&
        failures=$((failures + 1))
fi
kill "${pids[-1]}" 2>/dev/null || true
wait "${pids[-1]}" 2>/dev/null || true

start unknown
if appears "Locate LDraw.EXE"; then echo "ok: without a library the Locate dialog comes up"; else
    echo "FAILED: no Locate dialog" && cat "$work/unknown.log" && failures=$((failures + 1))
fi
echo "$failures failed"
[ "$failures" -eq 0 ]
