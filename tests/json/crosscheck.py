#!/usr/bin/python3
"""Cross-checks our JSON parser and writer against Python's json module.

Usage: crosscheck.py ROUNDTRIP

ROUNDTRIP is the helper built from roundtrip.cpp. Every document of the
corpus below goes to it and to json.loads (strict: NaN and Infinity
refused). Both must agree on whether it is JSON; for JSON, the text we write
back must be JSON to Python too and hold the same value. JSON null alone is
the empty value to us, which the helper reports like invalid text.

The one-pass copy must refuse the same texts and write the same bytes,
except for repeated member names (the copy keeps every member) and the
integer -0 (the copy keeps it as written, the value holds 0): there it must
hold the same value to Python.
"""

import json
import subprocess
import sys

# Python decodes bytes with "surrogatepass", so it takes the UTF-8 form of a
# surrogate; RFC 3629 makes that invalid UTF-8, and we refuse it.
DELIBERATELY_STRICTER = {
    b'["\xed\xa0\x80"]',
    b'["\xed\xbf\xbf"]',
    b'"\xed\xb0\x80\xed\xa0\x80"',
}

HAND_WRITTEN = [
    # Valid documents.
    b'{}', b'[]', b'""', b'0', b'-0', b'1', b'-1', b'true', b'false', b'null',
    b' \t\r\n[ 1 , 2 ]\r\n\t ', b'[null,true,false]', b'{"a":{"b":{"c":[]}}}',
    b'{"a":1,"a":2}', b'{"":""}', b'[""]', b'["\\"\\\\\\/\\b\\f\\n\\r\\t"]',
    b'["\\u0041\\u00e9\\u20ac\\ud83d\\ude00"]', b'["\\u0000"]', b'{"k":"ab\\u0000cd"}',
    b'{"a\\u0000b":1,"a":2}', b'{"\\u0000":"\\u0000"}', b'["\\ud800"]', b'["\\udfff"]',
    b'["\\udc00\\ud800"]', b'["\\ud800\\u0041"]', b'["\\ud800\\ud800"]', b'["\\uDBFF\\uDFFF"]',
    b'["\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf"]', b'["\x7f"]',
    b'["\xef\xbf\xbf"]', b'\xef\xbb\xbf[1]', b'\xef\xbb\xbf{"a":"b"}',
    b'[0.5]', b'[-0.0]', b'[1e5]', b'[1E5]', b'[1e+5]', b'[1e-5]', b'[1.5E-300]', b'[12.50]',
    b'[1e400]', b'[-1e400]', b'[1.5e-400]', b'[9223372036854775807]',
    b'[-9223372036854775808]', b'[9223372036854775808]', b'[-9223372036854775809]',
    b'[123456789012345678901234567890]', b'[' + b'9' * 400 + b']',
    b'[0.' + b'1' * 400 + b']', b'[1' + b'0' * 300 + b'.0]',
    b'{"a":[1,{"b":null}],"c":"d"}', b'["a/b"]', b'[" "]', b'["\\/"]',
    # Not JSON.
    b'', b' ', b'{"a":NaN}', b'NaN', b'[NaN]', b'Infinity', b'-Infinity', b'[Infinity]',
    b'[-Infinity]', b'[nan]', b'[inf]', b'/*c*/1', b'[1]/*c*/', b'[1]//c', b'# c\n1',
    b'[1,]', b'{"a":1,}', b'[1,,2]', b'[,1]', b'{,}', b'{"a"::1}', b'{"a" 1}', b'{"a"}',
    b'{1:2}', b'{a:1}', b"['a']", b"{'a':1}", b'["a\']', b'[01]', b'[-01]', b'[00]',
    b'[0.]', b'[1.]', b'[.5]', b'[1e]', b'[1e+]', b'[1E-]', b'[+1]', b'[-]', b'[--1]',
    b'[0x10]', b'[1_000]', b'[1.5.5]', b'True', b'False', b'NULL', b'[tru]', b'[nul]',
    b'["a\tb"]', b'["a\nb"]', b'["\x00"]', b'["\x01"]', b'["\x1f"]', b'["\\x41"]',
    b'["\\\'"]', b'["\\a"]', b'["\\u12"]', b'["\\u12G4"]', b'["\\U0041"]', b'["abc',
    b'["\\', b'[1', b'{"a":1', b'[1]]', b'[1] [2]', b'{} x', b'1 2', b'"a" "b"',
    b'\xef\xbb\xbf', b'\xef\xbb\xbf\xef\xbb\xbf[1]', b'\xef\xbb[1]', b'\x0c[1]', b'\x0b[1]',
    b'\xc2\xa0[1]', b'[1]\x00', b'["\xff"]', b'["\xc0\x80"]', b'["\xc1\xbf"]',
    b'["\xe0\x80\x80"]', b'["\xe0\x9f\xbf"]', b'["\xf0\x8f\xbf\xbf"]', b'["\xf4\x90\x80\x80"]',
    b'["\xf5\x80\x80\x80"]', b'["\xc3"]', b'["\xe2\x82"]', b'["\x80"]', b'["\xbf"]',
    b'{"\xff":1}', b'[\xff]', b'[1e400.5]', b'[-1.0e]',
] + list(DELIBERATELY_STRICTER)


def generated():
    """Documents made by rule: every control character, every escape."""
    for code in range(0x20):
        yield b'["' + bytes([code]) + b'"]'
        yield b'["\\u%04x"]' % code
    for code in range(0x20, 0x80):
        yield b'["' + bytes([code]) + b'"]' if code not in (0x22, 0x5c) else b'["\\' + bytes([code]) + b'"]'
    for letter in b'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789':
        yield b'["\\' + bytes([letter]) + b'"]'
    for code in (0x7f, 0x80, 0x7ff, 0x800, 0xd7ff, 0xd800, 0xdbff, 0xdc00, 0xdfff, 0xe000, 0xfeff, 0xfffd, 0xffff):
        yield b'{"\\u%04x":"\\u%04x"}' % (code, code)
    for depth in (1, 31, 32, 33, 100, 500, 900):
        yield b'[' * depth + b']' * depth
        yield b'{"a":' * depth + b'1' + b'}' * depth
    for depth in (2000, 100000):
        yield b'[' * depth + b']' * depth
    yield b'[' * 500 + b']' * 499


def python_value(text):
    """Python's verdict: (True, value) for JSON, (False, None) otherwise."""
    def refuse(constant):
        raise ValueError(constant)
    try:
        return True, json.loads(text, parse_constant=refuse)
    except (ValueError, RecursionError):
        return False, None


def copy_differs(text):
    """Whether the one-pass copy may differ from the value's text."""
    found = []

    def pairs(members):
        found.append(len({name for name, _ in members}) != len(members))
        return dict(members)

    def integer(digits):
        found.append(digits == '-0')
        return int(digits)
    json.loads(text, object_pairs_hook=pairs, parse_int=integer)
    return any(found)


def ask(helper, documents):
    request = b''.join(b'%d\n' % len(d) + d for d in documents)
    result = subprocess.run([helper], input=request, stdout=subprocess.PIPE, check=True).stdout
    answers, position = [], 0
    for _ in range(2 * len(documents)):
        end = result.index(b'\n', position)
        size = int(result[position:end])
        position = end + 1
        if size < 0:
            answers.append(None)
        else:
            answers.append(result[position:position + size])
            position += size
    return answers


def main():
    documents = HAND_WRITTEN + list(generated())
    answers = ask(sys.argv[1], documents)
    failures, valid, invalid = [], 0, 0
    for document, answer, copy in zip(documents, answers[0::2], answers[1::2]):
        ok, value = python_value(document)
        if copy != answer and not (ok and value is None and copy == b'null') and not (
                answer is not None and copy is not None and copy_differs(document)
                and python_value(copy) == (True, value)):
            failures.append('copied %r as %r, not %r' % (document[:60], (copy or b'')[:60],
                                                        (answer or b'')[:60]))
        valid += ok
        invalid += not ok
        shown = document[:60]
        if document in DELIBERATELY_STRICTER:
            if answer is not None:
                failures.append('accepted invalid UTF-8: %r' % shown)
            continue
        if not ok or value is None:
            if answer is not None:
                failures.append('accepted %r as %r' % (shown, answer[:60]))
            continue
        if answer is None:
            failures.append('refused JSON %r' % (shown,))
            continue
        again_ok, again = python_value(answer)
        if not again_ok:
            failures.append('wrote %r for %r: not JSON' % (answer[:60], shown))
        elif again != value:
            failures.append('wrote %r for %r: another value' % (answer[:60], shown))
    print('%d documents, %d JSON and %d not to Python' % (len(documents), valid, invalid))
    for failure in failures:
        print(failure)
    return 1 if failures or valid < 100 or invalid < 100 else 0


if __name__ == '__main__':
    sys.exit(main())
