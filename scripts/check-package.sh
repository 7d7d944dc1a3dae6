#!/bin/sh
# Checks a built Debian package: its file list holds the programs, the menu
# entry, the metadata, every icon and both manual pages and nothing else; its
# dependencies name Qt and the Hebrew fonts; the entry and the metadata pass
# their validators as installed; and the programs it carries run.
# Usage: sh scripts/check-package.sh build/tovanel_*.deb
set -eu
deb=${1:?usage: check-package.sh PACKAGE.deb}

expected="./usr/bin/tovanel
./usr/bin/tovanel-cli
./usr/share/applications/com.quillmark.Tovanel.desktop
./usr/share/metainfo/com.quillmark.Tovanel.metainfo.xml
./usr/share/icons/hicolor/scalable/apps/com.quillmark.Tovanel.svg
./usr/share/man/man1/tovanel.1.gz
./usr/share/man/man1/tovanel-cli.1.gz"
for size in 16 24 32 48 64 128 256; do
    expected="$expected
./usr/share/icons/hicolor/${size}x${size}/apps/com.quillmark.Tovanel.png"
done

actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort)
expected=$(printf '%s\n' "$expected" | sort)
if [ "$actual" != "$expected" ]; then
    echo "check-package: the file list differs from the expected one (< expected, > package):"
    printf '%s\n' "$expected" > /tmp/check-package.expected.$$
    printf '%s\n' "$actual" | diff /tmp/check-package.expected.$$ - || true
    rm -f /tmp/check-package.expected.$$
    exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libstdc++6 libc6 culmus; do
    case "$depends" in
        *"$needed"*) ;;
        *) echo "check-package: Depends lacks $needed: $depends"; exit 1 ;;
    esac
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/com.quillmark.Tovanel.desktop"
appstreamcli validate-tree --no-net "$root" >/dev/null
"$root/usr/bin/tovanel" --version | grep -q '^Tovanel 1.84a$'
"$root/usr/bin/tovanel-cli" week 2027-07-15 --israel | grep -q 'lesson=171'
echo "check-package: $deb holds $(printf '%s\n' "$actual" | wc -l) files; Depends: $depends"
