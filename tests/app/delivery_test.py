"""The road of one delivery: the request the endpoint sees, acknowledgement on
2xx, requeue and pause on everything else."""

import json
import re
import time
import unittest

from harness import ServiceTest, self_signed, wait_until


class DeliveryTest(ServiceTest):
    def test_posts_the_document_with_the_request_head_and_acks_on_2xx(self):
        endpoint = self.endpoint(lambda request: 204)
        self.consuming(endpoint.url("/hook/in?token=a%20b&x=1", host="endpoint.test"))
        self.broker.publish("results", '{ "b" : [1, 2.5, "x/y"], "a" : {} }')
        self.assertTrue(endpoint.wait_for(1))
        request = endpoint.requests[0]
        self.assertEqual((request.method, request.target, request.version),
                         ("POST", "/hook/in?token=a%20b&x=1", "HTTP/1.1"))
        names = [name for name, _ in request.headers]
        self.assertEqual(names, ["User-agent", "Connection", "Host", "Date", "Content-length",
                                 "Content-type"])
        self.assertEqual(request.header("User-agent"), "Quillmere Webhook Caller")
        self.assertEqual(request.header("Connection"), "keep-alive")
        self.assertEqual(request.header("Host"), f"endpoint.test:{endpoint.port}")
        self.assertRegex(request.header("Date"),
                         r"^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug"
                         r"|Sep|Oct|Nov|Dec) \d{4} \d\d:\d\d:\d\d GMT$")
        self.assertEqual(request.header("Content-type"), "application/json")
        self.assertEqual(int(request.header("Content-length")), len(request.body))
        self.assertEqual(json.loads(request.body), {"b": [1, 2.5, "x/y"], "a": {}})
        self.assertNotIn(b" ", request.body)
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0, 5))
        time.sleep(0.3)
        self.assertEqual(len(endpoint.requests), 1)

    def test_host_header_names_the_port_unless_it_is_the_default(self):
        # Port 80 is free: the test runs in a network namespace of its own.
        # The scheme in any case, as the client takes it.
        for url, host, arguments in (("http://endpoint.test/", "endpoint.test", {"port": 80}),
                                     ("HTTPS://endpoint.test:443/", "endpoint.test",
                                      {"port": 443, "tls": self_signed(self.directory)}),
                                     ("http://[::1]:{port}/", "[::1]:{port}", {"address": "::1"})):
            with self.subTest(url=url):
                endpoint = self.endpoint(**arguments)
                service = self.consuming(url.format(port=endpoint.port))
                self.broker.publish("results", "{}")
                self.assertTrue(endpoint.wait_for(1))
                self.assertEqual(endpoint.requests[0].header("Host"), host.format(port=endpoint.port))
                self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0, 5))
                self.assertEqual(service.stop(), 0)

    def test_bare_number_and_url_without_path(self):
        endpoint = self.endpoint()
        self.consuming(f"http://127.0.0.1:{endpoint.port}")
        self.broker.publish("results", "42")
        self.assertTrue(endpoint.wait_for(1))
        self.assertEqual((endpoint.requests[0].target, endpoint.requests[0].body), ("/", b"42"))

    def test_failures_requeue_log_once_and_pause_a_second(self):
        closed = "No response from server: the endpoint closed the connection before answering"
        cut = "Incomplete response from server: the answer broke off part-way or could not be read"
        refused = "Invalid response code from server: 503"
        # A burst of refusals: the first pauses with its warning, the rest
        # are counted in one line once consuming resumes.
        for outcome, warning in ((302, "Invalid response code from server: 302"),
                                 (404, "Invalid response code from server: 404"),
                                 (500, "Invalid response code from server: 500"),
                                 ("close", closed), ("reset", closed), ("cut", cut),
                                 (b"HTTP/1.1 2000 OK\r\nContent-Length: 0\r\n\r\n", cut),
                                 ([503] * 8, refused)):
            with self.subTest(outcome=outcome):
                answers = list(outcome) if isinstance(outcome, list) else [outcome]
                documents = len(answers) + 1
                endpoint = self.endpoint(lambda request: answers.pop() if answers else 200)
                # Queued first, so that they come at once.
                for n in range(1, documents + 1):
                    self.broker.publish("results", json.dumps({"n": n}))
                service = self.consuming(endpoint.url())
                self.assertTrue(endpoint.wait_for(2 * documents - 1, 10))
                answered = endpoint.answered()
                self.assertEqual(sorted(json.loads(r.body)["n"] for r in answered if r.status == 200),
                                 list(range(1, documents + 1)))
                self.assertTrue(service.wait_log(warning), service.output())
                self.assertIn("[Warning]  [", service.lines(warning)[0])
                # Every failure is told: the first of a pause in a line of its
                # own, the others counted in one line once consuming resumes.
                summary = "more documents were put back during the pause: "
                own = lambda: [line for line in service.lines(warning) if summary not in line]
                told = lambda: len(own()) + sum(int(count) for line in service.lines(summary)
                                                for count in re.findall(re.escape(warning) + r"[^,]* x(\d+)", line))
                self.assertTrue(wait_until(lambda: told() == documents - 1, 5), service.output())
                self.assertEqual(len(service.lines("from server: ")), len(own()) + len(service.lines(summary)))
                # Consuming stops at the failure and resumes a second later.
                failed, retried = endpoint.requests[0], endpoint.requests[-1]
                self.assertGreater(retried.time - failed.time, 0.9)
                self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0, 10))
                self.assertEqual(service.stop(), 0)
                self.broker.fresh("results")

    def test_refused_endpoint_requeues_until_it_answers(self):
        endpoint = self.endpoint()
        port = endpoint.port
        endpoint.close()
        self.endpoints.remove(endpoint)
        service = self.consuming(f"http://127.0.0.1:{port}/")
        self.broker.publish("results", '{"a":1}')
        self.assertTrue(service.wait_log("No response from server: Connect failure"), service.output())
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 1, 5))
        self.assertTrue(service.running())

    def test_https_endpoint_and_tls_failure(self):
        endpoint = self.endpoint(tls=self_signed(self.directory))
        self.consuming(endpoint.url("/secure", host="endpoint.test", scheme="https"))
        self.broker.publish("results", '{"tls":true}')
        self.assertTrue(endpoint.wait_for(1))
        self.assertEqual(json.loads(endpoint.requests[0].body), {"tls": True})
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0, 5))

        plain = self.endpoint()
        self.broker.fresh("results")
        service = self.consuming(plain.url(scheme="https"))
        self.broker.publish("results", '{"tls":false}')
        self.assertTrue(service.wait_log("No response from server: Failed during ssl handshake"),
                        service.output())
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 1, 5))

    def test_stalled_endpoint_times_out_after_ten_seconds(self):
        # An answer that began says the endpoint saw the document.
        for outcome, warning in (("stall", "No response from server: time-out"),
                                 (b"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nok",
                                  "Incomplete response from server: time-out")):
            with self.subTest(warning=warning):
                answers = [outcome]
                endpoint = self.endpoint(lambda request: answers.pop() if answers else 200)
                service = self.consuming(endpoint.url())
                self.broker.publish("results", '{"slow":1}')
                self.assertTrue(endpoint.wait_for(1))
                started = time.monotonic()
                self.assertTrue(service.wait_log(warning, 15), service.output())
                self.assertGreater(time.monotonic() - started, 9)
                self.assertTrue(endpoint.wait_for(2, 5))
                self.assertEqual(endpoint.requests[1].status, 200)
                self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0, 5))
                self.assertEqual(service.stop(), 0)

    def test_one_failure_pauses_once_and_every_document_is_delivered(self):
        answers = [500]
        endpoint = self.endpoint(lambda request: answers.pop() if answers else 200)
        service = self.consuming(endpoint.url(), "--qos", "1", "--connections", "1")
        for n in range(20):
            self.broker.publish("results", json.dumps({"n": n}))
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0
                                   and len(endpoint.answered()) >= 21, 20))
        self.assertEqual(sorted({json.loads(r.body)["n"] for r in endpoint.answered() if r.status == 200}),
                         list(range(20)))
        self.assertEqual(len(service.lines("Invalid response code")), 1)
        self.assertEqual(re.findall(r"\[Critical\]", service.output()), [])


if __name__ == "__main__":
    unittest.main()
