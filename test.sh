#!/bin/sh
# Runs every test (unit, real-peer and bounded fuzzing) in the sanitizer
# build, then the tests of threads in the ThreadSanitizer build; the tests
# start and stop the servers they need themselves. Installs and builds first
# when the build trees are missing, and brings both test builds up to date.
set -eu
cd "$(dirname "$0")"
if [ ! -d build ] || [ ! -d build-sanitize ] || [ ! -d build-tsan ]; then
    ./setup.sh
fi
cmake --build build-sanitize -j "$(nproc)"
cmake --build build-tsan -j "$(nproc)"
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" --timeout 900
# The resolver thread's tests under ThreadSanitizer; they need no broker.
ctest --test-dir build-tsan --output-on-failure -j "$(nproc)" --timeout 300 \
    -R '^(ResolverTest|AddressInfoTest|ResolverThreadTest)\.' -LE dns -FA kestrava_broker
# libidn and the public suffix list, first used by several threads at once.
ctest --test-dir build-tsan --output-on-failure -j "$(nproc)" --timeout 300 -L dns \
    -R '^(HostnameTest\.LibidnLoadsOnce|PublicSuffixesTest\.ListIsReadOnce)'
