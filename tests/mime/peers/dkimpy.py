"""dkimpy as a peer: sign or verify the message on standard input.

sign KEYFILE SELECTOR DOMAIN HEADER/BODY ALGORITHM: writes the signed message.
verify RECORDFILE: prints "pass" or "fail", or "error" and what dkimpy raised;
every key lookup gets the record.
"""
import sys

import dkim

message = sys.stdin.buffer.read()
if sys.argv[1] == "sign":
    key = open(sys.argv[2], "rb").read()
    header, body = sys.argv[5].split("/")
    signature = dkim.sign(message, sys.argv[3].encode(), sys.argv[4].encode(), key,
                          canonicalize=(header.encode(), body.encode()),
                          signature_algorithm=sys.argv[6].encode())
    sys.stdout.buffer.write(signature + message)
else:
    record = open(sys.argv[2], "rb").read()
    try:
        passed = dkim.verify(message, dnsfunc=lambda name, timeout=5: record)
        print("pass" if passed else "fail")
    except Exception as error:
        print("error", error)
