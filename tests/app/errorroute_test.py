"""Documents that are no JSON: acknowledged only once their copy is on the
error route, or dropped with a warning when there is none."""

import json
import time
import unittest

import pika

from harness import ServiceTest, ctl, wait_until

UNPARSABLE = [b"{\"a\":", b"null", b"", b"{\"a\":1} trailing", b"[1,]", b"\"\xff\xfe\""]

PROPERTIES = pika.BasicProperties(
    content_type="application/json", content_encoding="identity", headers={"tenant": "t1", "n": 7},
    delivery_mode=2, priority=3, correlation_id="c-1", reply_to="answers", message_id="m-1",
    timestamp=1700000000, type="result", app_id="quillmere")


class ErrorRouteTest(ServiceTest):
    def publish_all(self):
        for body in UNPARSABLE:
            self.broker.publish("results", body, PROPERTIES)
        self.broker.publish("results", '{"good":1}', PROPERTIES)

    def test_unparsable_documents_are_copied_with_every_property(self):
        self.broker.delete("invalid")
        endpoint = self.endpoint()
        service = self.consuming(endpoint.url(), "--error-routingkey", "invalid")
        self.publish_all()
        self.assertTrue(wait_until(lambda: self.broker.ready("invalid") == len(UNPARSABLE), 10))
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0, 5))
        copies = self.broker.take("invalid")
        self.assertEqual(sorted(body for _, body in copies), sorted(UNPARSABLE))
        for properties, _ in copies:
            for name in ("content_type", "content_encoding", "headers", "delivery_mode", "priority",
                         "correlation_id", "reply_to", "message_id", "timestamp", "type", "app_id"):
                self.assertEqual(getattr(properties, name), getattr(PROPERTIES, name), name)
        # An empty ready queue may still hold unacked deliveries, and the log
        # is written by a thread of its own: both are waited for.
        self.assertTrue(endpoint.wait_for(1))
        self.assertEqual([json.loads(request.body) for request in endpoint.requests], [{"good": 1}])
        self.assertTrue(wait_until(lambda: len(service.lines("Unable to parse JSON")) == len(UNPARSABLE), 5))
        self.assertEqual(len(service.lines("[Warning]  [")), len(UNPARSABLE))

    def test_copies_go_through_the_error_exchange(self):
        self.broker.fresh("invalid-bound")
        self.broker.channel.exchange_declare("errors", "direct")
        self.broker.channel.queue_bind("invalid-bound", "errors", "broken")
        self.consuming(self.endpoint().url(), "--error-routingkey", "broken", "--error-exchange", "errors")
        self.broker.publish("results", "not json")
        self.assertTrue(wait_until(lambda: self.broker.ready("invalid-bound") == 1, 10))
        self.assertEqual(self.broker.ready("results"), 0)

    def test_without_error_route_unparsable_documents_are_dropped(self):
        endpoint = self.endpoint()
        service = self.consuming(endpoint.url())
        self.publish_all()
        self.assertTrue(endpoint.wait_for(1))
        self.assertTrue(wait_until(lambda: len(service.lines("Unable to parse JSON")) == len(UNPARSABLE), 5))
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0, 5))
        self.assertEqual(len(endpoint.requests), 1)

    def test_a_stop_while_copies_wait_for_their_confirms_copies_each_document_once(self):
        # The stop acknowledges the originals of the copies the broker
        # confirms before the close; unacknowledged, they would be copied
        # again after the restart.
        self.broker.fresh("invalid")
        documents = 3000
        for n in range(documents):
            self.broker.publish("results", f"broken {n}")
        service = self.consuming(self.endpoint().url(), "--error-routingkey", "invalid")
        self.assertTrue(wait_until(lambda: self.broker.ready("invalid") >= 100, 10, interval=0.01))
        self.assertEqual(service.stop(), 0)
        self.assertGreater(self.messages("results"), 0)
        self.consuming(self.endpoint().url(), "--error-routingkey", "invalid")
        self.assertTrue(wait_until(lambda: self.messages("results") == 0, 30))
        self.assertEqual(self.broker.ready("invalid"), documents)

    def test_unroutable_copy_keeps_the_original_and_ends_the_run(self):
        self.broker.channel.exchange_declare("errors", "direct")
        service = self.consuming(self.endpoint().url(), "--error-routingkey", "nowhere",
                                 "--error-exchange", "errors")
        self.broker.publish("results", "broken body")
        self.assertExits(service, 1)
        line = service.lines("Failed to publish invalid message: ")[0]
        self.assertIn("[Critical] [", line)
        self.assertIn("Failed to publish invalid message: NO_ROUTE\n\nFailed message:\nbroken body",
                      service.output())
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 1, 5))

    def test_refused_copy_keeps_the_original_and_pauses(self):
        # A full error queue that refuses what comes: the broker nacks the copy.
        self.broker.fresh("full", arguments={"x-max-length": 0, "x-overflow": "reject-publish"})
        service = self.consuming(self.endpoint().url(), "--error-routingkey", "full")
        self.broker.publish("results", "broken body")
        self.assertTrue(service.wait_log("Unable to parse JSON"))
        time.sleep(2)
        # One attempt per pause of a second, not a loop as fast as the broker.
        self.assertLessEqual(len(service.lines("Unable to parse JSON")), 4)
        self.assertTrue(service.running())
        self.assertEqual(service.stop(), 0)
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 1, 5))
        self.assertEqual(self.broker.ready("full"), 0)

    def test_copy_during_a_resource_alarm_waits_and_the_log_says_so(self):
        # The broker blocks a connection that publishes during an alarm; the
        # test's own connection publishes nothing meanwhile.
        alarms = [("low on memory", ("set_vm_memory_high_watermark", "0.0000001"),
                   ("set_vm_memory_high_watermark", "0.4")),
                  ("low on disk", ("set_disk_free_limit", "100000GB"), ("set_disk_free_limit", "50MB"))]
        for reason, alarm, clear in alarms:
            with self.subTest(reason=reason):
                self.broker.fresh("results")
                self.broker.fresh("invalid")
                self.broker.publish("results", "broken body")
                ctl(*alarm)
                try:
                    service = self.consuming(self.endpoint().url(), "--error-routingkey", "invalid")
                    self.assertTrue(service.wait_log("RabbitMQ blocked the connection: "), service.output())
                    self.assertIn(f"[Warning]  [", service.lines("RabbitMQ blocked the connection: ")[0])
                    self.assertIn(f"RabbitMQ blocked the connection: {reason}; documents wait until it is "
                                  "unblocked", service.output())
                    self.assertEqual(self.broker.ready("invalid"), 0)
                    self.assertEqual(self.messages("results"), 1)
                finally:
                    ctl(*clear)
                self.assertTrue(service.wait_log("RabbitMQ unblocked the connection"), service.output())
                self.assertIn("[Info]     [", service.lines("RabbitMQ unblocked the connection")[0])
                self.assertTrue(wait_until(lambda: self.broker.ready("invalid") == 1, 10))
                self.assertTrue(wait_until(lambda: self.messages("results") == 0, 5))
                self.assertEqual(service.stop(), 0)
        # Stopped while blocked: the broker answers neither the cancel nor the
        # close, the stop ends on its deadline, and the log tells the
        # original that goes back without its copy confirmed.
        self.broker.fresh("results")
        self.broker.publish("results", "broken body")
        ctl(*alarms[0][1])
        try:
            service = self.consuming(self.endpoint().url(), "--error-routingkey", "invalid")
            self.assertTrue(service.wait_log("RabbitMQ blocked the connection: "), service.output())
            started = time.monotonic()
            self.assertEqual(service.stop(), 0)
            self.assertLess(time.monotonic() - started, 3)
        finally:
            ctl(*alarms[0][2])
        self.assertEqual([line.split("] ", 2)[2] for line in service.lines("put back")],
                         ["1 documents were put back as the service stopped: The copy for the error route was "
                          "not confirmed x1"], service.output())
        self.assertTrue(wait_until(lambda: self.messages("results") == 1, 10))

    def test_missing_error_exchange_keeps_the_original_and_ends_the_run(self):
        service = self.consuming(self.endpoint().url(), "--error-routingkey", "x",
                                 "--error-exchange", "missing")
        self.broker.publish("results", "broken body")
        self.assertExits(service, 1)
        self.assertIn("[Critical]", service.output())
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 1, 5))


if __name__ == "__main__":
    unittest.main()
