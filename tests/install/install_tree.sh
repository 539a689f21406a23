#!/usr/bin/env bash
# The installed program: cmake --install into a temporary prefix, which is then made
# read-only, with HOME and the XDG folders in a temporary folder. The installed tree has
# the standard layout and valid desktop files; the program finds its data in
# share/quillane/, keeps its settings in the user's folders (started from the delivered
# ones), writes nothing into the prefix, and a second start reads the settings back.
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
    share/icons/hicolor/256x256/apps/quillane.png share/metainfo/org.example.quillane.metainfo.xml \
    share/man/man1/quillane.1; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[ "$(ls "$prefix/bin")" = quillane ] || fail "bin/ holds more than the program: $(ls "$prefix/bin")"
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }
[ "$(png_size "$share/icons/hicolor/256x256/apps/quillane.png")" = "256 256" ] || fail "the PNG icon is not 256 px"

desktop-file-validate "$share/applications/quillane.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=quillane %f' "$share/applications/quillane.desktop" || fail "Exec line"
grep -qx 'MimeType=text/x-pascal;' "$share/applications/quillane.desktop" || fail "MimeType line"
appstreamcli validate --no-net "$share/metainfo/org.example.quillane.metainfo.xml" > "$work/appstream.log" ||
    { cat "$work/appstream.log"; fail "appstreamcli validate"; }

program=$prefix/bin/quillane
# The man page names the options --help names, no more and no fewer.
help_options=$("$program" --help | grep -o -- '--[a-z]*' | sort -u)
man_options=$(grep -o -- '\\-\\-[a-z]*' "$share/man/man1/quillane.1" | sed 's/\\-/-/g' | sort -u)
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

# The window, offscreen, on the installed Example.pas and a second file given by a relative
# path, which opens after it as the first did; closed the way a session ends it. The trace
# log's folder appears once the program holds the signal back for the window.
rm -rf "$XDG_STATE_HOME"
mkdir -p "$work/sub"
printf 'unit Second;\ninterface\nimplementation\nend.\n' > "$work/sub/Second.pas"
(cd "$work" && QT_QPA_PLATFORM=offscreen exec "$program" "$share/quillane/Example.pas" sub/Second.pas) \
    2> "$work/window.err" &
pid=$!
for _ in $(seq 300); do
    [ -d "$XDG_STATE_HOME/quillane" ] && break
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
