#!/usr/bin/env bash
# The README's test command on a fresh minimal Debian 12, as a new user meets it: builds a
# Debian 12 chroot (debootstrap, variant minbase, with git alone added, from the package mirror
# this machine's apt sources name), clones the commit under test (HEAD of this repository) into
# it and runs ./scripts/test-all.sh there as root. Everything is removed at the end, also on
# failure. Needs root; installs debootstrap itself.
#
#   scripts/check-fresh-machine.sh [PARENT-FOLDER]     (default: build/ of this repository)
#
# The chroot sees this machine's /proc, /sys, /dev, /dev/pts and /dev/shm (bind mounts) and a
# tmpfs of its own as /tmp. Every mount lives in a mount namespace of this script's own, so none
# can outlive it or reach this machine's view of the folder, and all are unmounted before
# anything is removed. The packages are installed (scripts/install-deps.sh, the test command's
# first step) over the network; the test command then runs in a network namespace of its own,
# whose loopback endpoints and X displays belong to the chroot alone.
set -euo pipefail

if [ "${1:-}" = --inside ]; then
    inside=yes
    shift
else
    inside=""
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "check-fresh-machine: needs root (mounts, chroot, namespaces)" >&2
    exit 1
fi

# The processes of a mount namespace whose root folder is at or below a folder ("" for any),
# this shell excepted.
namespace_processes() { # namespace_processes <namespace, as /proc/PID/ns/mnt names it> <folder>
    local proc root
    for proc in /proc/[0-9]*; do
        [ "${proc#/proc/}" != "$$" ] && [ "$(readlink "$proc/ns/mnt" 2>/dev/null)" = "$1" ] &&
            root="$(readlink "$proc/root" 2>/dev/null)" && [[ "$root/" == "$2/"* ]] &&
            echo "${proc#/proc/}"
    done
    return 0
}

# Ends those processes: SIGTERM, then SIGKILL to what is left after 10 s.
end_processes() { # end_processes <namespace> <folder>
    local pids
    pids="$(namespace_processes "$@")"
    [ -n "$pids" ] || return 0
    # shellcheck disable=SC2086 # one pid a word
    kill -TERM $pids 2>/dev/null || true
    for _ in $(seq 100); do
        [ -z "$(namespace_processes "$@")" ] && return 0
        sleep 0.1
    done
    # shellcheck disable=SC2046
    kill -KILL $(namespace_processes "$@") 2>/dev/null || true
    sleep 1
}

# The mount points at or below a folder, deepest first.
mounts_below() { # mounts_below <folder>
    findmnt -rn -o TARGET | awk -v folder="$1" '$0 == folder || index($0, folder "/") == 1' |
        sort -r
}

# ---- Inside the script's own mount namespace: the chroot, its mounts and the test command.
if [ -n "$inside" ]; then
    work="$1" mirror="$2" repository="$3" commit="$4"
    tree="$work/tree"
    namespace="$(readlink /proc/self/ns/mnt)"
    echo "$namespace" >"$work/namespace"

    # shellcheck disable=SC2317 # run by the trap
    unmount_all() {
        local status=$? target left
        set +e
        end_processes "$namespace" ""
        for _ in 1 2 3; do
            for target in $(mounts_below "$tree"); do umount "$target" 2>/dev/null; done
        done
        # What is still busy is detached from the folder at once and freed when no longer used.
        for target in $(mounts_below "$tree"); do umount --lazy "$target"; done
        left="$(mounts_below "$tree")"
        if [ -n "$left" ]; then
            echo "check-fresh-machine: still mounted: $left" >&2
            status=1
        fi
        exit "$status"
    }
    trap unmount_all EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    started=$SECONDS
    echo "== debootstrap: Debian 12 (bookworm), minbase with git, from $mirror"
    debootstrap --variant=minbase --include=git bookworm "$tree" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        { tail -n 30 "$work/debootstrap.log" >&2; exit 1; }
    bootstrapped=$SECONDS
    # No package may start a daemon in the chroot.
    printf '#!/bin/sh\nexit 101\n' >"$tree/usr/sbin/policy-rc.d"
    chmod 755 "$tree/usr/sbin/policy-rc.d"
    # The host names every installed Debian has (debootstrap leaves the file out).
    printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$tree/etc/hosts"

    for folder in proc sys dev dev/pts dev/shm; do
        mount --bind "/$folder" "$tree/$folder"
    done
    mount -t tmpfs -o mode=1777 tmpfs "$tree/tmp"

    echo "== cloning $commit"
    git clone --quiet --no-hardlinks --no-checkout "$repository" "$tree/root/tarvo-vek"
    git -C "$tree/root/tarvo-vek" checkout --quiet --detach "$commit"

    # A command in the repository's folder, with the clean environment of root's login on a
    # fresh machine.
    as_new_user=(chroot "$tree" /usr/bin/env -i HOME=/root TERM=dumb
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
        /bin/sh -c 'cd /root/tarvo-vek && exec "$@"' sh)
    echo "== installing the packages (scripts/install-deps.sh)"
    "${as_new_user[@]}" ./scripts/install-deps.sh
    installed=$SECONDS
    echo "== the test command: ./scripts/test-all.sh"
    # The network namespace has what every machine has: the loopback interface and one more with
    # an address (Wine lists no loopback adapter, and getaddrinfo answers for IPv4 only where a
    # non-loopback address is configured). That one is an end of a pair whose other end stays in
    # the namespace, so nothing leaves it.
    network='ip link set lo up && ip link add eth0 type veth peer name eth1 &&
             ip address add 192.0.2.2/24 dev eth0 && ip link set eth0 up && ip link set eth1 up'
    # shellcheck disable=SC2016 # expanded by that shell
    unshare --net -- sh -c "$network"' && exec "$@"' sh "${as_new_user[@]}" ./scripts/test-all.sh
    echo "fresh-machine check passed: bootstrap $((bootstrapped - started)) s," \
        "packages $((installed - bootstrapped)) s, test command $((SECONDS - installed)) s"
    exit 0
fi

# ---- On this machine: prepare, run the inside in a mount namespace, remove the folder.
self="$(realpath "$0")"
cd "$(dirname "$self")/.."
repository="$PWD"
commit="$(git rev-parse HEAD)"
parent="$(realpath -m "${1:-build}")"

# The mirror of the machine's Debian 12 sources (one-line or deb822 form), not the security one.
mirror="$(
    {
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            awk '$1 == "deb" { sub(/\[[^]]*\] */, ""); if ($3 == "bookworm") print $2 }'
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
            awk 'BEGIN { RS = "" } /(^|\n)Types:[^\n]*deb( |\n|$)/ && /(^|\n)Suites:[^\n]* bookworm( |\n|$)/ {
                     if (match($0, /(^|\n)URIs: *[^ \n]+/)) { uri = substr($0, RSTART, RLENGTH); sub(/.*URIs: */, "", uri); print uri } }'
    } | head -n1
)"
[ -n "$mirror" ] || { echo "check-fresh-machine: no Debian 12 source in /etc/apt" >&2; exit 1; }

missing=()
for tool in debootstrap:debootstrap ip:iproute2 unshare:util-linux findmnt:util-linux; do
    command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ "${#missing[@]}" -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

mkdir -p "$parent"
work="$(mktemp -d "$parent/fresh-machine.XXXXXX")"
started=$SECONDS
remove_work() {
    local status=$? left
    set +e
    trap '' INT TERM
    # Processes of the chroot that outlived the inside keep its namespace (and mounts) alive.
    [ -f "$work/namespace" ] && end_processes "$(cat "$work/namespace")" "$work"
    left="$(mounts_below "$work")"
    if [ -n "$left" ]; then
        echo "check-fresh-machine: mounted below $work, so it stays: $left" >&2
        exit 1
    fi
    rm -rf --one-file-system "$work"
    [ "$status" -eq 0 ] || echo "check-fresh-machine: FAILED after $((SECONDS - started)) s" >&2
    exit "$status"
}
trap remove_work EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

unshare --mount --propagation private -- "$self" --inside "$work" "$mirror" "$repository" "$commit"
echo "fresh-machine check: $((SECONDS - started)) s in all"
