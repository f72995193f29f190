"""No message is lost: an endpoint that fails at random, two instances
sharing one queue, and an outage on a quorum queue still end with the queue
empty and every document answered 2xx at least once."""

import json
import random
import signal
import threading
import time
import unittest

from harness import ServiceTest, ctl, wait_until

DOCUMENTS = 2000


class Misbehaving:
    """Answers 200, and now and then 500, a closed or reset connection or a
    stall; a budget keeps the pauses they cause short."""

    def __init__(self, seed, failures=30, stalls=2):
        self.random = random.Random(seed)
        self.failures = failures
        self.stalls = stalls
        self.lock = threading.Lock()

    def __call__(self, request):
        with self.lock:
            roll = self.random.random()
            if self.stalls and roll < 0.002:
                self.stalls -= 1
                return "stall"
            if self.failures and roll < 0.05:
                self.failures -= 1
                return self.random.choice([500, "close", "reset"])
            return 200


def delivered(endpoints):
    """The ids of the documents answered 2xx by any of the endpoints."""
    return {json.loads(request.body)["id"] for endpoint in endpoints for request in endpoint.answered()
            if 200 <= request.status < 300}


class NoLossTest(ServiceTest):
    def run_through(self, services, endpoints):
        for n in range(DOCUMENTS):
            self.broker.publish("results", json.dumps({"id": n, "pad": "x" * 200}))
        done = wait_until(lambda: len(delivered(endpoints)) == DOCUMENTS, 240, interval=0.5)
        self.assertTrue(done, f"{DOCUMENTS - len(delivered(endpoints))} documents not delivered")
        self.assertTrue(wait_until(lambda: self.messages() == 0, 30, interval=0.5))
        for service in services:
            self.assertTrue(service.running())
            self.assertNotIn("[Critical]", service.output())

    def test_random_failures(self):
        for seed, (connections, qos, http10) in enumerate([(1, 1, False), (10, 1000, True),
                                                           (1, 1000, True), (10, 1, False)]):
            with self.subTest(connections=connections, qos=qos, http10=http10):
                self.broker.fresh("results")
                endpoint = self.endpoint(Misbehaving(seed), http10=http10)
                service = self.consuming(endpoint.url(), "--connections", str(connections), "--qos", str(qos))
                self.run_through([service], [endpoint])
                self.assertEqual(service.stop(), 0)

    def test_two_instances_share_one_queue(self):
        endpoints = [self.endpoint(Misbehaving(seed, stalls=0)) for seed in (7, 8)]
        services = [self.consuming(endpoints[0].url(), "--qos", "50"),
                    self.consuming(endpoints[1].url(), "--qos", "50", consumers=2)]
        self.run_through(services, endpoints)
        for endpoint in endpoints:
            self.assertGreater(len(endpoint.answered()), DOCUMENTS // 10)

    def test_quorum_queue_outlasts_an_endpoint_outage(self):
        # Each pause cancels the consumer with deliveries in flight and
        # consumes again a second later; a document refused more often than
        # the limit would be dead-lettered.
        self.broker.fresh("dead")
        self.broker.fresh("results", {"x-queue-type": "quorum", "x-delivery-limit": 20,
                                      "x-dead-letter-exchange": "", "x-dead-letter-routing-key": "dead"})
        documents = 500
        for n in range(documents):
            self.broker.publish("results", json.dumps({"id": n, "pad": "x" * 200}))
        # Refused for four seconds from the first request.
        first = {}
        endpoint = self.endpoint(
            lambda request: 503 if request.time < first.setdefault("time", request.time) + 4 else 200)
        service = self.consuming(endpoint.url())
        done = wait_until(lambda: len(delivered([endpoint])) == documents or not service.running(), 60)
        self.assertTrue(done and service.running(), service.output())
        self.assertTrue(wait_until(lambda: self.messages() == 0, 10))
        self.assertEqual(self.broker.ready("dead"), 0)
        # A fresh consumer tag after every pause.
        pauses = len([line for line in service.lines("from server: ") if "during the pause" not in line])
        self.assertGreaterEqual(pauses, 3, service.output())
        tags = ctl("list_consumers", "-q", "--no-table-headers", "consumer_tag").split()
        self.assertEqual(tags, [f"consumer-{pauses + 1}"])
        self.assertNotIn("[Critical]", service.output())
        self.assertEqual(service.stop(), 0)

    def test_a_pause_or_a_stop_hands_each_document_back_once(self):
        # With a delivery limit of 1 a second return dead-letters a
        # document: one refused (a pause), or held at a SIGTERM (a stop),
        # must go back to the queue once, not to the same consumer first.
        documents = 500
        for scenario in ("pause", "stop"):
            with self.subTest(scenario=scenario):
                self.broker.fresh("dead")
                self.broker.fresh("results", {"x-queue-type": "quorum", "x-delivery-limit": 1,
                                              "x-dead-letter-exchange": "",
                                              "x-dead-letter-routing-key": "dead"})
                for n in range(documents):
                    self.broker.publish("results", json.dumps({"id": n}))
                # Refuses the first request; in the stop, slow until released.
                answers, slow = [503] if scenario == "pause" else [], [scenario == "stop"]
                endpoint = self.endpoint(lambda request: answers.pop() if answers
                                         else time.sleep(0.2 if slow[0] else 0) or 200)
                service = self.consuming(endpoint.url(), "--qos", "10" if scenario == "pause" else "1000")
                if scenario == "stop":
                    self.assertTrue(endpoint.wait_for(20))
                    started = time.monotonic()
                    self.assertEqual(service.stop(signal.SIGTERM), 0)
                    self.assertLess(time.monotonic() - started, 3)
                    self.assertLess(len(delivered([endpoint])), documents)
                    slow[0] = False
                    service = self.consuming(endpoint.url())
                settled = lambda: len(delivered([endpoint])) + self.broker.ready("dead") >= documents
                self.assertTrue(wait_until(settled, 60, interval=0.5))
                self.assertEqual(self.broker.ready("dead"), 0)
                self.assertEqual(len(delivered([endpoint])), documents)
                self.assertTrue(wait_until(lambda: self.messages() == 0, 10))
                self.assertEqual(service.stop(), 0)


if __name__ == "__main__":
    unittest.main()
