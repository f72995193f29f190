"""dkimpy verifying one message again and again: peers.py RECORD MESSAGE ROUNDS.
Prints the nanoseconds per verification."""
import sys
import time

import dkim

record = open(sys.argv[1], "rb").read()
message = open(sys.argv[2], "rb").read()
rounds = int(sys.argv[3])
start = time.perf_counter()
for _ in range(rounds):
    if not dkim.verify(message, dnsfunc=lambda name, timeout=5: record):
        sys.exit(3)
print(int((time.perf_counter() - start) * 1e9 / rounds))
