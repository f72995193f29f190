#!/usr/bin/python3
"""A TLS echo server for one connection on loopback.

Prints "port N" once it listens, echoes everything until the client ends
the connection, and answers its close-notify. With --reset-after N it
resets the connection instead once N bytes have arrived.
"""
import argparse
import socket
import ssl
import struct

parser = argparse.ArgumentParser()
parser.add_argument("--cert", required=True)
parser.add_argument("--key", required=True)
parser.add_argument("--reset-after", type=int, default=0)
arguments = parser.parse_args()

context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(arguments.cert, arguments.key)
listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.bind(("127.0.0.1", 0))
listener.listen(1)
print("port", listener.getsockname()[1], flush=True)

raw, _ = listener.accept()
# A small send buffer makes the echo push back on the client's writes.
raw.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 16384)
connection = context.wrap_socket(raw, server_side=True)
received = 0
while True:
    data = connection.recv(65536)
    if not data:
        break
    received += len(data)
    if arguments.reset_after and received >= arguments.reset_after:
        connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        connection.close()
        raise SystemExit(0)
    connection.sendall(data)
try:
    connection.unwrap().close()
except (OSError, ssl.SSLError):
    connection.close()
