#!/bin/sh
# Runs a test binary in a private network namespace with only loopback up,
# so that the test peers it starts are reachable by no one else and nothing
# the tests send can leave the machine.
set -eu

case " $* " in
*" --gtest_list_tests "*) exec "$@" ;;
esac

if [ "${KESTRAVA_NETWORK_NAMESPACE:-}" != 1 ]; then
    KESTRAVA_NETWORK_NAMESPACE=1 exec unshare --net -- "$0" "$@"
fi

ip link set lo up
exec "$@"
