#!/usr/bin/env bash
# The Debian package as a person gets it: built with cpack from the build
# folder, its control data (name, version, Depends) and file list, its desktop
# entry, software-centre description and .tvp type checked by their
# validators, then unpacked into a scratch root where the maintainer script
# makes the data folders and the unpacked client's set-up run and first start work.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
version=$(sed -n 's/^ver=//p' "$build/assistant/version.ini")
deb="$work/out/tavi-assistant_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb (found: $(ls "$work/out"))"

# Control data.
info=$(dpkg-deb -I "$deb")
grep -q "^ Package: tavi-assistant$" <<<"$info" || fail "package name"
grep -q "^ Version: $version$" <<<"$info" || fail "version"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for need in p7zip-full libqt5sql5-sqlite libqt5svg5 fonts-wqy-microhei qttranslations5-l10n libqt5widgets5 libsdl2-2.0-0 liblog4cplus; do
    grep -q "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done

# The layout: the client's own below /opt/tavi-assistant, the desktop's parts below /usr.
listing=$(dpkg-deb -c "$deb")
files=$(awk '{print $6}' <<<"$listing")
for f in ./opt/tavi-assistant/bin/taviclient ./opt/tavi-assistant/bin/version.ini ./opt/tavi-assistant/bin/offline.db \
         ./opt/tavi-assistant/bin/taviassistant_zh_cn.qm ./opt/tavi-assistant/bin/qt_zh_CN.qm \
         ./opt/tavi-assistant/bin/engine/taviplay ./opt/tavi-assistant/bin/engine2/taviplay \
         ./opt/tavi-assistant/bin/tools/packbuilder ./usr/bin/taviclient \
         ./usr/share/applications/cn.tavinet.assistant.desktop ./usr/share/metainfo/cn.tavinet.assistant.metainfo.xml \
         ./usr/share/mime/packages/cn.tavinet.assistant.xml ./usr/share/icons/hicolor/scalable/apps/cn.tavinet.assistant.svg; do
    grep -qx "$f" <<<"$files" || fail "missing $f"
done
for size in 16 22 24 32 48 64 128 256; do
    grep -qx "./usr/share/icons/hicolor/${size}x${size}/apps/cn.tavinet.assistant.png" <<<"$files" || fail "no ${size}px icon"
done
grep -q "./usr/bin/taviclient -> /opt/tavi-assistant/bin/taviclient" <<<"$listing" || fail "taviclient link"
if grep -q "^./opt/tavi-assistant/data" <<<"$files"; then fail "the package ships data"; fi

# Unpacked, as dpkg would lay it out.
root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/cn.tavinet.assistant.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/cn.tavinet.assistant.metainfo.xml" || fail "metainfo"
grep -q 'xml:lang="zh_CN"' "$root/usr/share/metainfo/cn.tavinet.assistant.metainfo.xml" || fail "no Chinese summary"
for size in 16 48 256; do
    identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/cn.tavinet.assistant.png" | grep -qx "${size}x${size}" ||
        fail "${size}px icon has the wrong size"
done

# The .tvp type: the shared-MIME database takes the file and names a pack by its glob and its 7z signature.
mimes="$work/mime-data"
mkdir -p "$mimes/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$mimes/mime/packages/"
cp "$root/usr/share/mime/packages/cn.tavinet.assistant.xml" "$mimes/mime/packages/"
update-mime-database "$mimes/mime" || fail "update-mime-database"
grep -q "application/x-tavi-pack" "$mimes/mime/globs2" || fail "no glob for .tvp"
(cd "$work" && mkdir -p src && echo hi >src/a.txt && 7za a -bd pack.tvp ./src >/dev/null)
type=$(XDG_DATA_HOME="$mimes" XDG_DATA_DIRS="$mimes" gio info -a standard::content-type "$work/pack.tvp" | sed -n 's/.*content-type: //p')
[ "$type" = application/x-tavi-pack ] || fail ".tvp is seen as $type"
grep -q "MimeType=application/x-tavi-pack;" "$root/usr/share/applications/cn.tavinet.assistant.desktop" || fail "entry takes no .tvp"

# The maintainer script makes the folders the client writes, for the group users; purge takes them away.
app="$root/opt/tavi-assistant"
dpkg-deb -e "$deb" "$work/control"
TAVI_PACKAGE_ROOT="$app" sh "$work/control/postinst" configure || fail "postinst"
for dir in data temp bin/debug bin/dumps; do
    [ "$(stat -c '%a %G' "$app/$dir")" = "2775 users" ] || fail "$dir: $(stat -c '%a %G' "$app/$dir")"
done
[ "$(stat -c '%a %G' "$app/bin/engine/taviengine.log")" = "664 users" ] || fail "engine log not writable by users"

# The unpacked client: a set-up run with a pack, then a first start that ends cleanly.
"$build/tools/democontent/democontent" "$work/content" >/dev/null 2>&1 ||
    "$app/bin/tools/democontent" "$work/content" >/dev/null
export QT_QPA_PLATFORM=offscreen TMPDIR="$work" TAVI_TIME_SERVER=127.0.0.1:9
unset DISPLAY WAYLAND_DISPLAY
"$app/bin/taviclient" --setup --packdir "$work/content/packs" --dailyscenedir "$work/content/daily" || fail "set-up run"
[ "$(sqlite3 "$app/data/main.db" 'select count(*) from PackTbl')" -ge 2 ] || fail "the set-up run imported no packs"
"$app/bin/taviclient" &
pid=$!
for _ in $(seq 1 100); do
    grep -q ">>run" "$app/bin/debug/taviassistant.log" 2>/dev/null && break
    sleep 0.2
done
sleep 1
kill -TERM "$pid"
wait "$pid" || fail "the first start did not end cleanly"
grep -q "<<<< exit..." "$app/bin/debug/taviassistant.log" || fail "no clean exit in the log"
[ "$(sqlite3 "$app/data/offline.db" 'select count(*) from ProCityTbl where parentId = 0')" = 34 ] ||
    fail "the client made no region cache of its own in the data folder"
[ -f "$app/bin/offline.db" ] && [ ! -L "$app/bin/offline.db" ] || fail "the shipped region cache is not a plain file"

TAVI_PACKAGE_ROOT="$app" sh "$work/control/postrm" purge
[ ! -e "$app/data" ] || fail "purge left the data"
echo "package: fine ($deb)"
