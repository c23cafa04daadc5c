#!/usr/bin/env bash
# The Debian packages as a school gets them: built with cpack from the build
# folder, their control data and file lists, the desktop entry, the software
# centre's description and the .tvp type checked by their validators, lintian;
# then installed on this machine (root only: CI runs on a machine of its own)
# and used by two teachers' accounts of the group "users": each imports packs
# into the one library, everything either makes stays theirs to share, one
# client at a time uses the library, the engine logs for both; an upgrade, a
# reinstall and a removal keep the library and the cached kindergartens, dpkg
# finds every file as installed, and purge takes everything away.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
chmod 755 "$work"
accounts=(tavitest-a tavitest-b)
installed=0
cleanup() {
    if [ "$installed" = 1 ]; then
        dpkg --purge tavi-assistant >/dev/null 2>&1 || true
    fi
    for user in "${accounts[@]}"; do
        if id "$user" >/dev/null 2>&1; then
            pkill -KILL -u "$user" 2>/dev/null || true
            userdel "$user" 2>/dev/null || true
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
version=$(sed -n 's/^ver=//p' "$build/assistant/version.ini")
deb="$work/out/tavi-assistant_${version}_amd64.deb"
tools="$work/out/tavi-assistant-tools_${version}_amd64.deb"
[ -f "$deb" ] && [ -f "$tools" ] || fail "no $deb and $tools (found: $(ls "$work/out"))"

# Control data.
info=$(dpkg-deb -I "$deb")
grep -q "^ Package: tavi-assistant$" <<<"$info" || fail "package name"
grep -q "^ Version: $version$" <<<"$info" || fail "version"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for need in p7zip-full libqt5sql5-sqlite libqt5svg5 fonts-wqy-microhei qttranslations5-l10n libqt5widgets5 libsdl2-2.0-0 liblog4cplus; do
    grep -q "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done
grep -q "qt5-gtk-platformtheme" <<<"$info" || fail "the desktop's file chooser is not recommended"
# Whole outputs are read into variables before grep -q looks at them: grep -q
# stops at the first match and, under pipefail, the writer's SIGPIPE would fail
# a check that holds.
toolsinfo=$(dpkg-deb -I "$tools")
grep -q "^ Depends: .*tavi-assistant (= $version)" <<<"$toolsinfo" || fail "the tools do not depend on the client"

# The layout: the client's own below /opt/tavi-assistant, the desktop's parts
# below /usr, the content tools and the development service in their own package.
listing=$(dpkg-deb -c "$deb")
files=$(awk '{print $6}' <<<"$listing")
for f in ./opt/tavi-assistant/bin/taviclient ./opt/tavi-assistant/bin/version.ini ./opt/tavi-assistant/bin/offline.db \
         ./opt/tavi-assistant/bin/taviassistant_zh_cn.qm \
         ./opt/tavi-assistant/bin/engine/taviplay ./opt/tavi-assistant/bin/engine2/taviplay ./usr/bin/taviclient \
         ./usr/share/applications/cn.tavinet.assistant.desktop ./usr/share/metainfo/cn.tavinet.assistant.metainfo.xml \
         ./usr/share/mime/packages/cn.tavinet.assistant.xml ./usr/share/icons/hicolor/scalable/apps/cn.tavinet.assistant.svg \
         ./usr/share/doc/tavi-assistant/copyright ./usr/share/doc/tavi-assistant/changelog.gz \
         ./usr/share/man/man1/taviclient.1.gz; do
    grep -qx "$f" <<<"$files" || fail "missing $f"
done
for size in 16 22 24 32 48 64 128 256; do
    grep -qx "./usr/share/icons/hicolor/${size}x${size}/apps/cn.tavinet.assistant.png" <<<"$files" || fail "no ${size}px icon"
done
grep -q "./usr/bin/taviclient -> /opt/tavi-assistant/bin/taviclient" <<<"$listing" || fail "taviclient link"
if grep -E "^./opt/tavi-assistant/(data|temp)|/tools/|qt_zh_CN.qm|qtbase_zh_CN" <<<"$files"; then
    fail "the client's package ships data, tools or Qt's own translations"
fi
toolfiles=$(dpkg-deb -c "$tools" | awk '{print $6}')
for f in ./opt/tavi-assistant/bin/tools/packbuilder ./opt/tavi-assistant/bin/tools/devservice/devservice.py \
         ./opt/tavi-assistant/bin/tools/bookgen ./usr/share/doc/tavi-assistant-tools/copyright; do
    grep -qx "$f" <<<"$toolfiles" || fail "the tools' package lacks $f"
done
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" "$tools" >"$work/lintian.log" 2>&1 || true
    if grep "^E:" "$work/lintian.log"; then fail "lintian errors"; fi
fi

# Unpacked: the desktop's parts pass their validators.
root="$work/root"
dpkg-deb -x "$deb" "$root"
entry="$root/usr/share/applications/cn.tavinet.assistant.desktop"
desktop-file-validate "$entry" || fail "desktop entry"
grep -qx "Categories=Education;X-Kids;" "$entry" || fail "categories"
grep -qx "StartupWMClass=taviclient" "$entry" || fail "no StartupWMClass"
appstreamcli validate --no-net "$root/usr/share/metainfo/cn.tavinet.assistant.metainfo.xml" || fail "metainfo"
grep -q 'xml:lang="zh_CN"' "$root/usr/share/metainfo/cn.tavinet.assistant.metainfo.xml" || fail "no Chinese summary"
manual=$(man -l "$root/usr/share/man/man1/taviclient.1.gz" 2>/dev/null) || fail "manual page does not format"
grep -q "taviclient" <<<"$manual" || fail "manual page"
for size in 16 48 256; do
    [ "$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/cn.tavinet.assistant.png")" = "${size}x${size}" ] ||
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
grep -q "MimeType=application/x-tavi-pack;" "$entry" || fail "entry takes no .tvp"

if [ "$(id -u)" != 0 ]; then
    echo "package: built and checked; installing it for the two-account walk needs root"
    exit 77
fi
if dpkg -s tavi-assistant >/dev/null 2>&1 || [ -e /opt/tavi-assistant ] || [ -e /var/opt/tavi-assistant ]; then
    fail "tavi-assistant is installed on this machine already; the walk installs and purges its own"
fi

# Two teachers of the group "users", with the demo packs to import.
for user in "${accounts[@]}"; do
    useradd -M -d "$work/home-$user" -s /bin/sh -G users "$user" || fail "useradd $user"
    mkdir -p "$work/home-$user" && chown "$user" "$work/home-$user"
done
TAVI_BOOKGEN="$build/tools/bookgen/bookgen" TAVI_PACKBUILDER="$build/tools/packbuilder/packbuilder" \
    "$source/../tools/democontent/democontent" "$work/content" >/dev/null 2>&1 || fail "democontent"
packs=("$work"/content/packs/*.tvp)
[ "${#packs[@]}" -ge 2 ] || fail "too few demo packs"
mkdir -p "$work/packs-a"
mv "${packs[@]:1}" "$work/packs-a/"
chmod -R a+rX "$work/content" "$work/packs-a"
# As a teacher starts it: the account's own environment, nothing sent off the machine.
as() {
    local user=$1
    shift
    runuser -u "$user" -- env -i HOME="$work/home-$user" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
        TMPDIR="$work/home-$user" TAVI_TIME_SERVER=127.0.0.1:9 TAVI_SERVICE_ADDRESS=http://127.0.0.1:9 "$@"
}
var=/var/opt/tavi-assistant
packcount() { sqlite3 "$var/data/main.db" 'select count(*) from PackTbl'; }

dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
installed=1
dpkg -V tavi-assistant || fail "dpkg -V after installing"
for dir in data temp log dumps log/engine log/engine2; do
    [ "$(stat -c '%a %G' "$var/$dir")" = "2775 users" ] || fail "$var/$dir: $(stat -c '%a %G' "$var/$dir")"
done
[ "$(readlink /opt/tavi-assistant/data)" = "$var/data" ] || fail "the client does not find its data"

# A: the set-up run imports all but one pack.
as tavitest-a /usr/bin/taviclient --setup --packdir "$work/packs-a" --dailyscenedir "$work/content/daily" ||
    fail "set-up run as A"
first=$(packcount)
[ "$first" -ge 1 ] || fail "A imported nothing"

# A's client runs: B is told the library is in use instead of running beside it,
# and A's own second start goes to the running client.
as tavitest-a /usr/bin/taviclient >"$work/a.out" 2>&1 &
runner=$!
for _ in $(seq 1 100); do
    grep -q ">>run" "$var/log/taviassistant.log" 2>/dev/null && break
    sleep 0.2
done
apid=$(pgrep -u tavitest-a -x taviclient) || fail "A's client is not running: $(cat "$work/a.out")"
set +e
as tavitest-b /usr/bin/taviclient --setup --packdir "$work/content/packs" >"$work/b-busy.out" 2>&1
busy=$?
as tavitest-a /usr/bin/taviclient >"$work/a-again.out" 2>&1
again=$?
set -e
kill -TERM "$apid"
wait "$runner" || fail "A's client did not end cleanly: $(cat "$work/a.out")"
[ "$busy" = 1 ] && grep -q "is in use by process $apid" "$var/log/taviassistant.log" ||
    fail "B ran beside A ($busy): $(cat "$work/b-busy.out")"
[ "$again" = 0 ] && grep -q "already running" "$work/a-again.out" || fail "A's second start ($again): $(cat "$work/a-again.out")"

# B imports the last pack into the library A made, and both engines log.
as tavitest-b /usr/bin/taviclient --setup --packdir "$work/content/packs" >"$work/b.out" 2>&1 ||
    fail "set-up run as B: $(cat "$work/b.out")"
[ "$(packcount)" -gt "$first" ] || fail "B's import did not reach the library: $(grep -v "^targetDir" "$work/b.out" | tail -5; tail -15 "$var/log/taviassistant.log")"
if grep "ERROR" "$var/log/taviassistant.log" | grep -i "permission" >&2; then
    fail "permission errors in the log"
fi
englog="$var/log/engine/taviengine.log"
for user in "${accounts[@]}"; do
    ends=$(grep -c "<<<< exit" "$englog" 2>/dev/null || true)
    # Started as the client starts it: from the application folder.
    (cd /opt/tavi-assistant/bin &&
        as "$user" env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy engine/taviplay "$work/no-book/") \
        >"$work/engine.out" 2>&1 || fail "the engine as $user ended with $?: $(tail -5 "$work/engine.out")"
    [ "$(grep -c "<<<< exit" "$englog")" -gt "${ends:-0}" ] || fail "the engine run as $user logged nothing"
done
# Whatever either made, the other may change and remove.
unshared=$(find "$var" -mindepth 1 ! -type l \( ! -group users -o ! -perm -g=rw \) -print)
[ -z "$unshared" ] || fail "not shared with the group: $unshared"
unmarked=$(find "$var" -mindepth 1 -type d ! -perm -g=s -print)
[ -z "$unmarked" ] || fail "folders that do not pass the group on: $unmarked"
as tavitest-b sh -c "rm -rf '$var/data/apps/'* && mkdir '$var/data/apps/made-by-b'" || fail "B cannot remove what A imported"
rmdir "$var/data/apps/made-by-b"

# A kindergarten cached from the service, then upgrade, reinstall, remove and install again.
sqlite3 "$var/data/offline.db" "insert into SchoolTbl(id, name, cityId) values (990001, '阳光幼儿园', 110100)" ||
    fail "no region cache in the data folder"
packs_before=$(packcount)
mkdir -p "$work/next"
dpkg-deb -R "$deb" "$work/next/root"
sed -i "s/^Version: .*/Version: ${version}.1/" "$work/next/root/DEBIAN/control"
dpkg-deb -b "$work/next/root" "$work/next/tavi-assistant_${version}.1_amd64.deb" >/dev/null
kept() {
    [ "$(packcount)" = "$packs_before" ] || fail "$1: packs $(packcount), were $packs_before"
    [ "$(sqlite3 "$var/data/offline.db" 'select name from SchoolTbl where id = 990001')" = "阳光幼儿园" ] ||
        fail "$1: the cached kindergarten is gone"
    [ "$(sqlite3 "$var/data/offline.db" 'select count(*) from ProCityTbl where parentId = 0')" = 34 ] ||
        fail "$1: the regions are gone"
    dpkg -V tavi-assistant || fail "dpkg -V after $1"
}
dpkg -i "$work/next/tavi-assistant_${version}.1_amd64.deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "upgrade"; }
kept "the upgrade"
dpkg -i --force-downgrade "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "reinstall"; }
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "reinstall"; }
kept "reinstalling"
dpkg -r tavi-assistant >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "remove"; }
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "install after removal"; }
kept "removing and installing again"

dpkg --purge tavi-assistant >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "purge"; }
installed=0
[ ! -e "$var" ] && [ ! -e /opt/tavi-assistant ] || fail "purge left $(ls -d "$var" /opt/tavi-assistant 2>/dev/null)"
echo "package: fine ($deb, $tools)"
