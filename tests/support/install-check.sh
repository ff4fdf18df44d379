#!/usr/bin/env bash
# Installs the build into a temporary prefix and packages it: both programs answer --version from
# there, the menu entry, the analysis files' type and the icon lie where the desktop looks, and
# the .deb lists those files and the Debian packages it needs; the installed batch writes a PDF
# report through its module, does not carry the toolkit's drawing side without it, and refuses a
# report, saying why, where the module is missing.
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
module=$(find "$dir/usr" -name indicator-batch-report.so)
[ -n "$module" ] || fail "not installed: the batch's report module"
needed=$(readelf -d "$dir/usr/bin/indicator-batch")
! grep -q 'libQt6Gui' <<<"$needed" || fail "the batch links the toolkit's drawing side itself"
mkdir "$dir/wells" "$dir/alone"
printf '10;20\n20;18\n30;16.5\n' >"$dir/wells/7.csv"
report=(--rule linear --input "$dir/wells" --pnas 5 --report)
env -u DISPLAY "$dir/usr/bin/indicator-batch" "${report[@]}" "$dir/r.pdf" >/dev/null 2>&1 ||
  fail "the installed batch did not write its report"
[ "$(head -c 5 "$dir/r.pdf")" = "%PDF-" ] || fail "the installed batch's report is no PDF"
cp "$dir/usr/bin/indicator-batch" "$dir/alone/"
if answer=$("$dir/alone/indicator-batch" "${report[@]}" "$dir/r2.pdf" 2>&1); then
  fail "a batch without its report module answered: $answer"
fi
grep -q 'модуль отчёта' <<<"$answer" || fail "a batch without its module said: $answer"
[ ! -e "$dir/r2.pdf" ] || fail "a batch without its module left a report"
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
for f in "${files[@]}" "${module#"$dir"/}"; do
  f=${f#usr/}
  grep -q " \./usr/$f\$" <<<"$contents" || fail "the package lacks /usr/$f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6svg6 libqt6sql6-sqlite \
         libqt6sql6-odbc; do
  grep -qE "(^|, )$p( |,|\$)" <<<"$depends" || fail "the package does not depend on $p: $depends"
done
