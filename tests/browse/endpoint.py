#!/usr/bin/python3
"""The scripted HTTP endpoint of the browse tests.

Serves plain HTTP on 127.0.0.1 and ::1 (one port for both), HTTPS with a
self-signed certificate and HTTPS with a certificate from a test CA, each
on a port of its own, and writes the ports to --ports as "plain self ca";
plain HTTP also on port 80 and the CA-signed HTTPS on 443 of 127.0.0.1.

Every answer carries X-Client-Port (the client's port), X-Connections (the
connections open at the moment) and X-SNI (the server name of the TLS
handshake, "-" without one); its body is the request's exact bytes unless
the query says otherwise. The query scripts the answer:
  status=N     the status (default 200)
  delay=S      wait S seconds first
  version=1.0  answer HTTP/1.0 without a length and close after the body
  close=1      send "Connection: close" (the length is still sent)
  chunked=1    a chunked body in pieces of 7 bytes
  continue=1   a "100 Continue" head first
  body=TEXT    this body instead of the request
  raw=HEX      exactly these bytes, then close
  stall=1      never answer
  end=reset    close with a TCP reset
  end=abrupt   close TLS without close_notify (which it sends otherwise)
  after=S      S seconds after the answer, send the bytes of unasked=HEX
               and read on, or close without it
  idle=S       close the connection once it waited S seconds for the next
               request
  hangup=1     close after the answer without saying so
  early=S      answer before the body is read, and read on S seconds later
               (the body is taken for what comes next)
  drop=N       from the N-th request of a connection on (the first is 0),
               send the bytes of part=HEX, if any, and close without an
               answer
"""
import argparse
import os
import http.server
import socket
import ssl
import struct
import threading
import time
import urllib.parse

lock = threading.Lock()
connections = 0


class Recorder:
    """Reads like a file and keeps every byte it handed out."""

    def __init__(self, stream):
        self.stream = stream
        self.taken = bytearray()

    def readline(self, *args):
        line = self.stream.readline(*args)
        self.taken += line
        return line

    def read(self, *args):
        data = self.stream.read(*args)
        self.taken += data
        return data

    def close(self):
        self.stream.close()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    # Requests read on this connection so far.
    turn = 0

    def setup(self):
        global connections
        if isinstance(self.request, ssl.SSLSocket):
            try:
                self.request.do_handshake()
            except (ssl.SSLError, OSError):
                self.request.close()
                raise
        super().setup()
        self.rfile = Recorder(self.rfile)
        with lock:
            connections += 1

    def finish(self):
        global connections
        with lock:
            connections -= 1
        super().finish()

    def do_GET(self):
        self.answer(head=False)

    def do_POST(self):
        self.answer(head=False)

    def do_HEAD(self):
        self.answer(head=True)

    def answer(self, head):
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        option = lambda name: query.get(name, [None])[0]
        length = int(self.headers.get("Content-Length") or 0)
        if length and not option("early"):
            self.rfile.read(length)
        request = bytes(self.rfile.taken)
        self.rfile.taken = bytearray()
        if option("end"):
            self.server.ends[self.request] = option("end")
        self.turn += 1
        if option("drop") and self.turn > int(option("drop")):
            self.wfile.write(bytes.fromhex(option("part") or ""))
            self.close_connection = True
            return

        if option("stall"):
            while self.connection.recv(4096):
                pass
            self.close_connection = True
            return
        if option("delay"):
            time.sleep(float(option("delay")))
        if option("raw"):
            self.wfile.write(bytes.fromhex(option("raw")))
            self.close_connection = True
            return
        body = request if option("body") is None else option("body").encode()
        if option("continue"):
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")
        if option("version") == "1.0":
            self.protocol_version = "HTTP/1.0"
        status = int(option("status") or 200)
        self.send_response(status)
        sni = getattr(self.request, "sni", None) or "-"
        with lock:
            open_now = connections
        self.send_header("X-Client-Port", str(self.client_address[1]))
        self.send_header("X-Connections", str(open_now))
        self.send_header("X-SNI", sni)
        if option("close"):
            self.send_header("Connection", "close")
            self.close_connection = True
        if option("hangup"):
            self.close_connection = True
        if option("idle"):
            self.connection.settimeout(float(option("idle")))
        if option("chunked"):
            self.send_header("Transfer-Encoding", "chunked")
        elif option("version") != "1.0":
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        # These have no body (RFC 9110 sections 15.3.5 and 15.4.5).
        if head or status in (204, 304):
            return
        if option("chunked"):
            for at in range(0, len(body), 7):
                piece = body[at:at + 7]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
        else:
            self.wfile.write(body)
        if option("version") == "1.0":
            self.close_connection = True
        if option("early"):
            time.sleep(float(option("early")))
        if option("after"):
            self.wfile.flush()
            time.sleep(float(option("after")))
            if option("unasked"):
                self.wfile.write(bytes.fromhex(option("unasked")))
            else:
                self.close_connection = True


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, family, tls=None):
        self.address_family = family
        self.tls = tls
        # How a connection ends, by its socket, as its last request asked.
        self.ends = {}
        super().__init__(address, Handler)

    def shutdown_request(self, request):
        end = self.ends.pop(request, None)
        if end == "reset":
            request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            request.close()
            return
        if self.tls is not None and end != "abrupt":
            try:
                request.settimeout(2)
                request.unwrap()
            except (ssl.SSLError, OSError, ValueError):
                pass
        super().shutdown_request(request)

    def handle_error(self, request, client_address):
        # Clients that go away in the middle of an answer (or a TLS
        # handshake) are part of the tests.
        pass

    def get_request(self):
        connection, address = self.socket.accept()
        if self.tls is None:
            return connection, address
        # The handshake runs in the connection's own thread (Handler.setup).
        wrapped = self.tls.wrap_socket(connection, server_side=True,
                                       do_handshake_on_connect=False)
        return wrapped, address


def tls_context(certificate, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)

    def remember(connection, name, _):
        connection.sni = name
    context.sni_callback = remember
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ports", required=True)
    parser.add_argument("--self-signed", nargs=2, required=True)
    parser.add_argument("--ca-signed", nargs=2, required=True)
    arguments = parser.parse_args()

    plain = Server(("127.0.0.1", 0), socket.AF_INET)
    port = plain.server_address[1]
    ca_signed = tls_context(*arguments.ca_signed)
    servers = [plain, Server(("::1", port), socket.AF_INET6),
               Server(("127.0.0.1", 0), socket.AF_INET, tls_context(*arguments.self_signed)),
               Server(("127.0.0.1", 0), socket.AF_INET, ca_signed),
               # The schemes' own ports, free in the private namespace.
               Server(("127.0.0.1", 80), socket.AF_INET),
               Server(("127.0.0.1", 443), socket.AF_INET, ca_signed)]
    serve(servers, [servers[0], servers[2], servers[3]], arguments.ports)


def serve(servers, published, path):
    """Runs every server on a thread of its own and, once all listen, writes
    the ports of the published ones to path in one step (tests wait for the
    file); never returns."""
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    with open(path + ".new", "w") as out:
        out.write(" ".join(str(s.server_address[1]) for s in published) + "\n")
    os.rename(path + ".new", path)
    threading.Event().wait()


if __name__ == "__main__":
    main()
