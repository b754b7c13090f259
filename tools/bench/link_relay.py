#!/usr/bin/env python3
"""A relay that models a network link between the programs and a server.

Every connection accepted on LISTEN (address:port) is carried to TARGET
(address:port). Bytes go through at once in size (bandwidth unlimited) but
late in time: each chunk a side sends arrives at the other side half a
round trip later, and a connection's first bytes come one round trip later
still, the time its handshake would have taken. Chunks keep their order and
their delays overlap, as on a wire. When a side closes, the other side is
closed once everything sent before has arrived.

    tools/bench/link_relay.py --listen 127.0.16.1:80 --target 127.0.16.9:80 --round-trip-ms 100

It prints "ready" on standard output once it listens, and runs until
stopped (SIGTERM or SIGINT).
"""
import argparse
import asyncio
import signal
import sys
import time

CHUNK_SIZE = 65536


def address(text):
    host, _, port = text.rpartition(":")
    return host, int(port)


class Direction:
    """One direction of a connection: chunks read from `reader` are written
    to `writer` at their arrival times."""

    def __init__(self, reader, writer, delay, first_delay):
        self.reader = reader
        self.writer = writer
        self.delay = delay
        self.first_delay = first_delay
        self.chunks = asyncio.Queue()

    async def read(self):
        extra = self.first_delay
        while True:
            try:
                data = await self.reader.read(CHUNK_SIZE)
            except (ConnectionError, OSError):
                data = b""
            self.chunks.put_nowait((time.monotonic() + self.delay + extra, data))
            extra = 0.0
            if not data:
                return

    async def deliver(self):
        while True:
            due, data = await self.chunks.get()
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            try:
                if not data:
                    if self.writer.can_write_eof():
                        self.writer.write_eof()
                    else:
                        self.writer.close()
                    return
                self.writer.write(data)
                await self.writer.drain()
            except (ConnectionError, OSError):
                return


async def carry(client_reader, client_writer, target, round_trip):
    half = round_trip / 2
    try:
        server_reader, server_writer = await asyncio.open_connection(*target)
    except OSError:
        client_writer.close()
        return
    # The handshake delays what the client sends first; the server's first
    # answer comes after it has arrived anyway.
    upstream = Direction(client_reader, server_writer, half, round_trip)
    downstream = Direction(server_reader, client_writer, half, 0.0)
    try:
        await asyncio.gather(upstream.read(), upstream.deliver(), downstream.read(), downstream.deliver())
    except asyncio.CancelledError:
        pass  # the relay is stopping: the connection just ends
    for writer in (client_writer, server_writer):
        writer.close()


async def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--listen", type=address, required=True)
    parser.add_argument("--target", type=address, required=True)
    parser.add_argument("--round-trip-ms", type=float, required=True)
    options = parser.parse_args()
    round_trip = options.round_trip_ms / 1000.0

    server = await asyncio.start_server(
        lambda reader, writer: carry(reader, writer, options.target, round_trip), *options.listen)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for signal_number in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(signal_number, stop.set)
    print("ready", flush=True)
    async with server:
        await stop.wait()


if __name__ == "__main__":
    asyncio.run(main())
    sys.exit(0)
