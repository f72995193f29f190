#!/bin/sh
# Runs every test (unit, real-peer and bounded fuzzing) in the sanitizer
# build, then the resolver thread's tests in the ThreadSanitizer build; the
# tests start and stop the servers they need themselves.
set -eu
cd "$(dirname "$0")"
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" --timeout 900
# The resolver thread's tests under ThreadSanitizer; they need no broker.
ctest --test-dir build-tsan --output-on-failure -j "$(nproc)" --timeout 300 \
    -R '^(ResolverTest|AddressInfoTest|ResolverThreadTest)\.' -FA kestrava_broker
