#!/bin/sh
# Runs a command in a private network and mount namespace with a private
# RabbitMQ: lo is brought up, /etc/hosts and /etc/resolv.conf are replaced by
# files of our own (the endpoint's names resolve to loopback, silent.test to
# 127.0.0.4 first, which a test makes drop connects; no name server is
# reachable), the broker is started with tests/amqp/broker.sh and stopped
# when the command ends. The command finds the broker's directory in
# WEBHOOK_BROKER_DIR (port, tlsport, tls/ca.pem; broker.sh ctl for
# rabbitmqctl). With WEBHOOK_NO_BROKER=1 no broker is started.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

if [ "${WEBHOOK_NAMESPACE:-}" != 1 ]; then
    WEBHOOK_NAMESPACE=1 exec unshare --net --mount -- "$0" "$@"
fi

ip link set lo up
work=$(mktemp -d)
cleanup() {
    [ "${WEBHOOK_NO_BROKER:-}" = 1 ] || "$here/../amqp/broker.sh" stop "$work/broker" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

printf '127.0.0.1 localhost endpoint.test\n::1 localhost ip6-localhost\n127.0.0.4 silent.test\n127.0.0.1 silent.test\n' \
    >"$work/hosts"
printf 'nameserver 127.0.0.1\noptions timeout:1 attempts:1\n' >"$work/resolv.conf"
mount --bind "$work/hosts" /etc/hosts
mount --bind "$work/resolv.conf" /etc/resolv.conf

if [ "${WEBHOOK_NO_BROKER:-}" != 1 ]; then
    "$here/../amqp/broker.sh" start "$work/broker" >"$work/broker.out" 2>&1 || {
        cat "$work/broker.out" >&2
        exit 1
    }
fi

status=0
if [ "${WEBHOOK_NO_BROKER:-}" = 1 ]; then
    "$@" || status=$?
else
    WEBHOOK_BROKER_DIR="$work/broker" "$@" || status=$?
fi
exit "$status"
