#!/usr/bin/env python3
"""Load generators for bench/live_load_bench.cpp (run by hand, pinned to a core of their own).

  live_load.py keepalive PORT SECONDS    200 keep-alive connections, 16 from each of 127.0.0.2..,
                                         each asking /api/results.json again as soon as answered
  live_load.py nonreading PORT SECONDS   200 connections (16 per address) that send requests and
                                         never read an answer
  live_load.py slowloris PORT SECONDS    300 connections from 127.0.0.1 that send a head one byte a
                                         second and open again when closed
  live_load.py second PORT SECONDS       100 HTTP/1.0 requests from 127.0.0.2, one after the other;
                                         prints "answered N of 100"
"""
import asyncio
import sys
import time

REQUEST = b"GET /api/results.json HTTP/1.1\r\nHost: bench\r\n\r\n"


def addresses(count):
    # 16 connections per address, as many addresses as needed.
    return ["127.0.0.%d" % (2 + i // 16) for i in range(count)]


async def read_answer(reader):
    head = await reader.readuntil(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n"):
        if line.lower().startswith(b"content-length:"):
            length = int(line.split(b":", 1)[1])
    if length:
        await reader.readexactly(length)
    return head


async def keepalive(port, seconds):
    end = time.monotonic() + seconds
    answered = 0

    async def one(source):
        nonlocal answered
        while time.monotonic() < end:
            try:
                reader, writer = await asyncio.open_connection("127.0.0.1", port, local_addr=(source, 0))
                while time.monotonic() < end:
                    writer.write(REQUEST)
                    await read_answer(reader)
                    answered += 1
                writer.close()
            except (OSError, asyncio.IncompleteReadError):
                await asyncio.sleep(0.05)

    await asyncio.gather(*(one(a) for a in addresses(200)))
    print("answered %d" % answered)


async def nonreading(port, seconds):
    end = time.monotonic() + seconds
    writers = []

    async def one(source):
        while time.monotonic() < end:
            try:
                reader, writer = await asyncio.open_connection("127.0.0.1", port, local_addr=(source, 0))
                writers.append(writer)
                while time.monotonic() < end and not writer.is_closing():
                    writer.write(REQUEST * 50)
                    await asyncio.sleep(0.2)
            except OSError:
                await asyncio.sleep(0.2)
        # asyncio would buffer what the socket does not take: the kernel's buffers fill, ours are dropped.

    await asyncio.gather(*(one(a) for a in addresses(200)))
    for w in writers:
        w.transport.abort()


async def slowloris(port, seconds):
    end = time.monotonic() + seconds
    head = b"GET / HTTP/1.1\r\nHost: bench\r\nX-a: " + b"b" * 100

    async def one():
        while time.monotonic() < end:
            try:
                reader, writer = await asyncio.open_connection("127.0.0.1", port)
                for byte in head:
                    if time.monotonic() >= end or writer.is_closing() or reader.at_eof():
                        break
                    writer.write(bytes([byte]))
                    await asyncio.sleep(1)
                writer.transport.abort()
            except OSError:
                await asyncio.sleep(0.1)

    await asyncio.gather(*(one() for _ in range(300)))


async def second(port, seconds):
    answered = 0
    for _ in range(100):
        try:
            reader, writer = await asyncio.wait_for(
                asyncio.open_connection("127.0.0.1", port, local_addr=("127.0.0.2", 0)), 5)
            writer.write(b"GET /api/results.json HTTP/1.0\r\n\r\n")
            head = await asyncio.wait_for(read_answer(reader), 5)
            if head.startswith(b"HTTP/1.1 200"):
                answered += 1
            writer.close()
        except (OSError, asyncio.TimeoutError, asyncio.IncompleteReadError):
            pass
        await asyncio.sleep(seconds / 200)
    print("answered %d of 100" % answered)


def main():
    kind, port, seconds = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    asyncio.run({"keepalive": keepalive, "nonreading": nonreading, "slowloris": slowloris,
                 "second": second}[kind](port, seconds))


if __name__ == "__main__":
    main()
