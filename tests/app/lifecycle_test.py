"""How a run ends: signals end it at once with status 0 and nothing acked
that was not answered; the end of the broker connection ends it with 1."""

import signal
import time
import unittest

from harness import Broker, ServiceTest, broker_address, ctl, wait_until


class LifecycleTest(ServiceTest):
    def test_signals_end_the_run_without_acking_unanswered_deliveries(self):
        for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGPIPE):
            with self.subTest(signal=signum):
                self.broker.fresh("results")
                endpoint = self.endpoint(lambda request: "stall")
                service = self.consuming(endpoint.url())
                self.broker.publish("results", '{"waiting":1}')
                self.assertTrue(endpoint.wait_for(1))
                started = time.monotonic()
                self.assertEqual(service.stop(signum, timeout=5), 0, service.output() + service.errors())
                self.assertLess(time.monotonic() - started, 1.0)
                self.assertTrue(wait_until(lambda: self.broker.ready("results") == 1, 5))

    def test_a_stop_during_a_pause_tells_the_pause_and_the_stop_apart(self):
        answers = [503, 503, "stall", "stall"]
        endpoint = self.endpoint(lambda request: answers.pop())
        service = self.consuming(endpoint.url(), "--connections", "4")
        for n in range(4):
            self.broker.publish("results", '{"n":%d}' % n)
        self.assertTrue(endpoint.wait_for(4))
        # Within the pause of a second, once both refusals are in.
        self.assertTrue(service.wait_log("Invalid response code from server: 503"))
        time.sleep(0.2)
        self.assertEqual(service.stop(), 0)
        told = [line.split("] ", 2)[2] for line in service.lines("put back")]
        self.assertEqual(told, ["1 more documents were put back during the pause: Invalid response code from server: 503 x1",
                                "2 documents were put back as the service stopped: No response from server: operation "
                                "cancelled x2"], service.output())

    def calls_waiting(self):
        """The service with one call on a stalled connection and four waiting
        for it; and the endpoint."""
        endpoint = self.endpoint(lambda request: "stall")
        service = self.consuming(endpoint.url(), "--connections", "1")
        for n in range(5):
            self.broker.publish("results", '{"n":%d}' % n)
        self.assertTrue(endpoint.wait_for(1))
        return service, endpoint

    def test_deliveries_waiting_for_a_connection_are_requeued_at_the_end(self):
        service, endpoint = self.calls_waiting()
        self.assertEqual(service.stop(), 0, service.errors())
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 5, 5))
        self.assertEqual(len(endpoint.requests), 1)

    def test_closed_broker_connection_ends_the_run_with_status_1(self):
        service = self.consuming(self.endpoint().url())
        ctl("close_all_connections", "test closes it")
        self.assertExits(service, 1)
        # Once, though it reaches the connection and each of its channels.
        self.assertEqual(len(service.lines("[Critical]")), 1, service.output())

    def test_broker_loss_with_calls_waiting_ends_cleanly(self):
        service, _ = self.calls_waiting()
        ctl("close_all_connections", "test closes it")
        self.assertExits(service, 1, timeout=5)
        # The test's own connection was closed too.
        self.broker = Broker()
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 5, 5))

    def test_consumer_cancelled_by_the_broker_ends_the_run_with_status_1(self):
        service = self.consuming(self.endpoint().url())
        self.broker.delete("results")
        self.assertExits(service, 1, timeout=10)
        self.assertEqual([line.split("] ", 2)[2] for line in service.lines("[Critical] [")],
                         ["The broker cancelled the consumer of queue results (the queue was deleted, or its "
                          "node lost)"])

    def test_consume_error_ends_the_run_with_status_1(self):
        self.broker.channel.basic_consume("results", lambda *arguments: None, exclusive=True)
        service = self.service("--rabbitmq-address", broker_address(), "--endpoint", "http://127.0.0.1:1/")
        self.assertExits(service, 1)
        self.assertIn("[Critical] [", service.lines("start-consume error: ")[0])


if __name__ == "__main__":
    unittest.main()
