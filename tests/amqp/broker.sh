#!/bin/sh
# A private RabbitMQ on loopback for tests: broker.sh start DIR | broker.sh stop DIR
# | broker.sh ctl DIR ARGUMENTS... (rabbitmqctl on that broker)
#
# `start` makes DIR its own and runs one broker in it that shares nothing with
# any other broker on the machine (the packaged service, other developers'
# test runs): its own HOME (and so its own Erlang cookie), node name, Mnesia
# and log directories, pid file, configuration file and an epmd of its own,
# every listener bound to 127.0.0.1 on ports picked free at start.  It returns
# once the broker accepts AMQP connections (5-10 s), so a test run starts one
# broker, not one per test.  `stop` ends the broker and its epmd, also after a
# failed test run or a half-finished start; a second `stop` does nothing.
#
# What a test finds in DIR:
#   port     the AMQP port on 127.0.0.1 (decimal, one line)
#   address  the same as an address, "amqp://127.0.0.1:PORT/"
#   tlsport  the AMQP port over TLS on 127.0.0.1 (certificates made by the
#            openssl command line in tls/: ca.pem, server.pem for
#            "localhost" and 127.0.0.1; the broker asks no client certificate)
#   log/     the broker's log files, to look at when a test fails
# The broker's default user is plumo with the password plumo (the client's
# default login) on the virtual host "/".
#
# In CMake, tests/amqp/CMakeLists.txt registers one broker per test run as
# the fixture kestrava_broker; tests that need it add the properties in
# ${KESTRAVA_BROKER_PROPERTIES}, which require the fixture and pass the path
# of the port file in the environment variable KESTRAVA_BROKER_PORT_FILE.
#
# The scripts in /usr/lib/rabbitmq/bin are run directly because the /usr/sbin
# wrappers switch to the rabbitmq user, whose files we must not touch.
set -eu

RABBITMQ_BIN=/usr/lib/rabbitmq/bin

usage() {
    echo "usage: $0 start|stop DIR" >&2
    exit 2
}

[ $# -ge 2 ] || usage
command=$1
dir=$(realpath -m "$2")

# COUNT free TCP ports on 127.0.0.1; the kernel hands them out, so they
# never collide with a port in use when asked.
free_ports() {
    /usr/bin/python3 - "$1" <<'EOF'
import socket, sys
sockets = []
for _ in range(int(sys.argv[1])):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    sockets.append(s)
print(" ".join(str(s.getsockname()[1]) for s in sockets))
EOF
}

# The environment every RabbitMQ and Erlang command of this broker runs in.
environment() {
    export HOME="$dir/home"
    export RABBITMQ_CONF_ENV_FILE="$dir/rabbitmq-env.conf"
    export RABBITMQ_CONFIG_FILE="$dir/rabbitmq.conf"
    export RABBITMQ_ENABLED_PLUGINS_FILE="$dir/enabled_plugins"
    export RABBITMQ_NODENAME="$(cat "$dir/nodename")"
    export RABBITMQ_MNESIA_BASE="$dir/mnesia"
    export RABBITMQ_LOG_BASE="$dir/log"
    export RABBITMQ_PID_FILE="$dir/rabbitmq.pid"
    export RABBITMQ_DIST_PORT="$(cat "$dir/dist.port")"
    export ERL_EPMD_ADDRESS=127.0.0.1
    export ERL_EPMD_PORT="$(cat "$dir/epmd.port")"
    # Erlang distribution on loopback only; the command-line tools take any
    # free port instead of the shared default range.
    export RABBITMQ_SERVER_ADDITIONAL_ERL_ARGS="-kernel inet_dist_use_interface {127,0,0,1}"
    export RABBITMQ_CTL_ERL_ARGS="-kernel inet_dist_use_interface {127,0,0,1}"
    export RABBITMQ_CTL_DIST_PORT_MIN=0
    export RABBITMQ_CTL_DIST_PORT_MAX=0
}

# Whether process PID was started by this broker's start: every process it
# starts runs with this broker's unique node name in its environment, so a
# pid that the system has since given to another process is never touched.
ours() {
    { tr '\0' '\n' <"/proc/$1/environ"; } 2>/dev/null | grep -qxF "RABBITMQ_NODENAME=$RABBITMQ_NODENAME"
}

# Ends the process whose pid is in FILE, if it is still ours, politely first.
kill_pid_file() {
    [ -s "$1" ] || return 0
    pid=$(cat "$1")
    if ours "$pid"; then
        kill "$pid" 2>/dev/null || true
        tries=0
        while ours "$pid" && [ $tries -lt 50 ]; do
            sleep 0.1
            tries=$((tries + 1))
        done
        ours "$pid" && kill -9 "$pid" 2>/dev/null
    fi
    rm -f "$1"
}

stop() {
    [ -f "$dir/nodename" ] || return 0
    environment
    if [ -s "$RABBITMQ_PID_FILE" ] && ours "$(cat "$RABBITMQ_PID_FILE")"; then
        "$RABBITMQ_BIN/rabbitmqctl" stop "$RABBITMQ_PID_FILE" >>"$dir/stop.out" 2>&1 || true
    fi
    # Whatever the orderly stop left behind: the broker's shell process
    # (which also ends the Erlang VM it runs), the VM itself, our epmd.
    kill_pid_file "$dir/server.pid"
    kill_pid_file "$RABBITMQ_PID_FILE"
    kill_pid_file "$dir/epmd.pid"
    rm -f "$dir/port" "$dir/address" "$dir/tlsport"
}

start() {
    # DIR is wiped: refuse one that holds anything but an earlier broker.
    if [ -d "$dir" ] && [ -n "$(ls -A "$dir")" ] && [ ! -f "$dir/nodename" ]; then
        echo "$dir is not empty and holds no broker of ours; not using it" >&2
        exit 1
    fi
    stop
    rm -rf "$dir"
    mkdir -p "$dir/home" "$dir/log" "$dir/mnesia"
    chmod 700 "$dir" "$dir/home"

    set -- $(free_ports 4)
    amqp_port=$1
    echo "$2" >"$dir/epmd.port"
    echo "$3" >"$dir/dist.port"
    tls_port=$4
    certificates "$dir/tls"
    # Unique per start, so that two brokers never share a node name.
    echo "kestrava-$$-$(date +%s%N)@localhost" >"$dir/nodename"
    # A cookie of our own, so no other node or tool can reach this broker.
    /usr/bin/python3 -c 'import secrets; print(secrets.token_hex(20), end="")' >"$dir/home/.erlang.cookie"
    chmod 400 "$dir/home/.erlang.cookie"
    : >"$dir/rabbitmq-env.conf"
    echo "[]." >"$dir/enabled_plugins"
    cat >"$dir/rabbitmq.conf" <<EOF
listeners.tcp.1 = 127.0.0.1:$amqp_port
listeners.ssl.1 = 127.0.0.1:$tls_port
ssl_options.cacertfile = $dir/tls/ca.pem
ssl_options.certfile = $dir/tls/server.pem
ssl_options.keyfile = $dir/tls/server.key
ssl_options.verify = verify_none
ssl_options.fail_if_no_peer_cert = false
default_user = plumo
default_pass = plumo
default_vhost = /
loopback_users = none
log.file.level = info
log.console = false
EOF
    environment

    epmd -address 127.0.0.1 -port "$ERL_EPMD_PORT" >"$dir/epmd.out" 2>&1 &
    echo $! >"$dir/epmd.pid"

    "$RABBITMQ_BIN/rabbitmq-server" >"$dir/server.out" 2>&1 &
    echo $! >"$dir/server.pid"

    if ! "$RABBITMQ_BIN/rabbitmqctl" wait --timeout 120 "$RABBITMQ_PID_FILE" >"$dir/wait.out" 2>&1 ||
        ! "$RABBITMQ_BIN/rabbitmqctl" await_startup --timeout 120 >>"$dir/wait.out" 2>&1; then
        echo "broker did not start; see $dir/wait.out, $dir/server.out and $dir/log" >&2
        cat "$dir/wait.out" "$dir/server.out" >&2
        stop
        exit 1
    fi
    echo "$amqp_port" >"$dir/port"
    echo "amqp://127.0.0.1:$amqp_port/" >"$dir/address"
    echo "$tls_port" >"$dir/tlsport"
}

# A CA and a server certificate it issued, for the TLS listener.
certificates() {
    mkdir -p "$1"
    (
        cd "$1"
        openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=kestrava-test-ca \
            -keyout ca.key -out ca.pem 2>/dev/null
        openssl req -newkey rsa:2048 -nodes -subj /CN=localhost \
            -keyout server.key -out server.csr 2>/dev/null
        printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >server.ext
        openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 \
            -extfile server.ext -out server.pem 2>/dev/null
    )
}

ctl() {
    environment
    "$RABBITMQ_BIN/rabbitmqctl" "$@"
}

case "$command" in
start) start ;;
stop) stop ;;
ctl)
    shift 2
    ctl "$@"
    ;;
*) usage ;;
esac
