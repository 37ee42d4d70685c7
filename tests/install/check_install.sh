#!/usr/bin/env bash
# Installs the build into a staged tree (DESTDIR), runs the installed program
# from there against a temporary per-user data folder, then makes the .deb and
# checks what it holds. Argument: the build folder.
set -euo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr > "$work/install.log"
stage="$work/stage/usr"
for f in bin/tessaly bin/tessaly-xlsread share/tessaly/template/set.dat share/tessaly/template/Modual/set.dat \
         share/tessaly/template/data.txt share/applications/tessaly.desktop \
         share/icons/hicolor/256x256/apps/tessaly.png share/man/man1/tessaly.1; do
    [ -e "$stage/$f" ] || { echo "FAIL: the staged install lacks $f"; exit 1; }
done
grep -q '^Name=Tessaly 抽奖$' "$stage/share/applications/tessaly.desktop" || { echo "FAIL: desktop entry name"; exit 1; }

export HOME="$work/home" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
"$stage/bin/tessaly" --help | grep -q 'tessaly check' || { echo "FAIL: --help"; exit 1; }

# The first start of an installed program makes the per-user event folder from the template.
status=0
timeout 10 "$stage/bin/tessaly" > "$work/run.log" 2>&1 || status=$?
if [ "$status" -ne 124 ] && [ "$status" -ne 0 ]; then
    echo "FAIL: the installed program exited with $status"; cat "$work/run.log"; exit 1
fi
[ -f "$XDG_DATA_HOME/tessaly/set.dat" ] || { echo "FAIL: no per-user event folder"; exit 1; }
"$stage/bin/tessaly" check > "$work/check.log" || { echo "FAIL: check of the new event folder"; cat "$work/check.log"; exit 1; }
grep -q "$XDG_DATA_HOME/tessaly" "$work/check.log" || { echo "FAIL: check names another folder"; exit 1; }

# The package itself.
if command -v dpkg-deb > /dev/null; then
    (cd "$build" && cpack -G DEB -B "$work/pkg" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
    deb="$(ls "$work"/pkg/tessaly_*.deb)"
    contents="$(dpkg-deb --contents "$deb")"
    for f in ./usr/bin/tessaly ./usr/bin/tessaly-xlsread ./usr/share/tessaly/template/set.dat ./usr/share/applications/tessaly.desktop \
             ./usr/share/icons/hicolor/256x256/apps/tessaly.png ./usr/share/man/man1/tessaly.1; do
        grep -q " $f\$" <<< "$contents" || { echo "FAIL: the package lacks $f"; exit 1; }
    done
    dpkg-deb --field "$deb" Depends | grep -q 'qt6-translations-l10n' || { echo "FAIL: package dependencies"; exit 1; }
fi
echo "1 passed, 0 failed"
