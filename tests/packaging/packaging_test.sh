#!/usr/bin/env bash
# The suite installed: to a temporary prefix (every program starts from there) and as a .deb
# (installed with apt-get, used, removed). Usage: packaging_test.sh CASE BUILD_DIR. 77 = skipped.
set -euo pipefail
build=$2
scratch=$(mktemp -d /tmp/kalyx-install.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Each program, run from PREFIX: versions, the window's help without a display, the backend's
# listing (only the network line here: no printer is attached).
check_programs() {
    local prefix=$1 backend=$2
    [ "$("$prefix/bin/kalyxprn" --version)" = "kalyxprn 1.0.0" ] || fail "kalyxprn --version"
    [ "$("$prefix/bin/kalyxsim" --version)" = "kalyxsim 1.0.0" ] || fail "kalyxsim --version"
    [ "$(env -u DISPLAY "$prefix/bin/kalyxprntool" --version)" = "kalyxprntool 1.0.0" ] ||
        fail "kalyxprntool --version"
    env -u DISPLAY "$prefix/bin/kalyxprntool" --help | grep -q '^Usage: kalyxprntool' ||
        fail "kalyxprntool --help"
    "$backend" | grep -q '^network kalyx ' || fail "the backend's device listing"
    "$prefix/bin/kalyxprn" sample -o "$scratch/card.prn" >/dev/null || fail "kalyxprn sample"
    "$prefix/bin/kalyxprn" check "$scratch/card.prn" | grep -q 'valid' || fail "kalyxprn check"
    gzip -t "$prefix/share/man/man1/kalyxprn.1.gz" || fail "man page not compressed"
    bash -c "complete() { :; }; source '$prefix/share/bash-completion/completions/kalyxprn'" ||
        fail "bash completion does not load"
}

case_prefix() {
    cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
    local program
    for program in "$scratch"/prefix/bin/* "$scratch/prefix/lib/cups/backend/kalyx"; do
        ! ldd "$program" | grep -q 'not found' || fail "$program: $(ldd "$program" | grep 'not found')"
        # Our library comes from the prefix, never from the build folder.
        if ldd "$program" | grep -q libkalyxcomms; then
            ldd "$program" | grep libkalyxcomms | grep -q "$scratch/prefix" ||
                fail "$program loads $(ldd "$program" | grep libkalyxcomms)"
        fi
    done
    check_programs "$scratch/prefix" "$scratch/prefix/lib/cups/backend/kalyx"
}

case_deb() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIP: installing a package needs root"
        exit 77
    fi
    (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >cpack.log) ||
        fail "cpack: $(cat "$scratch/cpack.log")"
    local deb
    deb=$(ls "$scratch"/kalyx_*.deb)
    dpkg-deb -f "$deb" Depends | grep -q 'libqt5core5a' || fail "no dependencies from shlibdeps"
    (cd "$scratch" && DEBIAN_FRONTEND=noninteractive timeout 300 \
        apt-get install -y -q --no-install-recommends "./$(basename "$deb")" >apt.log 2>&1) ||
        fail "apt-get install: $(tail -n 20 "$scratch/apt.log")"
    local status=0
    (
        check_programs /usr /usr/lib/cups/backend/kalyx
        [ "$(stat -c %a /usr/lib/cups/backend/kalyx)" = 755 ] || fail "backend mode"
        [ -f /usr/lib/udev/rules.d/60-kalyx.rules ] || fail "udev rule"
        [ -f /usr/share/cups/mime/kalyx.types ] || fail "MIME type"
    ) || status=$?
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -q --purge kalyx >>"$scratch/apt.log" 2>&1 ||
        fail "apt-get remove: $(tail -n 20 "$scratch/apt.log")"
    [ "$status" -eq 0 ] || exit "$status"
    [ ! -e /usr/bin/kalyxprn ] && [ ! -e /usr/lib/cups/backend/kalyx ] || fail "files left behind"
}

"case_$1"
echo "PASS: $1"
