#!/usr/bin/env python3
"""An SFTP subsystem for the tests: the real sftp-server behind a filter that
refuses each rename onto a name ending in NAME, except from a name ending in
".previous", so that a replacement fails after the earlier file stepped aside.

Usage: sftpfailrename.py NAME SFTP-SERVER [ARGS...]
"""
import struct
import subprocess
import sys
import threading

RENAME, STATUS, FAILURE = 18, 101, 4

name = sys.argv[1].encode()
server = subprocess.Popen(sys.argv[2:], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
out = sys.stdout.buffer
lock = threading.Lock()


def packet(stream):
    head = stream.read(4)
    if len(head) < 4:
        return None
    body = stream.read(struct.unpack(">I", head)[0])
    return head + body


def send(data):
    with lock:
        out.write(data)
        out.flush()


def replies():
    while (p := packet(server.stdout)) is not None:
        send(p)


def string(body, at):
    size = struct.unpack(">I", body[at:at + 4])[0]
    return body[at + 4:at + 4 + size], at + 4 + size


threading.Thread(target=replies, daemon=True).start()
while (p := packet(sys.stdin.buffer)) is not None:
    body = p[4:]
    if body[0] == RENAME:
        old, at = string(body, 5)
        new, _ = string(body, at)
        if new.endswith(name) and not old.endswith(b".previous"):
            status = bytes([STATUS]) + body[1:5] + struct.pack(">I", FAILURE) + struct.pack(">I", 0) * 2
            send(struct.pack(">I", len(status)) + status)
            continue
    server.stdin.write(p)
    server.stdin.flush()
server.stdin.close()
server.wait()
