#!/usr/bin/env bash
# A real LDraw reader that draws textures (../shared/tools/texjudge) judges the images Brikmux
# embeds: a packed model using the library's texture-mapped parts, and the plain merge of a model
# whose custom part texture-maps an image from its folder. Run without a library, the reader must
# find every texture among the MPD's data blocks, decoded byte for byte as the source image.
#   tests/web/texjudge_test.sh BRIKMUX_CLI WORK_DIR
# Exits with 77 (skipped) when ../shared or Node is missing.
set -euo pipefail
cli_program=$(realpath "$1")
# A run that hangs fails here rather than holding the suite until its own time runs out.
cli() { timeout 120 "$cli_program" "$@"; }
work=$2
here=$(cd "$(dirname "$0")" && pwd)
shared=$(cd "$here/../../.." && pwd)/shared
if [ ! -d "$shared/tools/texjudge" ] || [ ! -d "$shared/ldraw/parts/textures" ]; then
    echo "skipped: no ../shared/tools/texjudge or textures in ../shared/ldraw"
    exit 77
fi
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    echo "skipped: no Node.js"
    exit 77
fi
# ../shared is read-only in CI: the judge and its packages live in the build folder.
judge=$work/texjudge
if [ ! -f "$judge/node_modules/.complete" ]; then
    rm -rf "$judge" && mkdir -p "$judge"
    cp -r "$shared/tools/texjudge/." "$judge/" && chmod -R u+w "$judge"
    (cd "$judge" && npm ci --no-audit --no-fund --silent) && touch "$judge/node_modules/.complete"
fi

run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
failures=0
# judge MPD SOURCE...: every texture embedded and decoded as one of the SOURCE images.
judge() {
    local mpd=$1
    shift
    local verdict
    verdict=$(node "$judge/judge.mjs" "$mpd") || true
    if node - "$verdict" "$@" <<'JS'; then
const crypto = require('node:crypto');
const fs = require('node:fs');
const [verdict, ...sources] = process.argv.slice(2);
const report = JSON.parse(verdict);
const expected = new Map(sources.map(f => [require('node:path').basename(f).toLowerCase(),
    crypto.createHash('sha256').update(fs.readFileSync(f)).digest('hex')]));
const problems = [];
if (!report.texturesOk) problems.push('texturesOk is false');
for (const texture of report.textures) {
    if (texture.source !== 'embedded') problems.push(`${texture.name}: ${texture.source}`);
    else if (texture.sha256 !== expected.get(texture.name.toLowerCase()))
        problems.push(`${texture.name}: not the source image's bytes`);
}
for (const name of expected.keys())
    if (!report.textures.some(t => t.name.toLowerCase() === name)) problems.push(`${name}: not drawn`);
if (problems.length) { console.log(problems.join('\n')); process.exit(1); }
JS
        echo "ok: $(basename "$mpd"): $# textures embedded and decoded"
    else
        echo "FAILED: $(basename "$mpd")"
        failures=$((failures + 1))
    fi
}

# Packed: the library's two texture-mapped parts and the model's own sticker.
mkdir -p "$run/split" "$run/plain"
cli split --yes --dat-dir "$run/split" "$here/textured.mpd" >/dev/null
cli merge --pack --yes --ldraw "$shared/ldraw" --mpd-dir "$run" --mpd packed "$run/split/textured.ldr" >/dev/null
judge "$run/packed.mpd" "$shared/ldraw/parts/textures/39266p01.png" "$shared/ldraw/parts/textures/39266p02.png" \
    "$run/split/sticker.png"

# Plain: a custom part that texture-maps an image in the DAT folder's textures folder.
mkdir -p "$run/plain/textures"
cp "$run/split/sticker.ldr" "$run/plain/"
cp "$run/split/sticker.png" "$run/plain/textures/"
printf '0 A model with a sticker\r\n1 16 0 0 0 1 0 0 0 1 0 0 0 1 sticker.ldr\r\n' >"$run/plain/model.ldr"
cli merge --ldr --yes --ldraw "$shared/ldraw" "$run/plain/model.ldr" >/dev/null
judge "$run/plain/model.mpd" "$run/plain/textures/sticker.png"

echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
