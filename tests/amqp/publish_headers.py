"""Publishes one message through pika to the private broker, with a header
of every type pika writes, plus RabbitMQ's signed 16-bit integer ('s'),
which pika reads but has no Python type for.

usage: publish_headers.py PORT QUEUE   (run with /usr/bin/python3)
"""
import datetime
import decimal
import struct
import sys

import pika
import pika.data


class SignedShort(int):
    """An int that goes on the wire as 's', as RabbitMQ writes it."""


plain_encode_value = pika.data.encode_value


def encode_value(pieces, value):
    if isinstance(value, SignedShort):
        pieces.append(struct.pack(">ch", b"s", value))
        return 3
    return plain_encode_value(pieces, value)


pika.data.encode_value = encode_value

port, queue = int(sys.argv[1]), sys.argv[2]
headers = {
    "text": "caf\u00e9",
    "bytes": b"\x00\xff",
    "flag": True,
    "small": -5,
    "big": 2**40,
    "decimal": decimal.Decimal("3.14"),
    "time": datetime.datetime(2026, 1, 2, 3, 4, 5),
    "table": {"inner": 7},
    "list": [1, "two", None],
    "none": None,
    "retries": SignedShort(3),
    "wide": SignedShort(300),
    "negative": SignedShort(-2),
}
parameters = pika.ConnectionParameters(
    host="127.0.0.1", port=port, credentials=pika.PlainCredentials("plumo", "plumo")
)
with pika.BlockingConnection(parameters) as connection:
    channel = connection.channel()
    channel.confirm_delivery()
    channel.basic_publish(
        "", queue, b"from pika", pika.BasicProperties(headers=headers), mandatory=True
    )
