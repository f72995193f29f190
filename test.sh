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
# The shipped build loads OpenSSL and libidn with RTLD_DEEPBIND, which the
# test trees leave out: its demonstration must deliver every document,
# filtered, without a warning.
./run.sh >build/demo.out 2>&1 || { cat build/demo.out; exit 1; }
for document in '{"id":1,"customer":{"name":"Ada"},"total":12.5}' \
    '{"id":2,"customer":{"name":"Bo"},"items":[{"sku":"A-1"},{"sku":"B-2"}]}' \
    '{"id":3,"status":"no customer at all"}'; do
    if ! grep -qxF "endpoint received: $document" build/demo.out ||
        grep -q '^\[\(Warning\|Critical\)\]' build/demo.out; then
        cat build/demo.out
        echo "test.sh: the demonstration on the shipped build went wrong" >&2
        exit 1
    fi
done
