#!/bin/sh
# Runs every test (unit, real-peer and bounded fuzzing) in the sanitizer
# build; the tests start and stop the servers they need themselves.
set -eu
cd "$(dirname "$0")"
exec ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" --timeout 900
