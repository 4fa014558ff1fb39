#!/usr/bin/env bash
# Packs each model of ../shared/models with brikmux-cli and loads the packed MPD in three.js's
# LDrawLoader with no library at all: it must give the geometry that the original model gives,
# loaded from its split files and ../shared/ldraw, fetch nothing and warn of nothing. The models
# in this folder (texture-mapped parts and an embedded image) are loaded the same way.
#   tests/web/packed_models_test.sh BRIKMUX_CLI
# Exits with 77 (skipped) when ../shared or Node is missing.
set -euo pipefail
cli_program=$(realpath "$1")
# A run that hangs fails here rather than holding the suite until its own time runs out.
cli() { timeout 120 "$cli_program" "$@"; }
here=$(cd "$(dirname "$0")" && pwd)
shared=$(cd "$here/../../.." && pwd)/shared
if [ ! -d "$shared/models" ] || [ ! -d "$shared/ldraw" ]; then
    echo "skipped: no ../shared/models or ../shared/ldraw"
    exit 77
fi
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    echo "skipped: no Node.js"
    exit 77
fi
if [ ! -d "$here/node_modules/three" ]; then
    (cd "$here" && npm ci --no-audit --no-fund --silent)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
count=0
for model in "$shared"/models/*.mpd "$here"/*.mpd; do
    count=$((count + 1))
    name=$(basename "$model")
    dir=$work/$count
    mkdir -p "$dir/split"
    cli split --yes --dat-dir "$dir/split" "$model" >/dev/null
    main=$(grep -a -m 1 '^0 FILE ' "$model" | sed 's/^0 FILE //; s/\r$//')
    cli merge --pack --yes --ldraw "$shared/ldraw" --mpd-dir "$dir" --mpd packed "$dir/split/$main" >/dev/null
    packed=$(node "$here/load_ldraw.mjs" packed "$dir/packed.mpd")
    served=$(node "$here/load_ldraw.mjs" served "$dir/split/$main" "$dir/split" "$shared/ldraw")
    geometry() { sed 's/,"fetched".*//' <<<"$1"; }
    if [ "$(geometry "$packed")" != "$(geometry "$served")" ]; then
        echo "FAILED: $name: packed $(geometry "$packed"), original $(geometry "$served")"
        failures=$((failures + 1))
    elif [[ $packed != *'"fetched":[],"warnings":[]}' ]]; then
        echo "FAILED: $name: the packed model fetched or warned: $packed"
        failures=$((failures + 1))
    else
        echo "ok: $name $(geometry "$packed"), $(stat -c %s "$dir/packed.mpd") bytes packed"
    fi
done
# The same library as LDraw's complete.zip (its files under "ldraw/"): the packed MPD is the same,
# byte for byte, and so loads the same.
count=$((count + 1))
mkdir -p "$work/archive/library" "$work/archive/tree/ldraw" "$work/archive/split"
cp -r "$shared/ldraw/." "$work/archive/tree/ldraw/"
(cd "$work/archive/tree" && zip -q -r "$work/archive/library/complete.zip" ldraw)
cli split --yes --dat-dir "$work/archive/split" "$here/textured.mpd" >/dev/null
for library in "$shared/ldraw" "$work/archive/library"; do
    cli merge --pack --yes --ldraw "$library" --mpd-dir "$work/archive" --mpd "$(basename "$library")" \
        "$work/archive/split/textured.ldr" >/dev/null
done
if cmp -s "$work/archive/ldraw.mpd" "$work/archive/library.mpd"; then
    echo "ok: textured.mpd packed from complete.zip: the same bytes as from the folder"
else
    echo "FAILED: textured.mpd packed from complete.zip differs from the folder's"
    failures=$((failures + 1))
fi
# A town of MPDs inside the model (tests/web/town): two with a roof.ldr of their own, one reached
# from another with the first's roof, sub-models in the library's models folder. three.js keeps the
# sections of the MPDs it fetches in one cache, so it cannot read the town itself as LDraw means it;
# the town merged and split gives plain files of unique names, which it reads unambiguously: the
# packed town, with no library, must draw what they draw, and the 10 parts the town holds (the
# house's 2 + 2 + 1, the shop's 2, the street, the tree and the town's roof).
count=$((count + 1))
town=$work/town
mkdir -p "$town/library" "$town/split"
for entry in "$shared"/ldraw/*; do ln -s "$entry" "$town/library/"; done
cp -r "$here/town/models" "$town/library/models"
cli merge --pack --yes --ldraw "$town/library" --mpd-dir "$town" --mpd packed "$here/town/dat/town.ldr" >/dev/null
cli merge --yes --ldraw "$town/library" --mpd-dir "$town" --mpd plain "$here/town/dat/town.ldr" >/dev/null
cli split --yes --dat-dir "$town/split" "$town/plain.mpd" >/dev/null
packed=$(node "$here/load_ldraw.mjs" packed "$town/packed.mpd")
served=$(node "$here/load_ldraw.mjs" served "$town/split/town.ldr" "$town/split" "$shared/ldraw")
geometry() { sed 's/,"fetched".*//' <<<"$1"; }
if [ "$(geometry "$packed")" != "$(geometry "$served")" ] || [[ $packed != *'"parts":10,'* ]] ||
    [[ $packed != *'"fetched":[],"warnings":[]}' ]]; then
    echo "FAILED: the town: packed $packed, merged and split $(geometry "$served")"
    failures=$((failures + 1))
else
    echo "ok: the town of inner MPDs $(geometry "$packed")"
fi
echo "$((count - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
