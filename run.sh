#!/bin/sh
# Runs the webhook service, installing and building it first when needed.
#
#   ./run.sh                 a demonstration on loopback: a private RabbitMQ and
#                            a local endpoint, sample documents published with
#                            a filter, each shown as it arrives; then everything
#                            is stopped again
#   ./run.sh OPTIONS...      the service with your own options (see README.md)
set -eu
cd "$(dirname "$0")"
here=$(pwd)

if [ ! -d build ]; then
    ./setup.sh
fi
cmake --build build -j 3 --target quillmere-webhook >/dev/null
service=$here/build/app/quillmere-webhook

if [ $# -gt 0 ]; then
    exec "$service" "$@"
fi

work=$(mktemp -d)
endpoint=
webhook=
cleanup() {
    [ -n "$webhook" ] && kill "$webhook" 2>/dev/null
    [ -n "$endpoint" ] && kill "$endpoint" 2>/dev/null
    wait 2>/dev/null
    tests/amqp/broker.sh stop "$work/broker" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

echo "Starting a private RabbitMQ on loopback (a few seconds)..."
tests/amqp/broker.sh start "$work/broker" >"$work/broker.out" 2>&1 || {
    cat "$work/broker.out" >&2
    exit 1
}
address=$(cat "$work/broker/address")

# The endpoint: prints every document it receives, counts it in a file and
# answers 200.
/usr/bin/python3 -u - "$work/endpoint.port" "$work/received" <<'PYTHON' &
import http.server, json, sys

class Endpoint(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-length"]))
        print("endpoint received:", body.decode(), flush=True)
        with open(sys.argv[2], "a") as received:
            received.write("1\n")
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *arguments):
        pass

server = http.server.HTTPServer(("127.0.0.1", 0), Endpoint)
with open(sys.argv[1] + ".tmp", "w") as file:
    file.write(str(server.server_address[1]))
import os
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
server.serve_forever()
PYTHON
endpoint=$!
while [ ! -s "$work/endpoint.port" ]; do sleep 0.1; done

filter="/customer/email /items/*/price"
: >"$work/webhook.conf"
/usr/bin/python3 - "$(cat "$work/broker/port")" <<'PYTHON'
import pika, sys
connection = pika.BlockingConnection(pika.ConnectionParameters(
    "127.0.0.1", int(sys.argv[1]), credentials=pika.PlainCredentials("plumo", "plumo")))
connection.channel().queue_declare("results", durable=True)
connection.close()
PYTHON

echo "Starting the service: filter \"$filter\""
"$service" --config-file "$work/webhook.conf" --rabbitmq-address "$address" \
    --endpoint "http://127.0.0.1:$(cat "$work/endpoint.port")/hook" --filter "$filter" &
webhook=$!

/usr/bin/python3 - "$(cat "$work/broker/port")" "$work/received" <<'PYTHON'
import json, os, pika, sys, time

def wait(condition, what):
    # A service that ended or never consumes must not leave the demo hanging.
    deadline = time.monotonic() + 60
    while not condition():
        if time.monotonic() > deadline:
            sys.exit(f"run.sh: {what} within a minute; see the service's lines above")
        time.sleep(0.1)

documents = [
    {"id": 1, "customer": {"name": "Ada", "email": "ada@example.com"}, "total": 12.5},
    {"id": 2, "customer": {"name": "Bo", "email": "bo@example.com"},
     "items": [{"sku": "A-1", "price": 3}, {"sku": "B-2", "price": 4}]},
    {"id": 3, "status": "no customer at all"},
]
connection = pika.BlockingConnection(pika.ConnectionParameters(
    "127.0.0.1", int(sys.argv[1]), credentials=pika.PlainCredentials("plumo", "plumo")))
channel = connection.channel()
wait(lambda: channel.queue_declare("results", passive=True).method.consumer_count,
     "the service did not start consuming")
for document in documents:
    text = json.dumps(document)
    print("published:        ", text, flush=True)
    channel.basic_publish("", "results", text.encode())

def received():
    return os.path.exists(sys.argv[2]) and len(open(sys.argv[2]).readlines())

wait(lambda: received() == len(documents), "not every document reached the endpoint")
connection.close()
PYTHON
echo "Stopping everything."
