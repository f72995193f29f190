#!/bin/sh
# End-to-end benchmark of the webhook service on loopback: a private RabbitMQ,
# nginx answering 200 with keep-alive, DOCUMENTS documents of 1 KiB.
#
#   benchmarks/webhook/run.sh [DOCUMENTS [LONG_RUN_DOCUMENTS]]
#
# The service runs with --qos 1000 and --connections $CONNECTIONS (default
# 10, the service's own default).
#
# 1. The queue is filled, then our own consume-and-ack-only client
#    (webhook_consume_only) empties it: the reference rate.
# 2. The queue is filled again, then the service empties it through nginx:
#    its rate, the ratio of the two, and its peak RSS.
# 3. With LONG_RUN_DOCUMENTS, the service runs while a publisher keeps the
#    queue topped up until that many went through; its RSS is sampled.
# Needs the release build (build/), as setup.sh makes it.
set -eu
cd "$(dirname "$0")/../.."
root=$(pwd)
documents=${1:-50000}
long=${2:-0}
service=$root/build/app/quillmere-webhook
consumer=$root/build/benchmarks/webhook/webhook_consume_only
qos=1000

work=$(mktemp -d)
nginx_pid=
service_pid=
cleanup() {
    [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null
    wait 2>/dev/null
    tests/amqp/broker.sh stop "$work/broker" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

tests/amqp/broker.sh start "$work/broker" >"$work/broker.out" 2>&1 || {
    cat "$work/broker.out" >&2
    exit 1
}
port=$(cat "$work/broker/port")
address=$(cat "$work/broker/address")

nginx_port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/nginx"
cat >"$work/nginx/nginx.conf" <<EOF
daemon off;
master_process on;
worker_processes 2;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
    access_log $work/nginx/access.log;
    client_body_temp_path $work/nginx;
    keepalive_requests 1000000;
    server {
        listen 127.0.0.1:$nginx_port;
        location / { return 200; }
    }
}
EOF
/usr/sbin/nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" &
nginx_pid=$!

# publish COUNT: fills the results queue with COUNT documents of 1 KiB.
publish() {
    /usr/bin/python3 - "$port" "$1" <<'PYTHON'
import json, pika, sys
connection = pika.BlockingConnection(pika.ConnectionParameters(
    "127.0.0.1", int(sys.argv[1]), credentials=pika.PlainCredentials("plumo", "plumo")))
channel = connection.channel()
channel.queue_declare("results", durable=True)
for n in range(int(sys.argv[2])):
    document = json.dumps({"id": n, "customer": {"email": "someone@example.com"}, "pad": ""})
    document = document[:-2] + "x" * (1024 - len(document)) + '"}'
    channel.basic_publish("", "results", document.encode())
connection.close()
PYTHON
}

# requests: the number of requests nginx answered so far.
requests() { wc -l <"$work/nginx/access.log" 2>/dev/null || echo 0; }

publish "$documents"
reference=$("$consumer" "$address" results "$documents" "$qos")

publish "$documents"
before=$(requests)
start=$(date +%s.%N)
"$service" --config-file /dev/null --application-log "$work/service.log" --rabbitmq-address "$address" \
    --endpoint "http://127.0.0.1:$nginx_port/hook" --filter "/customer/email" --qos "$qos" --connections "${CONNECTIONS:-10}" &
service_pid=$!
while [ $(($(requests) - before)) -lt "$documents" ]; do sleep 0.02; done
end=$(date +%s.%N)
peak=$(awk '/VmHWM/ { print $2 }' "/proc/$service_pid/status")
# user and system CPU time of the service, in clock ticks
cpu=$(awk '{ print $14 + $15 }' "/proc/$service_pid/stat")

/usr/bin/python3 - "$documents" "$reference" "$start" "$end" "$peak" "$cpu" <<'PYTHON'
import os, sys
documents, reference, start, end, peak, cpu = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), \
    float(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6]) / os.sysconf("SC_CLK_TCK")
consume_rate = documents / reference
service_rate = documents / (end - start)
print(f"documents of 1 KiB:        {documents}")
print(f"consume-and-ack only:      {reference:.2f} s, {consume_rate:,.0f} documents/s")
print(f"service through nginx:     {end - start:.2f} s, {service_rate:,.0f} documents/s")
print(f"ratio service/consume:     {service_rate / consume_rate:.2f} (target 0.8 or better)")
print(f"service CPU time:          {cpu:.2f} s")
print(f"service peak RSS:          {peak / 1024:.1f} MiB (target under 24 MiB)")
PYTHON

[ "$long" -gt 0 ] || exit 0

# The long run: the queue kept topped up, RSS sampled every few seconds.
/usr/bin/python3 - "$port" "$long" "$service_pid" <<'PYTHON'
import json, pika, sys, time
port, total, pid = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
connection = pika.BlockingConnection(pika.ConnectionParameters(
    "127.0.0.1", port, credentials=pika.PlainCredentials("plumo", "plumo")))
channel = connection.channel()
body = json.dumps({"customer": {"email": "someone@example.com"}, "pad": "x" * 960}).encode()

def rss():
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS"))

def ready():
    return channel.queue_declare("results", passive=True).method.message_count

published, samples, last = 0, [], 0.0
while published < total or ready():
    if published < total and ready() < 20000:
        batch = min(5000, total - published)
        for _ in range(batch):
            channel.basic_publish("", "results", body)
        published += batch
    else:
        time.sleep(0.2)
    if time.monotonic() - last > 5:
        last = time.monotonic()
        samples.append((published, rss()))
        print(f"published {published:>9}  service RSS {samples[-1][1] / 1024:6.1f} MiB", flush=True)
time.sleep(2)
samples.append((published, rss()))
print(f"long run: {total} documents; RSS {samples[0][1] / 1024:.1f} MiB at the first sample, "
      f"{max(s[1] for s in samples) / 1024:.1f} MiB at most, {samples[-1][1] / 1024:.1f} MiB at the end")
connection.close()
PYTHON
