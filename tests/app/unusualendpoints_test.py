"""Endpoints the HTTP client must take in its stride: a name whose first
address never answers, answers without a length, terse status lines and bare
line feeds, HTTPS to an IP address, kept-alive connections closed at the
endpoint's whim. Whatever the shape, each document is posted once and acked
after its 2xx, and no warning is logged. An endpoint that sends more than it
was asked for gets no document acked on that."""

import json
import re
import socket
import time
import unittest

from harness import Nginx, ServiceTest, ca_signed, self_signed, wait_until

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

    def test_kept_connections_the_endpoint_closes_cost_no_warning_and_no_pause(self):
        # Documents one at a time, the pauses around the endpoint's idle
        # time-out, so that a kept connection is often closed as the next
        # document would go on it; or all at once to an endpoint that closes
        # after each answer, as the next document waits for the connection.
        nginx = Nginx(self.directory, "100ms")
        self.addCleanup(nginx.close)
        count = 20
        apart = (0.07, 0.09, 0.1, 0.11, 0.13)
        for name, endpoint, url, pauses in (("idle", self.endpoint(idle=0.1), None, apart),
                                            ("nginx", None, nginx.url("/hook"), apart),
                                            ("hangup", self.endpoint(hangup=True), None, (0,))):
            with self.subTest(endpoint=name):
                service = self.consuming(url or endpoint.url(), "--connections", "2")
                for n in range(count):
                    self.broker.publish("results", json.dumps({"n": n}))
                    time.sleep(pauses[n % len(pauses)])
                self.assertTrue(wait_until(lambda: self.messages() == 0, 10), service.output())
                self.assertEqual(service.stop(), 0)
                self.assertEqual(service.lines("[Warning]"), [])
                # The endpoint never saw the documents it did not answer.
                posted = nginx.requests() if endpoint is None else len(endpoint.requests)
                self.assertEqual(posted, count)
                self.broker.fresh("results")

        # The endpoint reads each document that comes on a connection it
        # answered before, and closes without answering, or answers 408 (it
        # closed the connection for its idleness): each goes again at once
        # on a fresh connection, where it is answered.
        for outcome, status in (("close", None),
                                (b"HTTP/1.1 408 Request Timeout\r\nConnection: close\r\n\r\n", 408)):
            with self.subTest(outcome=outcome):
                self.broker.fresh("results")
                endpoint = self.endpoint(lambda request, outcome=outcome: outcome if request.turn > 0 else 200)
                service = self.consuming(endpoint.url(), "--connections", "1")
                for n in range(3):
                    self.broker.publish("results", json.dumps({"n": n}))
                    time.sleep(0.05)
                self.assertTrue(wait_until(lambda: self.messages() == 0, 10), service.output())
                self.assertEqual(service.stop(), 0)
                self.assertEqual(service.lines("[Warning]"), [])
                posts = [(json.loads(request.body)["n"], request.status) for request in endpoint.requests]
                self.assertEqual(posts, [(0, 200), (1, status), (1, 200), (2, status), (2, 200)])
                for dropped, again in zip(endpoint.requests[1::2], endpoint.requests[2::2]):
                    self.assertLess(again.time - dropped.time, 0.5)

    def test_bytes_after_an_answer_answer_no_other_document(self):
        # The first document's 500 has a 200 behind it in the same write,
        # while the second waits for the connection; the second's own answer
        # is a 503. Each is acked only after a 200 of its own.
        extra = (b"HTTP/1.1 500 No\r\nContent-Length: 0\r\n\r\n"
                 b"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")
        first = {0: extra, 1: 503}

        def behaviour(request):
            n = json.loads(request.body)["n"]
            if n not in first:
                return 200
            if n == 0:
                time.sleep(0.5)  # the second document is waiting by then
            return first.pop(n)

        endpoint = self.endpoint(behaviour)
        service = self.consuming(endpoint.url(), "--connections", "1")
        for n in range(2):
            self.broker.publish("results", json.dumps({"n": n}))
        self.assertTrue(wait_until(lambda: self.messages() == 0, 20), service.output())
        statuses = {n: [request.status for request in endpoint.answered()
                        if json.loads(request.body)["n"] == n] for n in range(2)}
        self.assertEqual(statuses, {0: [500, 200], 1: [503, 200]}, service.output())
        self.assertEqual(service.stop(), 0)


if __name__ == "__main__":
    unittest.main()
