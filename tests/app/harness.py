"""Peers of the webhook service's black-box tests: the private broker (through
pika and rabbitmqctl), scripted HTTP and HTTPS endpoints on loopback, and the
built service run as a process. The tests run inside namespace.sh."""

import http.server
import os
import signal
import socket
import ssl
import struct
import subprocess
import tempfile
import threading
import time
import unittest

import pika

EXECUTABLE = os.environ["WEBHOOK_EXECUTABLE"]
BROKER_DIR = os.environ.get("WEBHOOK_BROKER_DIR", "")
BROKER_SH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "amqp", "broker.sh")

# Longer than the HTTP client's deadline of 10 seconds.
STALL_SECONDS = 11


def broker_port(tls=False):
    with open(os.path.join(BROKER_DIR, "tlsport" if tls else "port")) as file:
        return int(file.read())


def broker_address(tls=False, login=""):
    scheme = "amqps" if tls else "amqp"
    return f"{scheme}://{login}127.0.0.1:{broker_port(tls)}/"


def ctl(*arguments):
    """rabbitmqctl on the private broker; its standard output."""
    return subprocess.run([BROKER_SH, "ctl", BROKER_DIR, *arguments], capture_output=True,
                          text=True, check=True).stdout


def wait_until(condition, timeout, interval=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(interval)
    return condition()


class Broker:
    """A pika connection to the private broker, for the test's own thread."""

    def __init__(self):
        parameters = pika.ConnectionParameters(
            "127.0.0.1", broker_port(), credentials=pika.PlainCredentials("plumo", "plumo"))
        self.connection = pika.BlockingConnection(parameters)
        self.channel = self.connection.channel()

    def close(self):
        try:
            self.connection.close()
        except pika.exceptions.AMQPError:
            pass  # closed by the broker (a test that closes every connection)

    def fresh(self, name, arguments=None):
        """The queue, durable and empty."""
        self.channel.queue_delete(name)
        self.channel.queue_declare(name, durable=True, arguments=arguments)

    def delete(self, name):
        self.channel.queue_delete(name)

    def publish(self, queue, body, properties=None, exchange=""):
        if isinstance(body, str):
            body = body.encode()
        self.channel.basic_publish(exchange, queue, body, properties or pika.BasicProperties())

    def counts(self, name):
        """(ready, consumers) of the queue, or None when it does not exist."""
        channel = self.connection.channel()
        try:
            result = channel.queue_declare(name, passive=True).method
        except pika.exceptions.ChannelClosedByBroker:
            return None
        channel.close()
        return result.message_count, result.consumer_count

    def ready(self, name):
        counts = self.counts(name)
        return counts[0] if counts else None

    def consumers(self, name):
        counts = self.counts(name)
        return counts[1] if counts else 0

    def take(self, name):
        """Every ready message of the queue as (properties, body), acked."""
        messages = []
        while True:
            method, properties, body = self.channel.basic_get(name, auto_ack=True)
            if method is None:
                return messages
            messages.append((properties, body))


class Request:
    def __init__(self, handler, body):
        self.method = handler.command
        self.target = handler.path
        self.version = handler.request_version
        self.headers = list(handler.headers.items())
        self.body = body
        self.time = time.monotonic()
        # The client's address and port: one per connection.
        self.peer = handler.client_address
        # Requests on the connection before this one.
        self.turn = handler.turn
        # The status answered, or None when the endpoint did not answer.
        self.status = None

    def header(self, name):
        for key, value in self.headers:
            if key.lower() == name.lower():
                return value
        return None


class _Handler(http.server.BaseHTTPRequestHandler):
    turn = 0

    def do_POST(self):
        length = int(self.headers.get("Content-length") or 0)
        body = self.rfile.read(length)
        endpoint = self.server.endpoint
        request = Request(self, body)
        self.turn += 1
        outcome = endpoint.behaviour(request)
        if isinstance(outcome, int):
            request.status = outcome
        elif isinstance(outcome, bytes):
            request.status = int(outcome.split(None, 2)[1])
        endpoint.record(request)
        if isinstance(outcome, bytes):
            self.wfile.write(outcome)
            # Only the close ends a body without a length.
            self.close_connection = request.status != 204 and b"content-length" not in outcome.lower()
        elif outcome == "close":
            self.close_connection = True
        elif outcome == "reset":
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.close_connection = True
        elif outcome == "stall":
            time.sleep(STALL_SECONDS)
            self.close_connection = True
        elif outcome == "cut":
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nok")
            self.close_connection = True
        else:
            self.send_response(outcome)
            self.send_header("Content-Length", "2")
            self.end_headers()
            self.wfile.write(b"ok")
            self.close_connection = endpoint.hangup
        if endpoint.idle is not None:
            self.connection.settimeout(endpoint.idle)

    def log_message(self, *arguments):
        pass


class Endpoint:
    """A scripted endpoint on 127.0.0.1: behaviour(request) gives the status to
    answer, the bytes of the answer, or "close" (close without an answer),
    "reset" (abort the connection), "stall" (answer nothing for longer than
    the service waits), "cut" (close part-way through a 200). With hangup,
    it closes after each answer without saying so; with idle, once a
    connection waited that many seconds for its next request."""

    def __init__(self, behaviour=lambda request: 200, tls=None, http10=False, address="127.0.0.1", port=0,
                 hangup=False, idle=None):
        self.behaviour = behaviour
        self.hangup = hangup
        self.idle = idle
        self.requests = []
        self._lock = threading.Lock()
        handler = type("Handler", (_Handler,), {"protocol_version": "HTTP/1.0" if http10 else "HTTP/1.1"})
        server = http.server.ThreadingHTTPServer
        if ":" in address:
            server = type("Server6", (server,), {"address_family": socket.AF_INET6})
        self.server = server((address, port), handler)
        self.server.daemon_threads = True
        self.server.endpoint = self
        if tls is not None:
            self.server.socket = tls.wrap_socket(self.server.socket, server_side=True)
        self.port = self.server.server_address[1]
        self._thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self._thread.start()

    def url(self, path="/", host="127.0.0.1", scheme="http"):
        return f"{scheme}://{host}:{self.port}{path}"

    def record(self, request):
        with self._lock:
            self.requests.append(request)

    def answered(self):
        with self._lock:
            return [request for request in self.requests if request.status is not None]

    def wait_for(self, count, timeout=20):
        return wait_until(lambda: len(self.requests) >= count, timeout)

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class Nginx:
    """Debian's nginx-light on a free port of 127.0.0.1, answering 200 to
    everything and closing a connection idle for keepalive_timeout; a line
    per request in its access log."""

    def __init__(self, directory, keepalive_timeout):
        self.directory = tempfile.mkdtemp(dir=directory)
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]
        configuration = os.path.join(self.directory, "nginx.conf")
        with open(configuration, "w") as file:
            file.write(f"""daemon off; master_process off; pid {self.directory}/nginx.pid;
error_log {self.directory}/error.log;
events {{ worker_connections 64; }}
http {{
    access_log {self.directory}/access.log;
    client_body_temp_path {self.directory};
    keepalive_timeout {keepalive_timeout};
    server {{ listen 127.0.0.1:{self.port}; location / {{ return 200; }} }}
}}
""")
        self.process = subprocess.Popen(["/usr/sbin/nginx", "-e", os.path.join(self.directory, "error.log"),
                                         "-p", self.directory, "-c", configuration])
        wait_until(self.accepting, 10)

    def accepting(self):
        with socket.socket() as probe:
            return probe.connect_ex(("127.0.0.1", self.port)) == 0

    def url(self, path="/"):
        return f"http://127.0.0.1:{self.port}{path}"

    def requests(self):
        with open(os.path.join(self.directory, "access.log")) as log:
            return len(log.readlines())

    def close(self):
        self.process.terminate()
        self.process.wait()


def certificate(directory, name, subject, *options):
    """Key and certificate files made by openssl req -x509 with the options."""
    key = os.path.join(directory, name + ".key")
    certificate = os.path.join(directory, name + ".pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", subject, "-keyout", key, "-out", certificate, *options],
                   check=True, capture_output=True)
    return key, certificate


def server_context(key, certificate):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)
    return context


def self_signed(directory):
    """A TLS server context with a self-signed certificate for endpoint.test."""
    return server_context(*certificate(directory, "endpoint", "/CN=endpoint.test"))


def ca_signed(directory, ip):
    """A TLS server context with a certificate for the IP address from a test
    authority, and the authority's certificate file."""
    ca_key, ca = certificate(directory, "ca", "/CN=Webhook Test CA",
                             "-addext", "basicConstraints=critical,CA:TRUE",
                             "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    # The address in the address names alone, as clients look for it there.
    server = certificate(directory, "server", "/CN=Webhook Test Endpoint", "-CA", ca, "-CAkey", ca_key,
                         "-addext", f"subjectAltName=IP:{ip}")
    return server_context(*server), ca


class Service:
    """The built service as a process, its standard output and error in files."""

    def __init__(self, directory, arguments, environment=None):
        self.stdout_path = tempfile.mktemp(dir=directory, suffix=".out")
        self.stderr_path = tempfile.mktemp(dir=directory, suffix=".err")
        env = {key: value for key, value in os.environ.items()
               if not key.startswith("QUILLMERE_WEBHOOK_")}
        env.update(environment or {})
        with open(self.stdout_path, "wb") as stdout, open(self.stderr_path, "wb") as stderr:
            self.process = subprocess.Popen([EXECUTABLE, *arguments], stdout=stdout, stderr=stderr,
                                            env=env)

    def output(self):
        with open(self.stdout_path, errors="replace") as file:
            return file.read()

    def errors(self):
        with open(self.stderr_path, errors="replace") as file:
            return file.read()

    def lines(self, text):
        return [line for line in self.output().splitlines() if text in line]

    def wait_log(self, text, timeout=20):
        return wait_until(lambda: text in self.output() or self.process.poll() is not None, timeout) \
            and text in self.output()

    def running(self):
        return self.process.poll() is None

    def wait(self, timeout=30):
        return self.process.wait(timeout)

    def stop(self, signum=signal.SIGTERM, timeout=30):
        if self.running():
            self.process.send_signal(signum)
        return self.wait(timeout)


class ServiceTest(unittest.TestCase):
    """A results queue, a directory for files, and the service's processes,
    endpoints and broker connection ended after each test."""

    def setUp(self):
        self.directory = tempfile.mkdtemp()
        self.config = os.path.join(self.directory, "empty.conf")
        open(self.config, "w").close()
        self.services = []
        self.endpoints = []
        self.broker = None
        if BROKER_DIR:
            self.broker = Broker()
            self.broker.fresh("results")

    def tearDown(self):
        for service in self.services:
            if service.running():
                service.process.kill()
                service.wait()
        for endpoint in self.endpoints:
            endpoint.close()
        if self.broker:
            self.broker.close()
        subprocess.run(["rm", "-rf", self.directory])

    def endpoint(self, behaviour=lambda request: 200, **arguments):
        endpoint = Endpoint(behaviour, **arguments)
        self.endpoints.append(endpoint)
        return endpoint

    def service(self, *arguments, environment=None):
        service = Service(self.directory, ["--config-file", self.config, *arguments], environment)
        self.services.append(service)
        return service

    def consuming(self, endpoint_url, *arguments, queue="results", consumers=1, environment=None):
        """The service on the private broker, once it consumes the queue."""
        service = self.service("--rabbitmq-address", broker_address(), "--endpoint", endpoint_url,
                               *arguments, environment=environment)
        consuming = wait_until(lambda: self.broker.consumers(queue) >= consumers
                               or not service.running(), 30)
        self.assertTrue(consuming and service.running(), service.output() + service.errors())
        return service

    def messages(self, queue="results"):
        """Ready and unacknowledged messages of the queue, or None when it
        does not exist."""
        for line in ctl("list_queues", "-q", "--no-table-headers", "name", "messages").splitlines():
            name, count = line.split("\t")
            if name == queue:
                return int(count)
        return None

    def assertExits(self, service, status, timeout=30):
        self.assertEqual(service.wait(timeout), status, service.output() + service.errors())
