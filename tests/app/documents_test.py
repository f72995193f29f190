"""What the endpoint receives of each document: the filter applied, and
hostile documents handled without a crash or an unconfirmed ack."""

import json
import unittest

from harness import ServiceTest, wait_until


class DocumentsTest(ServiceTest):
    def posted(self, filter_text, documents):
        """The bodies posted for the documents, in order, with the filter."""
        endpoint = self.endpoint()
        service = self.consuming(endpoint.url(), "--filter", filter_text, "--qos", "1", "--connections", "1")
        for document in documents:
            self.broker.publish("results", document)
        self.assertTrue(endpoint.wait_for(len(documents)), service.output())
        service.stop()
        return [request.body for request in endpoint.requests]

    def test_filter_removes_what_its_pointers_name(self):
        documents = [
            {"secret": 1, "keep": {"secret": 2}},
            {"items": [{"token": i, "id": i} for i in range(12)]},
            {"a/b": [{"c": 1, "d": 2}], "a": {"b": [{"c": 3}]}, "t~x": 4},
            {"list": [0, 1, 2], "all": [1, 2, 3, 4, 5]},
            {"*": {"token": 1}, "obj": {"x": {"token": 2}}},
        ]
        expected = [
            {"keep": {"secret": 2}},
            {"items": [{"id": i} for i in range(12)]},
            {"a/b": [{"d": 2}], "a": {"b": [{"c": 3}]}},
            {"list": [0, 2], "all": []},
            {"*": {"token": 1}, "obj": {"x": {"token": 2}}},
        ]
        bodies = self.posted("/secret /items/*/token /a~1b/*/c /t~0x /list/1 /all/*  /*/token",
                             [json.dumps(document) for document in documents])
        self.assertEqual([json.loads(body) for body in bodies], expected)

    def test_a_filter_that_removes_nothing_keeps_the_compact_document(self):
        documents = ['{"a":[1,-2,3.5,true,false,null],"b":{"c":"text","d":{}},"e":[]}',
                     '{"unicode":"\\u00e9\\u4e2d","escaped":"q\\"b\\\\"}', '[]', '"text"', '0']
        bodies = self.posted("/absent /a/9 /b/x/y", documents)
        self.assertEqual([body.decode() for body in bodies],
                         [json.dumps(json.loads(document), separators=(",", ":"), ensure_ascii=False)
                          for document in documents])

    def test_hostile_documents(self):
        self.broker.delete("invalid")
        endpoint = self.endpoint()
        service = self.consuming(endpoint.url(), "--error-routingkey", "invalid", "--filter", "/x/*/y")
        big = {"x": [{"y": 1, "z": "a" * 1000}] * 6000, "blob": "b" * (6 << 20)}
        good = {
            "huge string": json.dumps({"s": "s" * (4 << 20)}),
            "12 MB": json.dumps(big),
            "duplicate keys": '{"k":1,"k":2}',
            "deep but allowed": "[" * 500 + "]" * 500,
            "lone surrogate escape": '{"k":"\\ud800"}',
        }
        bad = {
            "deep": "[" * 100000 + "]" * 100000,
            "invalid UTF-8": b'{"k":"\xc3\x28"}',
            "unterminated": '{"k":"' + "v" * 100000,
        }
        for body in list(good.values()) + list(bad.values()):
            self.broker.publish("results", body)
        self.assertTrue(wait_until(lambda: self.broker.ready("results") == 0
                                   and self.broker.ready("invalid") is not None
                                   and self.broker.ready("invalid") == len(bad), 60), service.output())
        # An empty ready queue may still hold a document on its way.
        self.assertTrue(endpoint.wait_for(len(good)))
        self.assertTrue(service.running())
        self.assertEqual(len(endpoint.answered()), len(good))
        posted = {request.body[:6] for request in endpoint.answered()}
        self.assertIn(b'{"s":"', posted)
        twelve = [request for request in endpoint.answered() if len(request.body) > 10_000_000]
        self.assertEqual(len(twelve), 1)
        self.assertEqual(json.loads(twelve[0].body)["x"][0], {"z": "a" * 1000})


if __name__ == "__main__":
    unittest.main()
