#!/bin/sh
# democontent end to end, with the build tree's tools (TAVI_BOOKGEN,
# TAVI_PACKBUILDER; BOOKCHECK when the engine is built): the packs are archives
# the client can import, their pack databases name files that are there, the
# book resources unpack to book folders that are clean, the daily scenes hold
# songs, and a second run gives the same content.

set -eu

: "${DEMOCONTENT:?}" "${TAVI_BOOKGEN:?}" "${TAVI_PACKBUILDER:?}"
export TAVI_BOOKGEN TAVI_PACKBUILDER
BOOKCHECK=${BOOKCHECK:-}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_status() { # expected description command...
    expected=$1
    what=$2
    shift 2
    set +e
    "$@" >"$tmp/out.txt" 2>&1
    status=$?
    set -e
    [ "$status" -eq "$expected" ] || {
        fail "$what: exit status $status, expected $expected"
        cat "$tmp/out.txt" >&2
    }
}

listing() { # archive -> one path per line
    7za l -slt "$1" | sed -n 's/^Path = //p' | tail -n +2 | sort
}

contains_line() { # file line
    grep -qxF "$2" "$1"
}

# --- Wrong use --------------------------------------------------------------
expect_status 2 "no folder" "$DEMOCONTENT"
expect_status 2 "two folders" "$DEMOCONTENT" "$tmp/a" "$tmp/b"
expect_status 2 "an option instead of a folder" "$DEMOCONTENT" --bogus
TAVI_BOOKGEN=$tmp/no-such-bookgen expect_status 1 "missing bookgen" "$DEMOCONTENT" "$tmp/missing"
grep -q "bookgen not found" "$tmp/out.txt" || fail "missing bookgen is not named"
[ ! -e "$tmp/missing/packs" ] || fail "packs made although bookgen is missing"

# --- A run into a folder whose path has blanks ------------------------------
out="$tmp/demo content"
mkdir -p "$out"
echo keep >"$out/keep.txt"
expect_status 0 "first run" "$DEMOCONTENT" "$out"

(cd "$out/packs" && ls) >"$tmp/packs.txt"
printf 'happy-meadow.tvp\nsing-along.tvp\n' | cmp -s - "$tmp/packs.txt" || {
    fail "packs are not happy-meadow.tvp and sing-along.tvp:"
    cat "$tmp/packs.txt" >&2
}

# The manifests the packs were built from pass the pack builder's check.
for manifest in "$out/work/happy-meadow.json" "$out/work/sing-along.json"; do
    expect_status 0 "packbuilder check $(basename "$manifest")" "$TAVI_PACKBUILDER" check "$manifest"
done

# --- The book pack ----------------------------------------------------------
listing "$out/packs/happy-meadow.tvp" >"$tmp/meadow.txt"
for entry in pack.ini pack.db books/happy-meadow.7z courseware/colours-and-shapes.7z \
    icons/tavi-demo-pack-happy-meadow.png icons/tavi-demo-happy-meadow.png icons/tavi-demo-colours-and-shapes.png; do
    contains_line "$tmp/meadow.txt" "$entry" || fail "happy-meadow.tvp lacks $entry"
done

unpacked=$tmp/meadow
7za x -y -o"$unpacked" "$out/packs/happy-meadow.tvp" >/dev/null || fail "happy-meadow.tvp does not unpack"
grep -qx 'type=1' "$unpacked/pack.ini" || fail "pack.ini is not a publisher pack's"
[ "$(sqlite3 "$unpacked/pack.db" 'select packId from PackTbl')" = tavi-demo-happy-meadow ] ||
    fail "wrong pack id"
sqlite3 -separator ' ' "$unpacked/pack.db" 'select appId, proType, path from AppTbl order by appId' >"$tmp/apps.txt"
printf '910001 books books/happy-meadow.7z\n910002 courseware courseware/colours-and-shapes.7z\n' |
    cmp -s - "$tmp/apps.txt" || {
    fail "the pack's resources are not the book and the courseware:"
    cat "$tmp/apps.txt" >&2
}
# Every file pack.db names is in the archive where the client will look.
sqlite3 "$unpacked/pack.db" "select icon from PackTbl union all select path from AppTbl union all
    select 'icons/' || icon from AppTbl" | while IFS= read -r name; do
    case "$name" in
    *.png) [ -f "$unpacked/icons/$name" ] || [ -f "$unpacked/$name" ] || echo "$name" ;;
    *) [ -f "$unpacked/$name" ] || echo "$name" ;;
    esac
done >"$tmp/absent.txt"
[ ! -s "$tmp/absent.txt" ] || {
    fail "pack.db names files the archive lacks:"
    cat "$tmp/absent.txt" >&2
}

# The book resources are archives the launcher unpacks to a folder with tavigame.dat:
# the picture book at the top, the courseware in a subfolder.
book=$tmp/book
7za x -y -o"$book" "$unpacked/books/happy-meadow.7z" >/dev/null || fail "the book resource does not unpack"
[ -f "$book/tavigame.dat" ] || fail "happy-meadow.7z has no tavigame.dat at its top"
[ -f "$book/json/game_json.txt" ] || fail "happy-meadow.7z has no book descriptor"
course=$tmp/course
7za x -y -o"$course" "$unpacked/courseware/colours-and-shapes.7z" >/dev/null ||
    fail "the courseware resource does not unpack"
[ ! -e "$course/tavigame.dat" ] || fail "colours-and-shapes.7z was meant to keep its book in a subfolder"
[ -f "$course/shapes/tavigame.dat" ] || fail "colours-and-shapes.7z has no shapes/tavigame.dat"
if [ -n "$BOOKCHECK" ]; then
    expect_status 0 "bookcheck on the picture book" "$BOOKCHECK" "$book"
    expect_status 0 "bookcheck on the courseware" "$BOOKCHECK" "$course/shapes"
fi

# --- The song pack ----------------------------------------------------------
songs=$tmp/songs
7za x -y -o"$songs" "$out/packs/sing-along.tvp" >/dev/null || fail "sing-along.tvp does not unpack"
[ "$(sqlite3 "$songs/pack.db" "select count(*) from AppTbl where proType = 'music'")" = 4 ] ||
    fail "sing-along.tvp does not hold four songs"
sqlite3 "$songs/pack.db" 'select path from AppTbl' | while IFS= read -r path; do
    [ "$(head -c 4 "$songs/$path" 2>/dev/null)" = RIFF ] || echo "$path"
done >"$tmp/badsongs.txt"
[ ! -s "$tmp/badsongs.txt" ] || {
    fail "songs that are not WAV files:"
    cat "$tmp/badsongs.txt" >&2
}
# Product ids are unique across both packs: the client catalogues them together.
ids=$( (sqlite3 "$unpacked/pack.db" 'select appId from AppTbl'; sqlite3 "$songs/pack.db" 'select appId from AppTbl') | sort)
[ "$(echo "$ids" | uniq | wc -l)" -eq "$(echo "$ids" | wc -l)" ] || fail "product ids repeat across the packs"

# --- Daily scenes -----------------------------------------------------------
scenes=0
for scene in "$out/daily"/*/; do
    scenes=$((scenes + 1))
    count=$(find "$scene" -maxdepth 1 -name '*.wav' | wc -l)
    [ "$count" -ge 2 ] || fail "daily scene $scene has $count songs"
done
[ "$scenes" -ge 1 ] || fail "no daily scenes"

# --- A second run gives the same content and keeps foreign files ------------
find "$out/packs" "$out/daily" | sort >"$tmp/first.txt"
echo stale >"$out/packs/stale.tvp"
expect_status 0 "second run" "$DEMOCONTENT" "$out"
find "$out/packs" "$out/daily" | sort >"$tmp/second.txt"
cmp -s "$tmp/first.txt" "$tmp/second.txt" || {
    fail "a second run leaves different files:"
    diff "$tmp/first.txt" "$tmp/second.txt" >&2 || true
}
[ -f "$out/keep.txt" ] || fail "a file of someone else's in OUTDIR was removed"
listing "$out/packs/happy-meadow.tvp" | cmp -s - "$tmp/meadow.txt" || fail "the second pack differs in content"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "democontent: all checks passed"
