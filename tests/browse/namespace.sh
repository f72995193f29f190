#!/bin/sh
# Runs a test binary in a private network and mount namespace with its own
# /etc/resolv.conf and /etc/hosts: dnsmasq answers (and logs) what the
# hosts file does not, and the scripted endpoint (endpoint.py) serves plain
# HTTP and HTTPS with fresh certificates; both stop when the binary ends.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

case " $* " in
*" --gtest_list_tests "*) exec "$@" ;;
esac

if [ "${KESTRAVA_BROWSE_NAMESPACE:-}" != 1 ]; then
    KESTRAVA_BROWSE_NAMESPACE=1 exec unshare --net --mount -- "$0" "$@"
fi

ip link set lo up
work=$(mktemp -d)
pids=
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

printf 'nameserver 127.0.0.1\noptions timeout:1 attempts:1\n' > "$work/resolv.conf"
# refusing.test: nothing listens on its first address; silent.test: the
# test that uses it makes its first address drop connects unanswered;
# pinned.test: nothing listens on its one address, dnsmasq has another.
cat > "$work/hosts" <<'HOSTS'
127.0.0.1 localhost
127.0.0.1 dual.test
::1 dual.test
::1 v6only.test
127.0.0.3 refusing.test
127.0.0.1 refusing.test
127.0.0.4 silent.test
127.0.0.1 silent.test
127.0.0.1 secure.test self.test xn--bcher-kva.test
127.0.0.1 leaf.test second.test
127.0.0.3 pinned.test
HOSTS
mount --bind "$work/resolv.conf" /etc/resolv.conf
mount --bind "$work/hosts" /etc/hosts

# A self-signed certificate, and a test CA with a certificate for the names
# the TLS tests use.
key() { echo "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"; }
openssl req -x509 $(key) -subj /CN=self.test -addext subjectAltName=DNS:self.test \
    -keyout "$work/self.key" -out "$work/self.crt" 2>/dev/null
openssl req -x509 $(key) -subj "/CN=Browse Test CA" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    -keyout "$work/ca.key" -out "$work/ca.crt" 2>/dev/null
openssl req $(key) -subj /CN=secure.test -keyout "$work/server.key" -out "$work/server.csr" \
    2>/dev/null
printf 'subjectAltName=DNS:secure.test,DNS:xn--bcher-kva.test,IP:127.0.0.1\n' > "$work/server.ext"
openssl x509 -req -in "$work/server.csr" -CA "$work/ca.crt" -CAkey "$work/ca.key" \
    -CAcreateserial -days 2 -extfile "$work/server.ext" -out "$work/server.crt" 2>/dev/null

/usr/sbin/dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts \
    --no-poll --bind-interfaces --listen-address=127.0.0.1 --port=53 --user=root \
    --pid-file= --local=/test/ --host-record=pinned.test,::1 --log-queries --log-facility="$work/queries.log" &
pids="$pids $!"
/usr/bin/python3 "$here/endpoint.py" --ports "$work/ports" \
    --self-signed "$work/self.crt" "$work/self.key" \
    --ca-signed "$work/server.crt" "$work/server.key" &
pids="$pids $!"

for _ in $(seq 200); do
    if [ -e "$work/ports" ] && ss -Hlun 'sport = :53' | grep -q 127.0.0.1; then
        break
    fi
    sleep 0.05
done

status=0
# The test CA is the only one the client trusts.
BROWSE_TEST_DIR="$work" SSL_CERT_FILE="$work/ca.crt" "$@" || status=$?
exit "$status"
