#!/bin/sh
# Does what a new machine does: makes a minimal Debian 12 root (debootstrap, variant minbase,
# plus make, git and ca-certificates), clones the project into it at a given commit, then runs
# the README's `make test` and `make run` and CI's `.ci/run` inside it, and prints each one's
# exit status and wall time. Whatever the project forgot to install shows up here, where no
# one installed it by hand. Needs root (chroot, mounts, apt-get); installs debootstrap when
# it is missing.
#
#     tools/fresh-check.sh [-d DIR] [-t SECONDS] [REV]     # REV defaults to HEAD
#
# DIR (default: a new folder under $TMPDIR or /tmp) holds the root in DIR/root and each
# step's log in DIR/logs; it is kept afterwards, to be looked into, and must be empty or
# absent. Each step gets at most SECONDS (default 5400, CI's limit). The kernel's folders
# mounted into the root are unmounted at the end, also after a failure or an interrupt.
set -eu

DIR=""
LIMIT=5400
while getopts d:t: option; do
    case $option in
        d) DIR=$OPTARG ;;
        t) LIMIT=$OPTARG ;;
        *) echo "usage: $0 [-d DIR] [-t SECONDS] [REV]" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
REV=${1:-HEAD}
SOURCE=$(git rev-parse --show-toplevel)
COMMIT=$(git -C "$SOURCE" rev-parse --verify "$REV^{commit}")

[ "$(id -u)" -eq 0 ] || { echo "fresh-check: run as root (it uses chroot and mount)" >&2; exit 1; }

if [ -z "$DIR" ]; then
    DIR=$(mktemp -d "${TMPDIR:-/tmp}/plexaro-fresh.XXXXXX")
elif [ -e "$DIR" ] && [ -n "$(ls -A "$DIR")" ]; then
    echo "fresh-check: $DIR is not empty" >&2
    exit 1
fi
mkdir -p "$DIR/logs"
DIR=$(cd "$DIR" && pwd)
ROOT=$DIR/root
LOGS=$DIR/logs

# The kernel's folders, mounted into the root once it exists. Bound recursively (Chromium wants
# /dev/shm, a terminal /dev/pts) and made slaves, so that unmounting them here never unmounts
# anything of the machine's own.
MOUNTS="proc sys dev"
mounted=""
unmount_all() {
    # A process left behind in the root (an X server of a test that was cut off) would hold its
    # mounts: end those first. Only processes whose root is ours qualify.
    for link in /proc/[0-9]*/root; do
        [ "$(readlink "$link" 2>/dev/null)" = "$ROOT" ] || continue
        pid=${link#/proc/}
        pid=${pid%/root}
        kill -KILL "$pid" 2>/dev/null || true
    done
    for m in $mounted; do
        umount -R "$ROOT/$m" 2>/dev/null || umount -R -l "$ROOT/$m" 2>/dev/null ||
            echo "fresh-check: could not unmount $ROOT/$m" >&2
    done
    mounted=""
}
trap unmount_all EXIT
trap 'exit 130' INT TERM

say() { echo "fresh-check: $*"; }

if ! command -v debootstrap >/dev/null 2>&1; then
    say "installing debootstrap"
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends debootstrap >/dev/null
fi

# The mirror this machine's apt uses for Debian itself (not its security archive); without
# one, debootstrap's own default.
MIRROR=""
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    MIRROR=$(awk '/^URIs:/ { uri = $2 } /^Suites:/ && / bookworm( |$)/ { print uri; exit }' \
        /etc/apt/sources.list.d/debian.sources)
fi
if [ -z "$MIRROR" ] && [ -f /etc/apt/sources.list ]; then
    MIRROR=$(awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' /etc/apt/sources.list)
fi

started=$(date +%s)
say "making a Debian 12 root in $ROOT${MIRROR:+ from $MIRROR}"
# shellcheck disable=SC2086
debootstrap --variant=minbase --include=make,git,ca-certificates bookworm "$ROOT" $MIRROR \
    >"$LOGS/debootstrap.log" 2>&1 || { tail -20 "$LOGS/debootstrap.log"; exit 1; }

# What the machine's apt reaches Debian with: its sources, and its settings for fetching (a
# proxy, a snapshot's dates); nothing else of its configuration.
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] && cp "$file" "$ROOT$file"
done
for file in /etc/apt/apt.conf.d/*; do
    [ -f "$file" ] && grep -q '^[[:space:]]*Acquire' "$file" && cp "$file" "$ROOT$file"
done
cp /etc/resolv.conf "$ROOT/etc/resolv.conf" 2>/dev/null || true
# Extra certificate authorities this machine trusts for the package registries (npm among them).
if ls /usr/local/share/ca-certificates/*.crt >/dev/null 2>&1; then
    cp /usr/local/share/ca-certificates/*.crt "$ROOT/usr/local/share/ca-certificates/"
fi
# Packages installed in the root must not start services: there is no init in it.
printf '#!/bin/sh\nexit 101\n' >"$ROOT/usr/sbin/policy-rc.d"
chmod 755 "$ROOT/usr/sbin/policy-rc.d"

for m in $MOUNTS; do
    mount --rbind "/$m" "$ROOT/$m"
    mounted="$m $mounted"
    mount --make-rslave "$ROOT/$m"
done
chroot "$ROOT" update-ca-certificates >"$LOGS/ca.log" 2>&1

say "cloning $COMMIT"
git clone -q --no-hardlinks --no-checkout "$SOURCE" "$ROOT/src/plexaro"
git -C "$ROOT/src/plexaro" fetch -q origin "$COMMIT"
git -C "$ROOT/src/plexaro" checkout -q --detach "$COMMIT"
say "root ready after $(($(date +%s) - started)) s"

# A login's environment as a fresh machine has it: no locale, no display, no session bus.
in_root() {
    chroot "$ROOT" /usr/bin/env -i HOME=/root TERM=dumb CI=true \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        timeout --kill-after=30 "$LIMIT" sh -c "cd /src/plexaro && $1" </dev/null
}

summary=""
failed=0
for step in "make test" "make run" "bash .ci/run"; do
    log=$LOGS/$(echo "$step" | tr ' ./' '-' | sed 's/^-*//; s/--*/-/g').log
    say "$step (log: $log)"
    begin=$(date +%s)
    status=0
    in_root "$step" >"$log" 2>&1 || status=$?
    seconds=$(($(date +%s) - begin))
    [ "$status" -eq 0 ] || { failed=1; tail -30 "$log"; }
    summary="$summary$(printf '%-14s status %3d  %4d min %02d s' "$step" "$status" \
        $((seconds / 60)) $((seconds % 60)))
"
done

unmount_all
{
    echo "fresh-check of $COMMIT in a Debian 12 minbase root ($DIR)"
    printf '%s' "$summary"
} | tee "$DIR/summary.txt"
exit $failed
