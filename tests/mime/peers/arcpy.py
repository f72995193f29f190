"""dkimpy's ARC as a peer: seal or validate the message on standard input.

seal KEYFILE SELECTOR DOMAIN SRVID: writes the message with a new ARC set.
validate RECORDFILE: prints the chain's result; every key lookup gets the record.
"""
import sys

import dkim

message = sys.stdin.buffer.read()
if sys.argv[1] == "seal":
    key = open(sys.argv[2], "rb").read()
    lines = dkim.arc_sign(message, sys.argv[3].encode(), sys.argv[4].encode(), key,
                          sys.argv[5].encode())
    if not lines:
        sys.exit("nothing sealed")
    sys.stdout.buffer.write(b"".join(lines) + message)
else:
    record = open(sys.argv[2], "rb").read()
    cv, _, reason = dkim.arc_verify(message, dnsfunc=lambda name, timeout=5: record)
    print(cv.decode(), reason)
