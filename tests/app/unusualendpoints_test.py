"""Endpoints the HTTP client must take in its stride: a name whose first
address never answers, answers without a length, terse status lines and bare
line feeds, HTTPS to an IP address. Whatever the shape, each document is
posted once and acked after its 2xx, and no warning is logged."""

import json
import re
import socket
import time
import unittest

from harness import ServiceTest, ca_signed, self_signed, wait_until

DOCUMENTS = 5


class SilentAddress:
    """A listener on 127.0.0.4 whose accept queue is full: the kernel drops
    further connects to the port unanswered."""

    def __init__(self, port):
        self.sockets = [socket.create_server(("127.0.0.4", port), backlog=0)]
        for _ in range(4):
            client = socket.socket()
            client.setblocking(False)
            client.connect_ex(("127.0.0.4", port))
            self.sockets.append(client)
        time.sleep(0.1)

    def close(self):
        for each in self.sockets:
            each.close()


class UnusualEndpointsTest(ServiceTest):
    def assertEachPostedOnce(self, endpoint, url, *arguments, environment=None, timeout=20, warnings=()):
        """Runs documents through the service, which logs these warnings and
        no others; returns the endpoint's requests."""
        service = self.consuming(url, "--connections", "1", *arguments, environment=environment)
        for n in range(DOCUMENTS):
            self.broker.publish("results", json.dumps({"n": n}))
        self.assertTrue(endpoint.wait_for(DOCUMENTS, timeout), service.output())
        self.assertTrue(wait_until(lambda: self.messages() == 0, 10), service.output())
        self.assertEqual(sorted(json.loads(request.body)["n"] for request in endpoint.requests),
                         list(range(DOCUMENTS)))
        self.assertEqual(service.stop(), 0)
        self.assertEqual(re.findall(r"^\[Warning\] +\[[^]]*\] (.*)$", service.output(), re.MULTILINE),
                         list(warnings))
        return endpoint.requests

    def test_answers_framed_by_the_close_terse_or_with_bare_line_feeds(self):
        for answer in (b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\nended by the close",
                       b"HTTP/1.1 204\r\n\r\n",
                       b"HTTP/1.1 200 OK\nContent-Length: 2\n\nok",
                       b"HTTP/1.1 201\nContent-Length: 0\n\n"):
            with self.subTest(answer=answer):
                endpoint = self.endpoint(lambda request, answer=answer: answer)
                self.assertEachPostedOnce(endpoint, endpoint.url())

    def test_a_silent_first_address_costs_one_short_connect(self):
        # A connection per request: each of them looks for an address.
        endpoint = self.endpoint(http10=True)
        self.addCleanup(SilentAddress(endpoint.port).close)
        # Three seconds for the first connect, none for the others.
        self.assertEachPostedOnce(endpoint, endpoint.url(host="silent.test"), timeout=8)

    def test_a_certificate_that_does_not_verify_is_named_once_and_costs_a_connection_each(self):
        # The one warning of these endpoints. The second certificate is
        # valid, but for 127.0.0.1 only.
        for_the_address, authority = ca_signed(self.directory, "127.0.0.1")
        for context, result in ((self_signed(self.directory), "self-signed certificate"),
                                (for_the_address, "hostname mismatch")):
            with self.subTest(result=result):
                endpoint = self.endpoint(tls=context)
                warning = (f"Certificate of endpoint.test does not verify ({result}): "
                           "every document opens a new connection")
                url = endpoint.url(host="endpoint.test", scheme="https")
                requests = self.assertEachPostedOnce(endpoint, url, environment={"SSL_CERT_FILE": authority},
                                                     warnings=[warning])
                self.assertEqual(len({request.peer for request in requests}), DOCUMENTS)

    def test_https_to_an_ip_address_named_by_its_certificate_keeps_the_connection(self):
        context, authority = ca_signed(self.directory, "127.0.0.1")
        endpoint = self.endpoint(tls=context)
        requests = self.assertEachPostedOnce(endpoint, endpoint.url(scheme="https"),
                                             environment={"SSL_CERT_FILE": authority})
        self.assertEqual(len({request.peer for request in requests}), 1)


if __name__ == "__main__":
    unittest.main()
