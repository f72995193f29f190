#!/bin/sh
# Runs a test binary in a private network, mount and host-name namespace,
# where the resolver's fixed port 53 and its /etc files are ours: lo is
# brought up, test files are bind-mounted over /etc/resolv.conf and
# /etc/hosts, the scripted server (dnsserver.py) and dnsmasq are started on
# loopback addresses, and both are stopped when the binary ends.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

case " $* " in
*" --gtest_list_tests "*) exec "$@" ;;
esac

if [ "${KESTRAVA_DNS_NAMESPACE:-}" != 1 ]; then
    KESTRAVA_DNS_NAMESPACE=1 exec unshare --net --mount --uts -- "$0" "$@"
fi

ip link set lo up
hostname web1.example.net
work=$(mktemp -d)
server=
dnsmasq=
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null
    [ -n "$dnsmasq" ] && kill "$dnsmasq" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The system files: the scripted server is the system's name server.
printf 'nameserver 127.0.0.2\noptions timeout:1 attempts:1\n' > "$work/resolv.conf"
cat > "$work/hosts" <<'HOSTS'
127.0.0.1 localhost
192.0.2.7 web WEB.example # note
192.0.2.8 hostsonly.test
192.0.2.9 dual.test
2001:db8::9 dual.test
2001:db8::10 v6only.test
192.0.2.1 host.test
HOSTS
mount --bind "$work/resolv.conf" /etc/resolv.conf
mount --bind "$work/hosts" /etc/hosts

/usr/bin/python3 "$here/dnsserver.py" --log "$work/queries.log" --ready "$work/ready" &
server=$!
/usr/sbin/dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts \
    --no-poll --bind-interfaces --listen-address=127.0.0.1,::1 --port=53 --user=root \
    --pid-file= --log-facility=/dev/null \
    --local=/plain.test/ --host-record=host.plain.test,192.0.2.40,2001:db8::40 \
    --txt-record=txt.plain.test,"first part","second part" \
    --txt-record=key._domainkey.plain.test,"v=DKIM1; k=rsa; ","p=MIGfMA0" &
dnsmasq=$!

for _ in $(seq 100); do
    if [ -e "$work/ready" ] && ss -Hlun 'sport = :53' | grep -q 127.0.0.1; then
        break
    fi
    sleep 0.05
done

status=0
DNS_TEST_DIR="$work" DNS_TEST_LOG="$work/queries.log" "$@" || status=$?
exit "$status"
