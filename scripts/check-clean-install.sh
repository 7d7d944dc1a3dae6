#!/bin/sh
# Installs a built Debian package on a freshly made Debian 12 (bookworm) root
# and checks it there, as a new user's machine would have it:
#  - apt installs it from its Depends alone (no Recommends);
#  - its programs find every library, the Qt platform plugins theirs, and
#    fontconfig a font with Hebrew letters and the culmus faces;
#  - tovanel --help/--version, tovanel-cli --help/week/render work;
#  - the reader started without a display (offscreen, forced and chosen by
#    itself, as root and as an ordinary user) exits 0 and writes its window
#    picture and its registry file;
#  - with Xvfb, netpbm and man-db added (outside the Depends): the reader
#    shows its window, a second start hands over to it, a termination signal
#    saves its settings; man tovanel and man tovanel-cli render without
#    warnings; the menu entry validates and its command and icons are there;
#    every picture drawn holds more than a blank page;
#  - dpkg -r removes it and leaves none of its files.
# Needs root, debootstrap (installed with apt-get when missing) and the
# network; takes some minutes, most of them debootstrap and apt downloading.
#
# Usage: sh scripts/check-clean-install.sh build/tovanel_*.deb [ROOTDIR]
# ROOTDIR must be new or empty; it is kept for a look afterwards. Without it a
# temporary root is made under /var/tmp and removed at the end. The pictures
# the programs drew go to $PICTURES (default /var/tmp/tovanel-clean-install).
# MIRROR names another Debian mirror; DEBOOTSTRAP_OPTS adds debootstrap
# options (for example --cache-dir=DIR to keep its downloads).
# Exits 0 when every check passed, 1 when one failed, 2 when it could not run.
set -eu

usage="usage: check-clean-install.sh PACKAGE.deb [ROOTDIR]"
deb=${1:?$usage}
mirror=${MIRROR:-http://deb.debian.org/debian}
pictures=${PICTURES:-/var/tmp/tovanel-clean-install}
started=$(date +%s)

say() { echo "check-clean-install: $*"; }
die() { say "$*"; exit 2; }

[ "$(id -u)" -eq 0 ] || die "needs root (debootstrap, chroot, mount)"
[ -f "$deb" ] || die "no such package: $deb"
[ "$(dpkg-deb -f "$deb" Package)" = tovanel ] || die "$deb is not the tovanel package"
deb=$(realpath "$deb")

if [ $# -ge 2 ]; then
    root=$(realpath -m "$2")
    keep_root=1
    if [ -e "$root" ] && [ -n "$(ls -A "$root")" ]; then
        die "$root is not empty: give a new or empty folder, so the root is clean"
    fi
    mkdir -p "$root"
else
    root=$(mktemp -d /var/tmp/tovanel-clean-root.XXXXXX)
    keep_root=0
fi
# It becomes /, which every user must be able to enter (mktemp makes 0700).
chmod 755 "$root"

# Stops whatever still runs inside the root (only processes this script
# started live there), unmounts, and removes a temporary root.
cleanup() {
    for p in /proc/[0-9]*; do
        if [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ]; then
            kill -KILL "${p#/proc/}" 2>/dev/null || true
        fi
    done
    for m in dev/pts proc; do
        if mountpoint -q "$root/$m"; then
            umount "$root/$m" || umount -l "$root/$m" || true
        fi
    done
    if [ "$keep_root" -eq 0 ]; then
        if grep -q " $root/" /proc/mounts; then
            say "left $root in place: something is still mounted in it"
        else
            rm -rf --one-file-system "$root"
        fi
    fi
}
trap cleanup EXIT
trap 'exit 2' INT TERM HUP

if ! command -v debootstrap >/dev/null; then
    say "installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi

say "making a Debian 12 root in $root from $mirror"
# shellcheck disable=SC2086  # DEBOOTSTRAP_OPTS is a list of options
if ! debootstrap --variant=minbase ${DEBOOTSTRAP_OPTS:-} bookworm "$root" "$mirror" \
        > "$root.debootstrap.log" 2>&1; then
    tail -n 20 "$root.debootstrap.log"
    die "debootstrap failed (log: $root.debootstrap.log)"
fi
rm -f "$root.debootstrap.log"

# A Debian 12 as installed: the release with its updates and security fixes;
# no daemon starts inside the root.
cat > "$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
mount -t proc proc "$root/proc"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"

inside() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# The checks run inside the root, one stage at a time; each prints a line a
# check and exits with the number of checks that failed. The script lies where
# an ordinary user may read it; each user's files go to ~/out.
checks=/usr/local/bin/tovanel-check-inside
cat > "$root$checks" <<'INSIDE'
#!/bin/sh
set -u
self=/usr/local/bin/tovanel-check-inside
out=$HOME/out
mkdir -p "$out"
cd "$out" || exit 1
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
entry=/usr/share/applications/com.quillmark.Tovanel.desktop
platforms=$(echo /usr/lib/*/qt6/plugins/platforms)
pictures="page.png render-window.png offscreen/window.png no-display/window.png xvfb-window.png"

# check DESCRIPTION COMMAND...: runs the command, shows its output on failure.
check() {
    what=$1
    shift
    if "$@" > "$log" 2>&1; then
        echo "  ok   $what"
    else
        echo "  FAIL $what"
        sed 's/^/         | /' "$log" | tail -n 15
        failed=$((failed + 1))
    fi
}

is_png() {
    if [ ! -s "$1" ] || [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
        echo "not a PNG: $1"
        return 1
    fi
}

# More than a handful of colours: text was drawn, not only a blank page.
has_drawing() {
    colours=$(pngtopnm "$1" | ppmhist -noheader | wc -l)
    echo "$1: $colours colours"
    [ "$colours" -ge 8 ]
}

no_missing_libraries() {
    for f in "$@"; do
        [ -e "$f" ] || { echo "missing: $f"; return 1; }
        if ldd "$f" | grep 'not found'; then
            echo "in $f"
            return 1
        fi
    done
}

hebrew_fonts() {
    fc-list :lang=he family | sort -u
    [ -n "$(fc-list :lang=he family)" ]
}

culmus_font() {
    match=$(fc-match "David CLM") || return 1
    echo "$match"
    case $match in *'"David CLM"'*) ;; *) return 1 ;; esac
}

reader_help() {
    tovanel --help | tee help.txt && grep -q '^Usage: tovanel' help.txt
}

reader_version() {
    v=$(tovanel --version) || return 1
    echo "$v"
    [ "$v" = "Tovanel $(dpkg-query -W -f='${Version}' tovanel)" ]
}

cli_help() {
    tovanel-cli --help | tee cli-help.txt && grep -q '^  week' cli-help.txt
}

# cli_week PATTERN [ARGS...]: the week command's line matches PATTERN.
cli_week() {
    pattern=$1
    shift
    line=$(tovanel-cli week "$@") || return 1
    echo "$line"
    echo "$line" | grep -Eq "$pattern"
}

cli_render() {
    file=$1
    shift
    tovanel-cli render 30 --out "$file" "$@" && is_png "$file"
}

# registry_written FILE [MODE]: the reader saved its settings there.
registry_written() {
    cat "$1" || return 1
    [ "$(head -n 1 "$1")" = "Windows Registry Editor Version 5.00" ] || return 1
    grep -Eq '^"Lesson"=dword:[0-9a-f]{8}$' "$1" || { echo "no Lesson saved"; return 1; }
    if [ $# -ge 2 ] && [ "$(stat -c %a "$1")" != "$2" ]; then
        echo "mode $(stat -c %a "$1"), not $2"
        return 1
    fi
}

# reader_without_display NAME [VAR=VALUE...]: one run with its own registry
# file, runtime folder and snapshot; it must end by itself with 0 and leave
# both files.
reader_without_display() {
    d=$out/$1
    shift
    rm -rf "$d"
    mkdir -p "$d/runtime"
    chmod 700 "$d/runtime"
    env "$@" XDG_RUNTIME_DIR="$d/runtime" TOVANEL_REGISTRY="$d/registry.reg" \
        TOVANEL_SNAPSHOT="$d/window.png" timeout 60 tovanel || { echo "exit $?"; return 1; }
    is_png "$d/window.png" && registry_written "$d/registry.reg" 600
}

as_reader() {
    id reader > /dev/null 2>&1 || useradd -m reader || return 1
    su reader -s /bin/sh -c "$self $1" < /dev/null
}

manual_page() {
    MANPAGER=cat MANWIDTH=80 man "$1" | tee "man-$1.txt" | grep -q "$2"
}

manual_warnings() {
    for p in /usr/share/man/man1/tovanel.1.gz /usr/share/man/man1/tovanel-cli.1.gz; do
        w=$(MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$p" 2>&1 > /dev/null)
        [ -z "$w" ] || { echo "$p: $w"; return 1; }
    done
}

entry_commands() {
    for key in Exec TryExec; do
        command=$(sed -n "s/^$key=\([^ ]*\).*/\1/p" "$entry")
        command -v "$command" || { echo "$key=$command is not on the PATH"; return 1; }
    done
}

entry_icons() {
    icon=$(sed -n 's/^Icon=//p' "$entry")
    for size in 16 24 32 48 64 128 256; do
        is_png "/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" || return 1
    done
    grep -q '<svg' "/usr/share/icons/hicolor/scalable/apps/$icon.svg"
}

# In an Xvfb session: the reader shows its window, a second start hands over
# to it and ends, a termination signal closes it with its settings saved.
xvfb_session() {
    d=$out/xvfb
    rm -rf "$d"
    mkdir -p "$d/runtime"
    chmod 700 "$d/runtime"
    export XDG_RUNTIME_DIR="$d/runtime" TOVANEL_REGISTRY="$d/registry.reg"
    # A font chosen before, so the window opens without the font chooser.
    printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Quillmark\Tovanel]' '"FontName"="David CLM"' \
        > "$TOVANEL_REGISTRY"
    tovanel > "$d/first.txt" 2>&1 &
    pid=$!
    # Xvfb's screen is one colour until the window has drawn itself.
    shown=0
    for _ in $(seq 60); do
        sleep 1
        kill -0 "$pid" 2> /dev/null || break
        colours=$(xwdtopnm "$out/Xvfb_screen0" 2> /dev/null | ppmhist -noheader | wc -l)
        if [ "$colours" -ge 8 ]; then
            shown=1
            break
        fi
    done
    sleep 1
    xwdtopnm "$out/Xvfb_screen0" 2> /dev/null | pnmtopng > "$out/xvfb-window.png"
    status=0
    [ "$shown" -eq 1 ] || { echo "the window did not show"; status=1; }
    timeout 30 tovanel > "$d/second.txt" 2>&1 || { echo "the second start exited $?"; status=1; }
    sleep 1
    kill -0 "$pid" 2> /dev/null || { echo "the first reader ended at the second start"; status=1; }
    kill -TERM "$pid" 2> /dev/null
    wait "$pid" || { echo "the reader exited $? on SIGTERM"; status=1; }
    cat "$d/first.txt" "$d/second.txt"
    registry_written "$TOVANEL_REGISTRY" || status=1
    grep -q '^"FontName"="David CLM"$' "$TOVANEL_REGISTRY" || { echo "FontName lost"; status=1; }
    return $status
}

not_installed() {
    ! dpkg-query -W -f='${Status}\n' tovanel 2> /dev/null | grep -q installed
}

no_files_left() {
    left=0
    while read -r f; do
        if [ -f "$f" ] || [ -L "$f" ]; then
            echo "left: $f"
            left=1
        fi
    done < /root/files.txt
    [ "$left" -eq 0 ]
}

off_path() {
    ! command -v tovanel && ! command -v tovanel-cli
}

audit_clean() {
    a=$(dpkg --audit)
    echo "$a"
    [ -z "$a" ]
}

case $1 in
depends)
    check "the programs find every library they link" \
        no_missing_libraries /usr/bin/tovanel /usr/bin/tovanel-cli
    check "the Qt platform plugins (xcb, offscreen) find theirs" \
        no_missing_libraries "$platforms/libqxcb.so" "$platforms/libqoffscreen.so"
    check "fontconfig knows a font with Hebrew letters" hebrew_fonts
    check "the culmus faces are there (David CLM)" culmus_font
    check "tovanel --help exits 0 and shows the usage" reader_help
    check "tovanel --version names the package's version" reader_version
    check "tovanel-cli --help exits 0 and lists its commands" cli_help
    check "tovanel-cli week names this week's lesson (outside Israel)" \
        cli_week '^saturday=[0-9-]{10} .* lesson=[0-9]+ schedule=diaspora$'
    check "tovanel-cli week in TZ=Asia/Jerusalem takes the Israel schedule" \
        env TZ=Asia/Jerusalem sh "$self" week-in-israel
    check "tovanel-cli week of a fixed date gives its lesson" \
        cli_week ' lesson=171 ' 2027-07-15 --israel
    check "tovanel-cli render of a lesson in David CLM writes a PNG" \
        cli_render page.png --size 240x320 --font "David CLM"
    check "tovanel-cli render --window writes a PNG" \
        cli_render render-window.png --window --size 480x640
    check "the reader, QT_QPA_PLATFORM=offscreen: exits 0, writes its picture and registry" \
        reader_without_display offscreen QT_QPA_PLATFORM=offscreen
    check "the reader with no display at all: the same" reader_without_display no-display
    check "the reader run by an ordinary user: the same" as_reader user-run
    ;;
week-in-israel)
    cli_week 'schedule=israel$'
    exit
    ;;
user-run)
    reader_without_display user
    exit
    ;;
display)
    check "man tovanel shows the page" manual_page tovanel TOVANEL_REGISTRY
    check "man tovanel-cli shows the page" manual_page tovanel-cli render
    check "the manual pages render without groff warnings" manual_warnings
    check "the menu entry passes desktop-file-validate" desktop-file-validate "$entry"
    check "the menu entry's Exec and TryExec commands are on the PATH" entry_commands
    check "the entry's icon is in hicolor at every size and as SVG" entry_icons
    check "the software-centre metadata is installed" \
        grep -q '<id>com.quillmark.Tovanel</id>' /usr/share/metainfo/com.quillmark.Tovanel.metainfo.xml
    check "the reader under Xvfb shows its window, hands a second start over, saves on SIGTERM" \
        xvfb-run -a -s "-screen 0 800x700x24 -fbdir $out" sh "$self" xvfb-session
    for picture in $pictures; do
        check "$picture holds a drawing" has_drawing "$picture"
    done
    ;;
xvfb-session)
    xvfb_session
    exit
    ;;
removed)
    check "dpkg -r tovanel exits 0" dpkg -r tovanel
    check "dpkg knows tovanel no more" not_installed
    check "none of its files is left" no_files_left
    check "tovanel and tovanel-cli are off the PATH" off_path
    check "dpkg --audit finds nothing" audit_clean
    ;;
*)
    echo "unknown stage $1"
    exit 1
    ;;
esac
exit "$failed"
INSIDE
chmod 755 "$root$checks"

failures=0
stage() {
    say "$1"
    n=0
    inside "$checks" "$2" || n=$?
    failures=$((failures + n))
}

name=$(basename "$deb")
cp "$deb" "$root/root/$name"
before=$(inside dpkg-query -W -f='${Package}\n' | wc -l)
say "installing $name with apt, Depends only"
if ! inside sh -c "apt-get update -qq && cd /root &&
                   apt-get install -y -q --no-install-recommends ./$name" \
        > "$root/root/install.log" 2>&1; then
    tail -n 30 "$root/root/install.log"
    die "apt-get could not install $name on a clean Debian 12"
fi
after=$(inside dpkg-query -W -f='${Package}\n' | wc -l)
say "installed with $((after - before - 1)) packages it pulled in; Depends: $(dpkg-deb -f "$deb" Depends)"
inside dpkg -L tovanel > "$root/root/files.txt"

stage "with the Depends alone:" depends

say "adding Xvfb, netpbm, man-db and desktop-file-utils (outside the Depends)"
if ! inside apt-get install -y -q --no-install-recommends \
        xvfb xauth netpbm man-db desktop-file-utils > "$root/root/extras.log" 2>&1; then
    tail -n 30 "$root/root/extras.log"
    die "could not install the display and manual tools in the root"
fi
stage "with a display and the manual tools:" display

stage "removing it:" removed

mkdir -p "$pictures"
for picture in page.png render-window.png offscreen/window.png no-display/window.png \
               xvfb-window.png; do
    if [ -f "$root/root/out/$picture" ]; then
        cp "$root/root/out/$picture" "$pictures/$(echo "$picture" | tr / -)"
    fi
done
say "the pictures drawn in the root are in $pictures"
if [ "$keep_root" -eq 1 ]; then
    say "the root stays in $root (the checks' files are in $root/root/out)"
fi
cleanup
trap - EXIT

seconds=$(($(date +%s) - started))
if [ "$failures" -eq 0 ]; then
    say "PASS: $name installs, starts and goes on a clean Debian 12 (${seconds} s)"
    exit 0
fi
say "FAIL: $failures check(s) failed (${seconds} s)"
exit 1
