"""A scriptable name server for the resolver's tests.

Answers on port 53 of several loopback addresses, over UDP and TCP, by the
query name: plain answers, failures, silence, truncation with a TCP answer
split across writes, wrong ids, answers from another address, and so on (see
answer()). Every query and connection is appended to a log file, one line
each, which the tests read to see what the resolver sent where.
"""

import argparse
import os
import re
import selectors
import socket
import struct
import threading
import time

# Served over UDP and TCP; TCP connections to UDP_ONLY are refused.
ADDRESSES = ["127.0.0.2", "127.0.0.6", "127.0.0.7"]
UDP_ONLY = "127.0.0.3"
# The source of forged answers.
SPOOFER = "127.0.0.5"

A, CNAME, PTR, TXT, AAAA, OPT = 1, 5, 12, 16, 28, 41
NOERROR, FORMERR, SERVFAIL, NXDOMAIN, NOTIMP, REFUSED = 0, 1, 2, 3, 4, 5


class Log:
    def __init__(self, path):
        self._file = open(path, "a", buffering=1)
        self._lock = threading.Lock()

    def write(self, *words):
        with self._lock:
            self._file.write(" ".join(str(word) for word in words) + "\n")


def encode_name(name):
    out = b""
    for label in name.rstrip(".").split("."):
        if label:
            out += bytes([len(label)]) + label.encode()
    return out + b"\0"


def parse_query(data):
    """(id, flags, name, type, edns payload or None) of a query message."""
    ident, flags, qdcount, _, _, arcount = struct.unpack("!6H", data[:12])
    position, labels = 12, []
    while data[position]:
        length = data[position]
        labels.append(data[position + 1:position + 1 + length].decode())
        position += 1 + length
    qtype, _ = struct.unpack("!HH", data[position + 1:position + 5])
    position += 5
    payload = None
    if arcount and data[position] == 0:
        rtype, rclass = struct.unpack("!HH", data[position + 1:position + 5])
        if rtype == OPT:
            payload = rclass
    return ident, flags, ".".join(labels).lower(), qtype, payload


def record(name, rtype, rdata):
    return encode_name(name) + struct.pack("!HHIH", rtype, 1, 60, len(rdata)) + rdata


def message(ident, name, qtype, rcode=NOERROR, answers=(), truncated=False, additional=()):
    flags = 0x8000 | 0x0100 | 0x0080 | (rcode & 0x0f) | (0x0200 if truncated else 0)
    header = struct.pack("!6H", ident, flags, 1, len(answers), 0, len(additional))
    question = encode_name(name) + struct.pack("!HH", qtype, 1)
    return header + question + b"".join(answers) + b"".join(additional)


def a(name, *addresses):
    return [record(name, A, socket.inet_pton(socket.AF_INET, x)) for x in addresses]


def txt(name, *strings):
    return [record(name, TXT, b"".join(bytes([len(s)]) + s.encode() for s in strings))]


def cname(name, target):
    return [record(name, CNAME, encode_name(target))]


def chain(name, length):
    """name -> A1.NAME -> ... -> A<length>.NAME in capitals, the last one,
    written in small letters, with an address."""
    hops = [name] + ["A%d.%s" % (i, name.upper()) for i in range(1, length + 1)]
    records = [cname(hops[i], hops[i + 1])[0] for i in range(length)]
    return records + a(hops[-1].lower(), "192.0.2.%d" % length)


def bare(ident, rcode):
    """A reply of the header alone, without the question (as unbound refuses)."""
    return struct.pack("!6H", ident, 0x8000 | 0x0100 | 0x0080 | rcode, 0, 0, 0, 0)


# How often each server was asked each name, for behaviours that change.
asked = {}


def behaviour(ident, name, qtype, tcp, address, edns):
    """For names whose first label is mix- and a list such as 2r-6a: the
    server whose address ends in .2 does what r says, the one in .6 what a
    says, and any other what a says (see act())."""
    parts = name.split(".")[0].split("-")[1:]
    letters = dict(re.fullmatch(r"(\d+)(\D+)", part).groups() for part in parts if len(part) > 1)
    letter = letters.get(address.split(".")[-1], "a")
    asked[address, name] = asked.get((address, name), 0) + 1
    return act(letter, ident, name, qtype, tcp, address, edns)


def act(letter, ident, name, qtype, tcp, address, edns):
    """a answers (A 192.0.2.<the server's last octet>), q keeps quiet, x
    NXDOMAIN, s SERVFAIL, r REFUSED, n NOTIMP; e answers a query with EDNS
    with a bare FORMERR header (h with the question too), f FORMERR always;
    b before one of a, x, s, r, n, f (br) answers with that rcode in a
    header alone, without the question; d answers a query with EDNS with a
    bare FORMERR and one without after a second; l before another letter
    (lf) does what that letter says 2.5 seconds late to the first query the
    server gets, and then what d says; t truncates over UDP and answers over
    TCP, u truncates and refuses over TCP, w truncates and keeps quiet over
    TCP."""
    reply = lambda *args, **kw: [(0, message(ident, name, qtype, *args, **kw), False)]
    own = a(name, "192.0.2." + address.split(".")[-1]) if qtype == A else []
    rcodes = {"a": NOERROR, "x": NXDOMAIN, "s": SERVFAIL, "r": REFUSED, "n": NOTIMP, "f": FORMERR}
    if letter[0] == "l":
        if asked[address, name] > 1:
            return act("d", ident, name, qtype, tcp, address, edns)
        late = act(letter[1:], ident, name, qtype, tcp, address, edns)
        return [(2.5 + delay, data, spoofed) for delay, data, spoofed in late]
    if letter[0] == "b":
        return [(0, bare(ident, rcodes[letter[1]]), False)]
    if letter == "q":
        return []
    if letter in rcodes and letter != "a":
        return reply(rcode=rcodes[letter])
    if letter == "d" and edns is None:
        return [(1, message(ident, name, qtype, answers=own), False)]
    if letter in "de" and edns is not None:
        return [(0, bare(ident, FORMERR), False)]
    if letter == "h" and edns is not None:
        return reply(rcode=FORMERR)
    if letter in "tuw" and not tcp:
        return reply(truncated=True)
    if letter == "w":
        return []
    if letter == "u":
        return reply(rcode=REFUSED)
    return reply(answers=own)


def answer(ident, name, qtype, tcp, address="", edns=None):
    """The replies to a query: a list of (delay, bytes, sent from the spoofer),
    empty for silence, or "close" to drop the TCP connection unanswered."""
    reply = lambda *args, **kw: [(0, message(ident, name, qtype, *args, **kw), False)]
    if name.startswith("mix-"):
        return behaviour(ident, name, qtype, tcp, address, edns)
    if name.startswith("silent"):
        return []
    if name.startswith("late"):
        # "lateN-...": no such name after N milliseconds, or a server
        # failure when the first label says "servfail".
        delay = int(name[4:].split("-", 1)[0]) / 1000
        rcode = SERVFAIL if "servfail" in name.split(".", 1)[0] else NXDOMAIN
        return [(delay, message(ident, name, qtype, rcode=rcode), False)]
    if name.startswith("slow"):
        return [(0.3, message(ident, name, qtype, answers=a(name, "192.0.2.30")), False)]
    if name in ("truncated.test", "big.test", "tcpclose.test", "tcpdelay.test"):
        if not tcp:
            return reply(truncated=True)
        if name == "tcpclose.test":
            return "close"
        count = 120 if name == "big.test" else 3
        addresses = ["192.0.2.%d" % (100 + i) for i in range(count)]
        delay = 0.2 if name == "tcpdelay.test" else 0
        return [(delay, message(ident, name, qtype, answers=a(name, *addresses)), False)]
    if name == "wrongid.test":
        wrong = message(ident ^ 0x5555, name, qtype, answers=a(name, "192.0.2.66"))
        return [(0, wrong, False)] + [(0.05, message(ident, name, qtype, answers=a(name, "192.0.2.1")), False)]
    if name == "spoofed.test":
        forged = message(ident, name, qtype, answers=a(name, "192.0.2.66"))
        return [(0, forged, True), (0.05, message(ident, name, qtype, answers=a(name, "192.0.2.1")), False)]
    if name == "otherquestion.test":
        other = message(ident, "evil.test", qtype, answers=a("evil.test", "192.0.2.66"))
        return [(0, other, False), (0.05, message(ident, name, qtype, answers=a(name, "192.0.2.1")), False)]
    # A search domain that has every name, with every record (a wildcard).
    if name.endswith(".anything.test"):
        if qtype == A:
            return reply(answers=a(name, "192.0.2.66"))
        if qtype == AAAA:
            return reply(answers=[record(name, AAAA, socket.inet_pton(socket.AF_INET6, "2001:db8::66"))])
        if qtype == TXT:
            return reply(answers=txt(name, "v=spf1 -all"))
        if qtype == PTR:
            return reply(answers=[record(name, PTR, encode_name("evil.test"))])
        return reply()
    # Search domains of the HTTP client's tests: every name has an address of
    # one family only, on loopback.
    if name.endswith(".v4.test"):
        return reply(answers=a(name, "127.0.0.3") if qtype == A else [])
    if name.endswith(".v6.test"):
        six = [record(name, AAAA, socket.inet_pton(socket.AF_INET6, "::1"))]
        return reply(answers=six if qtype == AAAA else [])
    if name.endswith(".refused.test"):
        return reply(rcode=REFUSED)
    # Answer sections that hold more, or other, than the question's records.
    if name.startswith("unrelated") or name.endswith(".unrelated.test"):
        return reply(answers=a("evil.test", "192.0.2.66") + txt("evil.test", "v=DKIM1; p=EVIL"))
    if name == "alias.test":
        # To a name in another letter case, past a hop that has an address of its own.
        return reply(answers=cname(name, "Hop.Test") + a("hop.test", "192.0.2.67")
                     + a("evil.test", "192.0.2.66") + cname("HOP.test", "target.TEST")
                     + a("Target.test", "192.0.2.80") + a(name, "192.0.2.81"))
    if name == "loopback.test":
        return reply(answers=cname(name, "END.Test") + (a("end.test", "127.0.0.1") if qtype == A else []))
    if name == "loop.test":
        return reply(answers=cname(name, "loop2.test") + cname("loop2.test", name)
                     + a("loop2.test", "192.0.2.66"))
    if name.startswith("chain") and name.endswith(".test"):
        return reply(answers=chain(name, int(name[len("chain"):-len(".test")])))
    if name == "extended.test":
        # Header rcode 1 and extended rcode 1 in the OPT record: 17.
        opt = b"\0" + struct.pack("!HHIH", OPT, 1200, 1 << 24, 0)
        return reply(rcode=1, additional=[opt])
    if name == "servfail.test" or name.startswith("servfail."):
        return reply(rcode=SERVFAIL)
    if qtype == A and name == "a.test":
        return reply(answers=a(name, "192.0.2.1", "192.0.2.2"))
    if qtype == AAAA and name == "aaaa.test":
        return reply(answers=[record(name, AAAA, socket.inet_pton(socket.AF_INET6, "2001:db8::1"))])
    if qtype == TXT and name == "txt.test":
        return reply(answers=txt(name, "v=DKIM1; ", "k=rsa; ", "p=MIGf"))
    if qtype == TXT and name == "mixed._domainkey.test":
        # Key records among others, one of them malformed (a string longer than its record).
        malformed = [record(name, TXT, b"\x40short")]
        return reply(answers=txt(name, "v=DKIM2; p=OTHER") + malformed + txt(name, "v=spf1 -all")
                     + txt(name, "v=DKIM1; k=rsa; ", "p=FIRST") + txt(name, "p=SECOND"))
    if qtype == PTR and name == "1.2.0.192.in-addr.arpa":
        return reply(answers=[record(name, PTR, encode_name("host.test"))])
    # Search paths: a.example knows nothing, b.example has mail but not other.
    if name.endswith(".a.example"):
        return reply(rcode=NXDOMAIN)
    if name == "mail.b.example" and qtype == A:
        return reply(answers=a(name, "192.0.2.25"))
    if name.endswith(".b.example") and not name.startswith("silent"):
        return reply()
    if name == "other" and qtype == A:
        return reply(answers=a(name, "192.0.2.27"))
    return reply(rcode=NXDOMAIN)


class Server:
    def __init__(self, log):
        self.log = log
        self.spoofer = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.spoofer.bind((SPOOFER, 53))

    def udp(self, sockets):
        selector = selectors.DefaultSelector()
        for sock in sockets:
            selector.register(sock, selectors.EVENT_READ)
        while True:
            for key, _ in selector.select():
                sock = key.fileobj
                data, peer = sock.recvfrom(65535)
                address = sock.getsockname()[0]
                try:
                    ident, _, name, qtype, payload = parse_query(data)
                except (IndexError, struct.error, UnicodeDecodeError):
                    continue
                self.log.write("udp", address, name, qtype, "port=%d" % peer[1], "edns=%s" % payload)
                replies = answer(ident, name, qtype, False, address, payload)
                threading.Thread(target=self.send_udp, args=(sock, peer, name, replies), daemon=True).start()

    def send_udp(self, sock, peer, name, replies):
        for number, (delay, data, spoofed) in enumerate(replies):
            time.sleep(delay)
            # Logged before the last reply leaves, so that it precedes in the
            # log whatever the resolver sends in return.
            if number == len(replies) - 1:
                self.log.write("answered", name)
            (self.spoofer if spoofed else sock).sendto(data, peer)

    def tcp(self, listener):
        while True:
            connection, _ = listener.accept()
            self.log.write("connect", listener.getsockname()[0])
            threading.Thread(target=self.serve, args=(connection,), daemon=True).start()

    def serve(self, connection):
        address = connection.getsockname()[0]
        with connection:
            while True:
                prefix = self.read(connection, 2)
                if prefix is None:
                    return
                data = self.read(connection, struct.unpack("!H", prefix)[0])
                if data is None:
                    return
                ident, _, name, qtype, payload = parse_query(data)
                self.log.write("tcp", address, name, qtype)
                replies = answer(ident, name, qtype, True, address, payload)
                if replies == "close":
                    return
                for delay, body, _ in replies:
                    time.sleep(delay)
                    self.log.write("answered", name)
                    self.write_split(connection, struct.pack("!H", len(body)) + body)

    @staticmethod
    def read(connection, size):
        data = b""
        while len(data) < size:
            chunk = connection.recv(size - len(data))
            if not chunk:
                return None
            data += chunk
        return data

    @staticmethod
    def write_split(connection, data):
        # Split inside the length prefix and again inside the message, so
        # that the resolver has to reassemble across reads.
        for start, end in ((0, 1), (1, 5), (5, len(data))):
            connection.sendall(data[start:end])
            time.sleep(0.02)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--ready", required=True)
    arguments = parser.parse_args()
    server = Server(Log(arguments.log))
    udp_sockets = []
    for address in ADDRESSES + [UDP_ONLY]:
        sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        sock.bind((address, 53))
        udp_sockets.append(sock)
    threading.Thread(target=server.udp, args=(udp_sockets,), daemon=True).start()
    for address in ADDRESSES:
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind((address, 53))
        listener.listen(16)
        threading.Thread(target=server.tcp, args=(listener,), daemon=True).start()
    with open(arguments.ready, "w"):
        pass
    threading.Event().wait()


if __name__ == "__main__":
    main()
