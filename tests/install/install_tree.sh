#!/usr/bin/env bash
# The installed program: cmake --install into a temporary prefix, which is then made
# read-only, with HOME and the XDG folders in a temporary folder. The installed tree has
# the standard layout, valid desktop files and a MIME type for every file type the rule
# file lists, claimed by the desktop entry; the program finds its data in
# share/quillane/, keeps its settings in the user's folders (started from the delivered
# ones), writes nothing into the prefix nor, when it logs nothing, the state folder, and a
# second start reads the settings back.
#
#   install_tree.sh CMAKE BUILD_FOLDER
set -euo pipefail
cmake=$1
build=$2
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" > "$work/install.log"
share=$prefix/share
for file in bin/quillane share/quillane/CodeScan.dll share/quillane/Example.pas \
    share/quillane/help/index.htm share/quillane/quillane.ini \
    share/applications/quillane.desktop share/icons/hicolor/scalable/apps/quillane.svg \
    share/metainfo/org.example.quillane.metainfo.xml share/mime/packages/quillane.xml \
    share/man/man1/quillane.1.gz share/doc/quillane/copyright share/doc/quillane/changelog.gz; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[ "$(ls "$prefix/bin")" = quillane ] || fail "bin/ holds more than the program: $(ls "$prefix/bin")"
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }
for size in 16 32 48 64 256; do
    [ "$(png_size "$share/icons/hicolor/${size}x$size/apps/quillane.png")" = "$size $size" ] ||
        fail "no $size px PNG icon"
done

desktop=$share/applications/quillane.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=quillane %f' "$desktop" || fail "Exec line"
appstreamcli validate --no-net "$share/metainfo/org.example.quillane.metainfo.xml" > "$work/appstream.log" ||
    { cat "$work/appstream.log"; fail "appstreamcli validate"; }
grep -q '<project_license>MIT</project_license>' "$share/metainfo/org.example.quillane.metainfo.xml" ||
    fail "the metainfo names no licence"
version=$("$prefix/bin/quillane" --version | grep -o '[0-9.]*$')
[ "$(zcat "$share/doc/quillane/changelog.gz" | dpkg-parsechangelog -l - -S Version)" = "$version" ] ||
    fail "the changelog's last entry is not for version $version"

# Each file type of the rule file has a MIME type, by the system's database merged with the
# installed package file, and the desktop entry claims it.
mkdir -p "$work/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$share/mime/packages/quillane.xml" "$work/mime/packages/"
# It reports a file it cannot read on standard error only.
XDG_DATA_DIRS=$work update-mime-database "$work/mime" 2> "$work/mime.log" &&
    [ ! -s "$work/mime.log" ] || { cat "$work/mime.log"; fail "update-mime-database"; }
claimed=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n')
types=$(sed -n '/^\[+VAR\]/,/^\[-VAR\]/s/^\([A-Za-z0-9_]*\)=.*/\1/p' "$share/quillane/CodeScan.dll")
[ -n "$types" ] || fail "no file types in the rule file"
for type in $types; do
    glob="*.${type,,}"
    mime=$(awk -F: -v glob="$glob" '$3 == glob {print $2}' "$work/mime/globs2")
    [ -n "$mime" ] || fail "no MIME type for $glob"
    echo "$claimed" | grep -qx -- "$mime" || fail "the desktop entry does not claim $mime ($glob)"
done

program=$prefix/bin/quillane
# The man page names the options --help names, no more and no fewer.
help_options=$("$program" --help | grep -o -- '--[a-z]*' | sort -u)
man_options=$(zcat "$share/man/man1/quillane.1.gz" | grep -o -- '\\-\\-[a-z]*' | sed 's/\\-/-/g' | sort -u)
[ "$help_options" = "$man_options" ] ||
    fail "man page and --help differ: $(diff <(echo "$help_options") <(echo "$man_options") | grep '^[<>]' | tr '\n' ' ')"

chmod -R a-w "$prefix"
listing() { (cd "$prefix" && find . -printf '%p %s %T@\n' | sort); }
listing > "$work/before"
export HOME=$work/home
export XDG_CONFIG_HOME=$work/xdg/config XDG_STATE_HOME=$work/xdg/state XDG_CACHE_HOME=$work/xdg/cache
mkdir -p "$HOME"

out=$("$program" --outline "$share/quillane/Example.pas" --indicator 0) || fail "--outline of the installed Example.pas"
expected=$("$build/bin/quillane" --outline "$build/bin/Example.pas" --indicator 0)
[ -n "$out" ] && [ "$out" = "$expected" ] || fail "the installed program's outline differs from the build's"
"$program" --search Inventory "$share/quillane" > /dev/null || fail "--search in the installed tree"
[ ! -e "$XDG_STATE_HOME" ] || fail "runs that logged nothing made $(find "$XDG_STATE_HOME")"

# The window, offscreen, on the installed Example.pas and a second file given by a relative
# path, which opens after it as the first did; closed the way a session ends it, once the
# program has its SIGTERM handler (bit 15 of SigCgt) and so holds the signal for the window.
mkdir -p "$work/sub"
printf 'unit Second;\ninterface\nimplementation\nend.\n' > "$work/sub/Second.pas"
(cd "$work" && QT_QPA_PLATFORM=offscreen exec "$program" "$share/quillane/Example.pas" sub/Second.pas) \
    2> "$work/window.err" &
pid=$!
for _ in $(seq 300); do
    caught=$(sed -n 's/^SigCgt:\t*//p' "/proc/$pid/status" 2> /dev/null) || true
    [ -n "$caught" ] && (( 0x$caught & 0x4000 )) && break
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
done
kill -TERM "$pid"
for _ in $(seq 300); do
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2> /dev/null; then
    kill -KILL "$pid"
    fail "the window did not close on SIGTERM"
fi
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { cat "$work/window.err"; fail "the window ended with status $status"; }

ini=$XDG_CONFIG_HOME/quillane/quillane.ini
[ -f "$ini" ] || fail "no settings in $ini"
grep -q '^APP_CAPTION=Quillane' "$ini" || fail "the settings did not start from the delivered ones"
grep -q "^LASTVIEW=$work/sub/"$'\r'"\$" "$ini" || fail "LASTVIEW is not the folder of the second file"
listing > "$work/after"
diff "$work/before" "$work/after" > /dev/null || fail "the prefix changed: $(diff "$work/before" "$work/after" | head -5)"

# A second start reads them back: the window size stored there is the picture's size.
sed -i 's/^MFORM_WIDTH=.*/MFORM_WIDTH=640\r/; s/^MFORM_HEIGHT=.*/MFORM_HEIGHT=400\r/; s/^MFORM_MAX=.*/MFORM_MAX=F\r/' "$ini"
QT_QPA_PLATFORM=offscreen "$program" --screenshot "$work/shot.png" 2> "$work/shot.err" ||
    { cat "$work/shot.err"; fail "--screenshot"; }
[ "$(png_size "$work/shot.png")" = "640 400" ] || fail "the second start did not read the settings back"
listing > "$work/after"
diff "$work/before" "$work/after" > /dev/null || fail "the prefix changed on the second start"
echo "ok"
