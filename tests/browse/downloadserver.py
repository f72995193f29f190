#!/usr/bin/python3
"""The scripted HTTP(S) server of the download tests.

Serves plain HTTP and HTTPS on 127.0.0.1, each on a port of its own
(written to --ports as "plain tls rogue"): the TLS port presents the
certificate of the name the client asks for (--certificate NAME CERT KEY,
repeated), the rogue port --rogue CERT KEY whatever the name. Every request
is logged whole, as received, to its own numbered file in --log.

The query scripts the answer:
  status=N      the status (default 200)
  header=N:V    a header field (repeated)
  body=TEXT     the body (default "body of " and the path)
  size=N        a body of N bytes "x"
  chain=N       while N > 0: a 302 to the same URL with chain=N-1
  etag=E        an "etag" field; a request with "if-none-match: E" gets 304
  continue=1    a "100 Continue" head first
  cut=N         answer as HTTP/1.0 with the body's length, send N bytes, close
  endless=1     answer as HTTP/1.0 without a length, send "x" until the client
                closes
  stall=1       never answer
  raw=HEX       exactly these bytes, in one write, and the connection stays
                open for the next request; repeated, a write (over TLS a
                record) each, all leaving in one segment
"""
import argparse
import os
import socket
import ssl
import threading
import urllib.parse

import endpoint

lock = threading.Lock()
count = 0


class Handler(endpoint.Handler):
    """The endpoint's connection handling (TLS handshake in the
    connection's thread, every byte read kept) with answers of its own."""

    def do_GET(self):
        self.script()

    def do_POST(self):
        self.script()

    def record(self):
        global count
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        request = bytes(self.rfile.taken)
        self.rfile.taken = bytearray()
        with lock:
            count += 1
            name = os.path.join(self.server.log, "%04d" % count)
        with open(name + ".new", "wb") as out:
            out.write(request)
        os.rename(name + ".new", name)

    def script(self):
        self.record()
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        option = lambda name: query.get(name, [None])[0]
        if option("stall"):
            while self.connection.recv(4096):
                pass
            self.close_connection = True
            return
        if option("raw"):
            self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_CORK, 1)
            for part in query["raw"]:
                self.wfile.write(bytes.fromhex(part))
            self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_CORK, 0)
            return
        body = option("body")
        body = body.encode() if body is not None else b"body of " + self.path.encode()
        if option("size"):
            body = b"x" * int(option("size"))
        status = int(option("status") or 200)
        chain = int(option("chain") or 0)
        if chain > 0:
            status = 302
            query["chain"] = [str(chain - 1)]
            split = urllib.parse.urlsplit(self.path)
            location = split.path + "?" + urllib.parse.urlencode(query, doseq=True)
            query.setdefault("header", []).append("Location:" + location)
        etag = option("etag")
        if etag is not None and self.headers.get("If-None-Match") == etag:
            status, body = 304, b""
        if option("continue"):
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")
        if option("endless"):
            self.endless()
            return
        cut = option("cut")
        if cut is not None:
            self.protocol_version = "HTTP/1.0"
        self.send_response(status)
        for field in query.get("header", []):
            name, value = field.split(":", 1)
            self.send_header(name, value)
        if etag is not None:
            self.send_header("ETag", etag)
        if status != 304:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if cut is not None:
            self.wfile.write(body[:int(cut)])
            self.close_connection = True
            return
        self.wfile.write(body)

    def endless(self):
        self.protocol_version = "HTTP/1.0"
        self.send_response(200)
        self.end_headers()
        self.close_connection = True
        try:
            while True:
                self.wfile.write(b"x" * 65536)
        except OSError:
            pass


class Server(endpoint.Server):
    def __init__(self, log, tls=None):
        super().__init__(("127.0.0.1", 0), socket.AF_INET, tls)
        self.RequestHandlerClass = Handler
        self.log = log


def context(certificate, key):
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(certificate, key)
    return tls


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ports", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--certificate", nargs=3, action="append", required=True)
    parser.add_argument("--rogue", nargs=2, required=True)
    arguments = parser.parse_args()

    by_name = {name: context(cert, key) for name, cert, key in arguments.certificate}
    named = context(*arguments.certificate[0][1:])

    def choose(connection, name, _):
        if name in by_name:
            connection.context = by_name[name]
    named.sni_callback = choose

    servers = [Server(arguments.log), Server(arguments.log, named),
               Server(arguments.log, context(*arguments.rogue))]
    endpoint.serve(servers, servers, arguments.ports)


if __name__ == "__main__":
    main()
