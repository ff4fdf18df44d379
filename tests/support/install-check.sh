#!/usr/bin/env bash
# Installs the build into a temporary prefix and packages it: both programs answer --version from
# there, the menu entry, the analysis files' type and the icon lie where the desktop looks, and
# the .deb lists those files and the Debian packages it needs.
#   install-check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() {
  echo "$*" >&2
  exit 1
}

files=(bin/indicator-diagram bin/indicator-batch
       share/applications/indicator-diagram.desktop
       share/mime/packages/indicator-diagram.xml
       share/icons/hicolor/scalable/apps/indicator-diagram.svg)

cmake --install "$build" --prefix "$dir/usr" >/dev/null
for f in "${files[@]}"; do
  [ -s "$dir/usr/$f" ] || fail "not installed: $f"
done
for program in indicator-diagram indicator-batch; do
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY "$dir/usr/bin/$program" --version)
  [[ "$answer" =~ [0-9]+\.[0-9]+ ]] || fail "$program --version answered: $answer"
done
entry="$dir/usr/share/applications/indicator-diagram.desktop"
grep -qx 'Exec=indicator-diagram %f' "$entry" || fail "the menu entry does not start the program"
grep -qx 'MimeType=application/x-indicator-diagram;' "$entry" || fail "no MimeType in the entry"
grep -q '^Comment=.*скважины' "$entry" || fail "no Russian comment in the entry"
grep -q '<glob pattern="\*\.ida"/>' "$dir/usr/share/mime/packages/indicator-diagram.xml" ||
  fail "the files' type does not claim *.ida"

(cd "$build" && cpack -G DEB -B "$dir/package" >/dev/null)
deb=$(find "$dir/package" -maxdepth 1 -name '*.deb')
[ -n "$deb" ] || fail "cpack made no .deb"
contents=$(dpkg-deb -c "$deb")
for f in "${files[@]}"; do
  grep -q " \./usr/$f\$" <<<"$contents" || fail "the package lacks /usr/$f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6svg6 libqt6sql6-sqlite \
         libqt6sql6-odbc; do
  grep -qE "(^|, )$p( |,|\$)" <<<"$depends" || fail "the package does not depend on $p: $depends"
done
