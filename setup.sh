#!/bin/sh
# Installs every build and test dependency (Debian 12, as root) and builds
# three trees: build/ (g++, warnings as errors: the service, the libraries
# and the benchmarks),
# build-sanitize/ (clang with AddressSanitizer, UndefinedBehaviorSanitizer
# and the libFuzzer targets), in which the tests run, and build-tsan/
# (ThreadSanitizer, the tests of threads of the AMQP resolver and of DNS's
# one-time initialisations only).
set -eu
cd "$(dirname "$0")"

export DEBIAN_FRONTEND=noninteractive

# Tests start their servers on ports of their own. The packaged services
# that this install brings are kept from starting, now and at boot; those of
# packages the host had before (its own broker or web server) are left as
# they are, and packages already installed are not upgraded unless a new one
# needs it. Erlang's port mapper (epmd, of erlang-base, which RabbitMQ pulls
# in) listens on every interface once started.
new_services=
for pair in rabbitmq-server:rabbitmq-server erlang-base:epmd nginx-common:nginx tinyproxy:tinyproxy \
    opendkim:opendkim; do
    if ! dpkg-query -W -f '${db:Status-Status}' "${pair%%:*}" 2>/dev/null | grep -qx installed; then
        new_services="$new_services${new_services:+ }${pair#*:}"
    fi
done
policy=
# Also after a failed install: a second run would take what the first one
# installed for the host's own and leave it enabled at boot.
finish_install() {
    if [ -n "$policy" ]; then
        rm -f "$policy"
        policy=
    fi
    for service in $new_services; do
        if command -v systemctl >/dev/null 2>&1; then
            # The socket first: it would start a socket-activated service
            # (epmd) again.
            for unit in "$service.socket" "$service.service"; do
                systemctl disable --now "$unit" >/dev/null 2>&1 || true
            done
        elif [ -e "/etc/init.d/$service" ] && command -v update-rc.d >/dev/null 2>&1; then
            # Without systemd, the init script's links start it at boot.
            update-rc.d "$service" disable >/dev/null 2>&1 || true
        fi
    done
}
trap finish_install EXIT
trap 'exit 1' INT TERM HUP
# Package scripts ask policy-rc.d before they start, stop or restart a
# service (invoke-rc.d, deb-systemd-invoke). Ours answers no (101) to all,
# for the time of the install: the new services stay stopped, and a host's
# own are neither stopped nor started, not even one whose package apt
# upgrades as a dependency (nginx, which nginx-light pins to its version,
# would be restarted, or started when stopped). A host's own policy is kept.
if [ ! -e /usr/sbin/policy-rc.d ]; then
    policy=/usr/sbin/policy-rc.d
    printf '#!/bin/sh\n# Written by setup.sh for the time of its package install.\nexit 101\n' >"$policy"
    chmod 755 "$policy"
fi

apt-get update -qq
apt-get install -y -qq --no-install-recommends --no-upgrade \
    build-essential cmake pkg-config git \
    clang libclang-rt-14-dev \
    libgtest-dev libgmock-dev libbenchmark-dev \
    libev-dev libfastjson-dev \
    libssl-dev openssl libidn-dev \
    libc-ares-dev dnsmasq-base \
    rabbitmq-server python3-pika amqp-tools librabbitmq-dev \
    publicsuffix libidn12 libpsl-dev \
    microsocks tinyproxy nginx-light libcurl4-openssl-dev \
    libgmime-3.0-dev python3-dkim python3-authres libmail-dkim-perl \
    opendkim opendkim-tools libopendkim-dev \
    python3 libpython3.11-testsuite iproute2 util-linux procps >/dev/null

finish_install
trap - EXIT INT TERM HUP

jobs=$(nproc)
# build/ holds what runs for real (the service, the libraries, the
# benchmarks); the test binaries are built and run in build-sanitize/ only.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRAVA_WERROR=ON \
    -DKESTRAVA_TESTS=OFF >/dev/null
cmake --build build -j "$jobs"
CC=clang CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug \
    -DKESTRAVA_SANITIZE=ON -DKESTRAVA_FUZZ=ON -DKESTRAVA_BENCHMARKS=OFF \
    -DKESTRAVA_WERROR=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
# ThreadSanitizer for the tests of the AMQP client's resolver thread and of
# the DNS library's one-time initialisations: a small tree of those
# libraries and their test binaries only.
CC=clang CXX=clang++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DKESTRAVA_TSAN=ON \
    -DKESTRAVA_BENCHMARKS=OFF -DKESTRAVA_WERROR=ON \
    -DKESTRAVA_LIBRARIES="event;dynamic;amqp;dns" >/dev/null
cmake --build build-tsan -j "$jobs" --target amqp_tests dns_tests
