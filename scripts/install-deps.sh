#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build and test both trees.
# Idempotent: when everything is already installed it changes nothing and returns quickly.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

PACKAGES=(
    # Windows build and its test environment (Wine's fonts: Tahoma for every prefix); the 64-bit
    # compiler builds the tests where the kernel runs no 32-bit code (scripts/wine-env.sh)
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 xvfb xauth fonts-wine
    # the interface compiler (widl) for the admin server's proxy and stub
    mingw-w64-tools
    # both trees: GoogleTest's sources (built with MinGW) and its native build
    cmake ninja-build googletest libgtest-dev
    # native build: sanitizers, fuzzing, the reference provider (Boost.Asio and Beast; cpp-httplib
    # for the HTTPS client of its tests)
    g++ clang libclang-rt-14-dev libboost1.74-dev libcpp-httplib-dev libssl-dev openssl libsqlite3-dev pkgconf
    # helpers of the scripts and tests (the run command finds and photographs the desktop
    # client's window on its X display)
    procps util-linux python3 x11-utils python3-pil file
    # the house's checks (scripts/lint.sh): the layout of the C++ files, the shell scripts
    clang-format-14 shellcheck
)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [ "${#missing[@]}" -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
