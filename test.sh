#!/bin/sh
# Runs every test (unit, real-peer and bounded fuzzing) in the sanitizer
# build; the tests start and stop the servers they need themselves. Installs
# and builds first when the build trees are missing, and brings the
# sanitizer build up to date.
set -eu
cd "$(dirname "$0")"
if [ ! -d build-sanitize ] || [ ! -d build ]; then
    ./setup.sh
fi
cmake --build build-sanitize -j "$(nproc)"
exec ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" --timeout 900
