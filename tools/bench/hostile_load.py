#!/usr/bin/env python3
"""Hostile load against the reference server, with a legitimate client beside it.

Each attack runs for --duration seconds (30 by default; the issue's figures
were taken with 75). While it lasts, a legitimate client on an address of its
own signs in to the demo account in a loop, exactly as the programs post it,
in a process of its own so that the attackers' work does not slow its clock.
The attacks:

  idle             no attack: the legitimate client alone, for comparison
  trickle-head-1   1,030 connections from one address, each sending a request
                   line and a header line, then one more header line every
                   15 s (the head never ends)
  trickle-head-20  the same spread over 20 addresses
  trickle-head-40  the same over 40 addresses: every connection fits under
                   the per-address cap, so the cap in all is what holds
  trickle-body-1   1,030 connections from one address with a complete head
                   (Content-Length: 1000) and a body that grows by a byte
                   every 15 s
  trickle-body-20  the same spread over 20 addresses
  upload-16m       1,000 connections over 40 addresses, each announcing a
                   16 MiB body, sending 1 MiB of it at once, then a byte
                   every 10 s
  upload-1m        the same with 1 MiB announced (within the limit): all but
                   its last KiB sent at once, then a byte every 10 s
  guess            wrong passwords for "demo" from one address, 16 at a time,
                   as fast as the server answers; then the right one
  parens           bodies of 1 MiB, a statement of "(" the parser must read,
                   8 at a time from one address
  parens-40        the same, 600 at a time over 40 addresses: more complete
                   requests than the server can answer
  memory-cap       64 connections from two addresses announcing 1 MiB and
                   sending just under it, and 32 from a third sending 64
                   bytes of a head that never ends: together just under the
                   64 MiB of request memory the server shares out
  descriptors      the server's open-file limit lowered to 64 for the attack
                   (prlimit on its process, restored after); 96 connections
                   from three addresses sending a request line and nothing
                   more
  trailing-bytes   4 clients (an address each) that sign in, post an eight-
                   station query of five years of days and 0.2 s later send
                   the CR LF some HTTP stacks put after a body: each counts
                   whether its reply arrived whole

An attacker's connection that the server closes is opened again after
--reconnect-delay seconds, so the attack keeps its numbers up.

Usage (as root: the server listens on port 80; hold the machine's test lock):

  flock /tmp/tarvex-tests.lock tools/bench/hostile_load.py [--duration 30] [--attacks a,b,...]

starts build/native/server/norda_server on 127.0.20.60:80 with a copy of
build/native/sample/norda.sqlite (and an access log beside it) and stops it
at the end.

  tools/bench/hostile_load.py --target HOST:PORT --pid PID [--access-log FILE]

attacks a server that is already running, also one reached through a proxy
(nginx), with the memory read from process PID (the server itself, not the
proxy). The client addresses are 127.0.49.1 (the legitimate client) and
127.0.50.x upwards (the attackers), bound before connecting; through nginx
the server sees them in X-Real-IP. A guessing address stays held off for
the server's sign-in window (600 s) after a run.

It prints, per attack, the legitimate client's answered share, median and
p99 latency (an unanswered sign-in counts as slower than any answer), the
server's resident memory before, at peak (sampled VmRSS and VmHWM) and
--settle seconds after the attackers left, whether the goals held (every
sign-in answered with p99 under 1 s; memory back within 16 MiB of where it
was), and then what the attackers saw and what the server's access log
recorded; with --json FILE the same figures go to FILE as well. Exit status
1 when the server died or could not be started, or, with --check-goals, when
a goal was missed.
"""
import argparse
import asyncio
import collections
import json
import math
import multiprocessing
import os
import resource
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

SCRIPT_PATH = "/norda/dbcommit.php"
SIGN_IN_BODY = (b"sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' "
                b"AND password = 'tarvex';COMMIT;")
WRONG_SIGN_IN_BODY = (b"sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' "
                      b"AND password = 'guess%d';COMMIT;")
SIGNED_IN_REPLY = b"OK\n10001\n;\n"
NO_ACCOUNT_REPLY = b"OK\n;\n"
PARENS_PREFIX = b"sql=BEGIN;SELECT * FROM st_data_n WHERE "
PARENS_SUFFIX = b"COMMIT;"

MIB = 1 << 20
KIB = 1 << 10
OWN_SERVER_ADDRESS = "127.0.20.60"
OWN_SERVER_PORT = 80
LEGIT_ADDRESS = "127.0.49.1"
FIRST_ATTACKER_NET = 50        # attack i uses 127.0.(50+i).1 upwards
GOAL_P99_SECONDS = 1.0
MEMORY_SLACK_BYTES = 16 * MIB  # "memory returned" when back within this
SAMPLE_SECONDS = 0.1           # how often the server's VmRSS is read
RAMP_SECONDS = 1.0             # attackers' head start on the legitimate client (half a short attack)
IP_BIND_ADDRESS_NO_PORT = 24   # Linux: choose the port at connect, not at bind
REPLY_KEEP_BYTES = 64 * KIB    # more than any refusal; a longer reply is cut here
START_WAIT_SECONDS = 10
END_WAIT_SECONDS = 5           # for a connection to end once an attacker stopped sending
SPARE_FILES = 256              # descriptors beyond the attackers' connections
WIDE_FLOOD_PER_ADDRESS = 15    # parens-40: 600 bodies at once, each address under its cap
CLEAR_PEAK_RSS = "5"           # written to /proc/PID/clear_refs, resets VmHWM
UNFINISHED_HEAD_BYTES = 64     # memory-cap: the heads that never end
SERVER_FILES_UNDER_ATTACK = 64  # descriptors: the server's open-file limit meanwhile
TRAILING_CLIENTS = 4
TRAILER_DELAY_SECONDS = 0.2
EIGHT_STATION_QUERY = (b"sql=BEGIN;" + b" UNION ".join(
    b"SELECT * FROM st_data_h WHERE sChiten = %d AND (d2 >= 1999 AND d2 <= 2003)" % station
    for station in (11001, 11011, 12001, 12011, 13001, 14001, 14011, 15001)) + b";COMMIT;")


# ---------------------------------------------------------------- HTTP pieces

def post_head(host, length):
    return (b"POST " + SCRIPT_PATH.encode() + b" HTTP/1.1\r\nHost: " + host.encode() +
            b"\r\nContent-Type: application/x-www-form-urlencoded\r\n" +
            b"Content-Length: " + str(length).encode() + b"\r\n\r\n")


def post(host, body):
    return post_head(host, len(body)) + body


def closing(request):
    """`request` asking the server to close the connection after its reply."""
    return request.replace(b"\r\n\r\n", b"\r\nConnection: close\r\n\r\n", 1)


def reply_body(reply):
    """The body of a whole HTTP reply, or None when it is not one."""
    head, blank, body = reply.partition(b"\r\n\r\n")
    return body if blank and head.startswith(b"HTTP/1.") else None


def reply_complete(reply):
    """True once `reply` holds a whole reply by its Content-Length: a proxy in
    front may keep the connection open after it, as it does for the programs."""
    head, blank, body = reply.partition(b"\r\n\r\n")
    if not blank:
        return False
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length" and value.strip().isdigit():
            return len(body) >= int(value)
    return False


def status_of(reply):
    """'200 ERROR: request body too large' or '503', from the start of a reply."""
    line = reply.split(b"\r\n", 1)[0].split(b" ")
    if len(line) < 2 or not line[0].startswith(b"HTTP/"):
        return "no reply" if not reply else "garbled reply"
    status = line[1].decode(errors="replace")
    body = reply_body(reply) or b""
    if body.startswith(b"ERROR:"):
        status += " " + body.split(b"\n", 1)[0].decode(errors="replace")
    return status


def client_socket(source, blocking):
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, 1)
    sock.bind((source, 0))
    sock.setblocking(blocking)
    return sock


# ------------------------------------------------------ the legitimate client

def exchange(target, source, request, timeout):
    """Sends one request on a connection of its own; the whole reply, or None."""
    deadline = time.monotonic() + timeout
    try:
        with client_socket(source, True) as sock:
            sock.settimeout(timeout)
            sock.connect(target)
            sock.sendall(request)
            reply = b""
            while not reply_complete(reply):
                sock.settimeout(max(deadline - time.monotonic(), 0.001))
                piece = sock.recv(65536)
                if not piece:
                    break
                reply += piece
            return reply
    except OSError:
        return None


def legitimate_client(target, source, timeout, pause, go, stop, results):
    """From `go` until `stop`, signs in again and again; sends (seconds, outcome) pairs."""
    request = post("%s:%d" % target, SIGN_IN_BODY)
    samples = []
    go.wait()
    while not stop.is_set():
        start = time.monotonic()
        reply = exchange(target, source, request, timeout)
        seconds = time.monotonic() - start
        if reply is None:
            samples.append((seconds, "no answer"))
        elif reply_body(reply) == SIGNED_IN_REPLY:
            samples.append((seconds, "signed in"))
        else:
            samples.append((seconds, status_of(reply) if reply else "closed"))
        stop.wait(pause)
    results.send(samples)


def percentile(sorted_values, fraction):
    """Nearest rank: the smallest value at least `fraction` of the values do not exceed."""
    if not sorted_values:
        return None
    return sorted_values[max(0, math.ceil(fraction * len(sorted_values)) - 1)]


def summarize_legit(samples):
    answered = [s for s, outcome in samples if outcome == "signed in"]
    # An unanswered sign-in ranks as slower than every answer.
    ranked = sorted(answered) + [float("inf")] * (len(samples) - len(answered))
    outcomes = collections.Counter(outcome for _, outcome in samples)
    return {"tries": len(samples), "answered": len(answered), "p50": percentile(ranked, 0.5),
            "p99": percentile(ranked, 0.99), "max": max(answered) if answered else None,
            "outcomes": outcomes}


# ------------------------------------------------------------------ attackers

class AttackStats:
    def __init__(self):
        self.opened = 0
        self.connect_failed = 0
        self.endings = collections.Counter()  # how each connection ended: its reply's status, or none
        self.sent_bytes = 0
        self.notes = []


class Attack:
    """An attack by name; this base kind sends nothing (the idle run)."""

    def __init__(self, name, summary):
        self.name = name
        self.summary = summary


class ConnectionAttack(Attack):
    """Connections that each send `first`, then `piece` every `interval` s,
    from `addresses` addresses (after the first `skip` of the attack's)."""

    def __init__(self, name, summary, connections, addresses, first, piece, interval, skip=0):
        super().__init__(name, summary)
        self.connections = connections
        self.addresses = addresses
        self.first = first
        self.piece = piece
        self.interval = interval
        self.skip = skip


class GroupAttack(Attack):
    """Several kinds of connection at once; with `server_files`, the server's
    open-file limit is lowered to that for the attack."""

    def __init__(self, name, summary, groups, server_files=None):
        super().__init__(name, summary)
        self.groups = groups
        self.connections = sum(group.connections for group in groups)
        self.server_files = server_files


class TrailingAttack(Attack):
    """`parallel` clients, an address each, posting `request` and then `trailer`."""

    def __init__(self, name, summary, parallel, request, trailer):
        super().__init__(name, summary)
        self.parallel = parallel
        self.request = request
        self.trailer = trailer


class GuessAttack(Attack):
    def __init__(self, name, summary, parallel):
        super().__init__(name, summary)
        self.parallel = parallel


class FloodAttack(Attack):
    """`parallel` connections over `addresses` sending `request` back to back."""

    def __init__(self, name, summary, parallel, addresses, request):
        super().__init__(name, summary)
        self.parallel = parallel
        self.addresses = addresses
        self.request = request


async def read_reply(loop, sock, keep=REPLY_KEEP_BYTES):
    """What the server sends until its reply is whole or it closes the
    connection; past `keep` bytes (None: no bound) the rest is dropped."""
    seen = b""
    try:
        while not reply_complete(seen):
            piece = await loop.sock_recv(sock, 65536)
            if not piece:
                break
            seen = (seen + piece)[:keep]
    except OSError:
        pass
    return seen


async def open_from(loop, source, target, stats):
    sock = client_socket(source, False)
    try:
        await loop.sock_connect(sock, target)
    except OSError:
        sock.close()
        stats.connect_failed += 1
        return None
    except BaseException:
        sock.close()
        raise
    stats.opened += 1
    return sock


async def close_after(sock, tasks):
    """Closes `sock` once the reads and writes on it have let it go: the event
    loop unregisters a socket after an operation's cancellation, and by then
    a socket closed earlier may have handed its number to a new one."""
    tasks = [task for task in tasks if task is not None]
    for task in tasks:
        task.cancel()
    await asyncio.gather(*tasks, return_exceptions=True)
    sock.close()


async def trickling_connection(loop, attack, source, target, options, stats):
    """Keeps one attacker connection going until cancelled."""
    while True:
        sock = await open_from(loop, source, target, stats)
        if sock is None:
            await asyncio.sleep(options.reconnect_delay)
            continue
        ending = asyncio.ensure_future(read_reply(loop, sock))
        sending = None
        try:
            data = attack.first
            while not ending.done():
                sending = asyncio.ensure_future(loop.sock_sendall(sock, data))
                await asyncio.wait({sending, ending}, return_when=asyncio.FIRST_COMPLETED)
                if not sending.done() or sending.exception() is not None:
                    break
                stats.sent_bytes += len(data)
                data = attack.piece
                await asyncio.wait({ending}, timeout=attack.interval)
            await asyncio.wait({ending}, timeout=END_WAIT_SECONDS)
            stats.endings[status_of(ending.result()) if ending.done() else "reset or stalled"] += 1
        finally:
            await close_after(sock, (sending, ending))
        await asyncio.sleep(options.reconnect_delay)


async def request_once(loop, source, target, request, stats):
    """Sends one whole request; what came back (b"" for nothing), or None when it could not connect."""
    sock = await open_from(loop, source, target, stats)
    if sock is None:
        return None
    ending = asyncio.ensure_future(read_reply(loop, sock))
    try:
        try:
            await loop.sock_sendall(sock, request)
            stats.sent_bytes += len(request)
        except OSError:
            pass
        return await ending
    finally:
        await close_after(sock, (ending,))


async def flooding_connection(loop, attack, source, target, stats):
    while True:
        seen = await request_once(loop, source, target, attack.request, stats)
        stats.endings[status_of(seen or b"")] += 1


async def guessing_connection(loop, source, target, host, counter, stats):
    while True:
        counter[0] += 1
        seen = await request_once(loop, source, target, post(host, WRONG_SIGN_IN_BODY % counter[0]), stats)
        body = reply_body(seen or b"")
        stats.endings["no account" if body == NO_ACCOUNT_REPLY else status_of(seen or b"")] += 1


async def read_whole_reply(loop, sock):
    """Reads a reply to its Content-Length or the connection's end: 'whole
    reply', 'cut short' (fewer bytes than announced) or the status line."""
    seen = await read_reply(loop, sock, keep=None)
    if reply_complete(seen):
        return "whole reply" if seen.startswith(b"HTTP/1.1 200") else status_of(seen)
    return "cut short" if seen else "no reply"


async def trailing_client(loop, attack, source, target, host, stats):
    """Signs in, then posts the query and its trailer, again and again."""
    while True:
        await request_once(loop, source, target, post(host, SIGN_IN_BODY), stats)
        sock = await open_from(loop, source, target, stats)
        if sock is None:
            await asyncio.sleep(1)
            continue
        ending = asyncio.ensure_future(read_whole_reply(loop, sock))
        try:
            await loop.sock_sendall(sock, attack.request)
            await asyncio.sleep(TRAILER_DELAY_SECONDS)
            await loop.sock_sendall(sock, attack.trailer)
            stats.sent_bytes += len(attack.request) + len(attack.trailer)
        except OSError:
            pass
        try:
            stats.endings[await ending] += 1
        finally:
            await close_after(sock, (ending,))


def attacker_addresses(index, count):
    return ["127.0.%d.%d" % (FIRST_ATTACKER_NET + index, i + 1) for i in range(count)]


async def run_attackers(attack, index, target, options, stats, stop):
    loop = asyncio.get_running_loop()
    host = "%s:%d" % target
    tasks = []
    for group in attack.groups if isinstance(attack, GroupAttack) else [attack]:
        if not isinstance(group, ConnectionAttack):
            break
        sources = attacker_addresses(index, group.skip + group.addresses)[group.skip:]
        for i in range(group.connections):
            tasks.append(trickling_connection(loop, group, sources[i % len(sources)], target, options, stats))
    if isinstance(attack, TrailingAttack):
        sources = attacker_addresses(index, attack.parallel)
        tasks = [trailing_client(loop, attack, source, target, host, stats) for source in sources]
    elif isinstance(attack, GuessAttack):
        source = attacker_addresses(index, 1)[0]
        counter = [0]
        tasks = [guessing_connection(loop, source, target, host, counter, stats) for _ in range(attack.parallel)]
    elif isinstance(attack, FloodAttack):
        sources = attacker_addresses(index, attack.addresses)
        tasks = [flooding_connection(loop, attack, sources[i % len(sources)], target, stats)
                 for i in range(attack.parallel)]
    running = [asyncio.ensure_future(task) for task in tasks]
    await loop.run_in_executor(None, stop.wait)
    for task in running:
        task.cancel()
    await asyncio.gather(*running, return_exceptions=True)
    if isinstance(attack, GuessAttack):
        stats.notes.append("%d wrong passwords sent" % counter[0])
        seen = await request_once(loop, source, target, post(host, SIGN_IN_BODY), stats)
        body = reply_body(seen or b"")
        stats.notes.append("then the right one: " + ("held off (no account)" if body == NO_ACCOUNT_REPLY else
                                                     "signed in" if body == SIGNED_IN_REPLY else status_of(seen or b"")))


def make_attacks(options, host):
    trickle_head_first = b"POST " + SCRIPT_PATH.encode() + b" HTTP/1.1\r\nHost: " + host.encode() + b"\r\n"
    trickle_body_first = post_head(host, 1000) + b"sql=BEGIN;"
    upload_16m_first = post_head(host, 16 * MIB) + b"A" * MIB
    upload_1m_first = post_head(host, MIB) + b"A" * (MIB - KIB)
    parens = PARENS_PREFIX + b"(" * (MIB - len(PARENS_PREFIX) - len(PARENS_SUFFIX)) + PARENS_SUFFIX
    n, spread, uploads = options.connections, options.addresses, options.uploads
    wide = 2 * spread  # 1,030 over 40 addresses: each under the per-address cap

    def trickle_head(addresses):
        return ConnectionAttack("trickle-head-%d" % addresses,
                                "%d connections over %d address(es), a header line every %g s" %
                                (n, addresses, options.trickle_interval),
                                n, addresses, trickle_head_first, b"X-Trickle: 1\r\n", options.trickle_interval)

    def trickle_body(addresses):
        return ConnectionAttack("trickle-body-%d" % addresses,
                                "%d connections over %d address(es), whole head, a body byte every %g s" %
                                (n, addresses, options.trickle_interval),
                                n, addresses, trickle_body_first, b"A", options.trickle_interval)

    unfinished = trickle_head_first + b"X-Pad: "
    unfinished += b"a" * (UNFINISHED_HEAD_BYTES - len(unfinished))
    # With the unfinished heads, the bodies fill all but a sign-in of 64 MiB.
    nearly_1m = post_head(host, MIB)
    nearly_1m += b"(" * (MIB - len(nearly_1m) - UNFINISHED_HEAD_BYTES // 2 - 2)
    memory_cap = GroupAttack("memory-cap", "64 connections from 2 addresses, just under 1 MiB of 1 MiB each; "
                             "32 heads of 64 bytes from a third", [
                                 ConnectionAttack("", "", 64, 2, nearly_1m, b"(", options.upload_interval),
                                 ConnectionAttack("", "", 32, 1, unfinished, b"", 3600, skip=2)])
    descriptors = GroupAttack("descriptors", "the server's open-file limit at %d; 96 request lines from 3 "
                              "addresses" % SERVER_FILES_UNDER_ATTACK, [
                                  ConnectionAttack("", "", 96, 3, trickle_head_first, b"", 3600)],
                              server_files=SERVER_FILES_UNDER_ATTACK)
    trailing = TrailingAttack("trailing-bytes", "4 clients: an 8-station query, then CR LF 0.2 s later",
                              TRAILING_CLIENTS, closing(post(host, EIGHT_STATION_QUERY)), b"\r\n")
    return [
        Attack("idle", "no attack"),
        trickle_head(1), trickle_head(spread), trickle_head(wide),
        trickle_body(1), trickle_body(spread),
        ConnectionAttack("upload-16m", "%d connections over %d addresses, 1 MiB of 16 MiB, then a byte every %g s" %
                         (uploads, wide, options.upload_interval),
                         uploads, wide, upload_16m_first, b"A", options.upload_interval),
        ConnectionAttack("upload-1m", "%d connections over %d addresses, 1 MiB less 1 KiB of 1 MiB, "
                         "then a byte every %g s" % (uploads, wide, options.upload_interval),
                         uploads, wide, upload_1m_first, b"A", options.upload_interval),
        GuessAttack("guess", "wrong passwords from one address, %d at a time, then the right one" %
                    options.guess_parallel, options.guess_parallel),
        FloodAttack("parens", "1 MiB bodies of \"(\", %d at a time from one address" % options.parens_parallel,
                    options.parens_parallel, 1, post(host, parens)),
        FloodAttack("parens-%d" % wide, "1 MiB bodies of \"(\", %d at a time over %d addresses" %
                    (WIDE_FLOOD_PER_ADDRESS * wide, wide), WIDE_FLOOD_PER_ADDRESS * wide, wide, post(host, parens)),
        memory_cap, descriptors, trailing,
    ]


# ------------------------------------------------------------ server memory

def read_status(pid):
    """VmRSS and VmHWM of `pid` in bytes, or None when the process is gone."""
    try:
        with open("/proc/%d/status" % pid) as status:
            fields = dict(line.split(":", 1) for line in status if ":" in line)
    except OSError:
        return None
    return {key: int(fields[key].split()[0]) * KIB for key in ("VmRSS", "VmHWM") if key in fields}


def cpu_seconds(pid):
    try:
        with open("/proc/%d/stat" % pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
    except OSError:
        return None
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def reset_peak(pid):
    """Starts VmHWM afresh; False when the system does not let us."""
    try:
        with open("/proc/%d/clear_refs" % pid, "w") as clear:
            clear.write(CLEAR_PEAK_RSS)
        return True
    except OSError:
        return False


class MemorySampler(threading.Thread):
    """The highest VmRSS of `pid` seen until `done` is set."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid = pid
        self.peak = 0
        self.done = threading.Event()

    def run(self):
        while not self.done.is_set():
            status = read_status(self.pid)
            if status is None:
                return
            self.peak = max(self.peak, status.get("VmRSS", 0))
            self.done.wait(SAMPLE_SECONDS)


# ------------------------------------------------------------- access log

def log_tally(path, offset):
    """Counts of 'client: kind outcome' in the access log from `offset` on."""
    tally = collections.Counter()
    if not path:
        return tally
    try:
        with open(path, "rb") as log:
            log.seek(offset)
            data = log.read()
    except OSError:
        return tally
    # Lines read "TIME ADDRESS KIND OUTCOME... 1.23ms FATE"; a reply not
    # delivered is counted apart.
    for line in data.decode(errors="replace").splitlines():
        words = line.split(" ")
        if len(words) >= 6:
            who = "legit" if words[1] == LEGIT_ADDRESS else "attackers"
            tally["%s %s" % (who, " ".join(words[2:-2]))] += 1
            if words[-1] == "not-delivered":
                tally["%s reply not delivered" % who] += 1
    return tally


def log_end(path):
    try:
        return os.path.getsize(path) if path else 0
    except OSError:
        return 0


# ------------------------------------------------------------------ one run

def run_attack(attack, index, target, pid, options):
    """Runs one attack with the legitimate client beside it; its figures, or None when the server is gone."""
    before = read_status(pid)
    if before is None:
        return None
    # The legitimate client's process is forked before any thread starts here.
    context = multiprocessing.get_context("fork")
    go, stop_legit = context.Event(), context.Event()
    receiving, sending = context.Pipe(duplex=False)
    legit = context.Process(target=legitimate_client, args=(target, LEGIT_ADDRESS, options.legit_timeout,
                                                            options.legit_pause, go, stop_legit, sending),
                            daemon=True)
    legit.start()

    peak_reset = reset_peak(pid)
    cpu_before = cpu_seconds(pid)
    log_offset = log_end(options.access_log)
    sampler = MemorySampler(pid)
    sampler.start()
    stats = AttackStats()
    files_before = None
    if getattr(attack, "server_files", None):
        # The soft limit only: the hard one could not be raised again.
        soft, hard = resource.prlimit(pid, resource.RLIMIT_NOFILE)
        files_before = resource.prlimit(pid, resource.RLIMIT_NOFILE, (attack.server_files, hard))
    stop_attack = threading.Event()
    attackers = threading.Thread(target=lambda: asyncio.run(
        run_attackers(attack, index, target, options, stats, stop_attack)), daemon=True)
    attackers.start()
    time.sleep(min(RAMP_SECONDS, options.duration / 2))
    go.set()
    time.sleep(options.duration)
    stop_legit.set()
    samples = receiving.recv()
    legit.join()
    stop_attack.set()
    attackers.join()
    if files_before is not None:
        resource.prlimit(pid, resource.RLIMIT_NOFILE, files_before)

    time.sleep(options.settle)
    sampler.done.set()
    sampler.join()
    after = read_status(pid)
    cpu_after = cpu_seconds(pid)
    return {
        "legit": summarize_legit(samples),
        "before": before.get("VmRSS"),
        "peak": sampler.peak,
        "hwm": after.get("VmHWM") if after and peak_reset else None,
        "after": after.get("VmRSS") if after else None,
        "alive": after is not None,
        "stats": stats,
        "log": log_tally(options.access_log, log_offset),
        "cpu": cpu_after - cpu_before if cpu_after is not None and cpu_before is not None else None,
    }


def mib(value):
    return "-" if value is None else "%.1f" % (value / MIB)


def ms(value):
    if value is None:
        return "-"
    return "unanswered" if value == float("inf") else "%.0f" % (value * 1000)


def goals_missed(result):
    legit = result["legit"]
    missed = []
    if not result["alive"]:
        return ["server gone"]
    if legit["tries"] == 0 or legit["answered"] < legit["tries"]:
        missed.append("sign-ins unanswered")
    if legit["p99"] is None or legit["p99"] >= GOAL_P99_SECONDS:
        missed.append("p99")
    if result["after"] is None or result["after"] > result["before"] + MEMORY_SLACK_BYTES:
        missed.append("memory kept")
    return missed


def print_table(rows):
    header = ("attack", "sign-ins", "answered", "p50 ms", "p99 ms", "max ms", "RSS before", "peak RSS",
              "VmHWM", "RSS after", "goals")
    table = [header]
    for name, result in rows:
        legit = result["legit"]
        share = "%.1f%%" % (100.0 * legit["answered"] / legit["tries"]) if legit["tries"] else "-"
        missed = goals_missed(result)
        table.append((name, str(legit["tries"]), share, ms(legit["p50"]), ms(legit["p99"]), ms(legit["max"]),
                      mib(result["before"]), mib(result["peak"]), mib(result["hwm"]), mib(result["after"]),
                      "met" if not missed else "MISSED: " + ", ".join(missed)))
    widths = [max(len(row[i]) for row in table) for i in range(len(header))]
    print("\nmemory in MiB; latency of the legitimate client's sign-ins in ms")
    for i, row in enumerate(table):
        print("  ".join(cell.ljust(widths[j]) if j == 0 else cell.rjust(widths[j]) for j, cell in enumerate(row)))
        if i == 0:
            print("  ".join("-" * w for w in widths))


def print_details(attack, result):
    stats = result["stats"]
    print("\n%s: %s" % (attack.name, attack.summary))
    legit = result["legit"]
    print("  legitimate client: " + ", ".join("%s %d" % item for item in legit["outcomes"].most_common()))
    if stats.opened or stats.connect_failed:
        print("  attackers: %d connections opened, %d connects failed, %.1f MiB sent" %
              (stats.opened, stats.connect_failed, stats.sent_bytes / MIB))
        print("  how their connections ended: " +
              ", ".join("%s %d" % item for item in stats.endings.most_common()))
    for note in stats.notes:
        print("  " + note)
    if result["cpu"] is not None:
        print("  server CPU time: %.1f s" % result["cpu"])
    if result["log"]:
        print("  access log: " + ", ".join("%s %d" % item for item in result["log"].most_common(8)))


def write_json(path, rows):
    """The figures of every attack, in bytes and seconds (an unanswered p99 is null)."""
    def finite(value):
        return None if value is None or value == float("inf") else value

    figures = []
    for attack, result in rows:
        legit, stats = result["legit"], result["stats"]
        figures.append({
            "attack": attack.name, "summary": attack.summary, "goals_missed": goals_missed(result),
            "legit": {"tries": legit["tries"], "answered": legit["answered"], "p50": finite(legit["p50"]),
                      "p99": finite(legit["p99"]), "max": legit["max"], "outcomes": dict(legit["outcomes"])},
            "memory": {key: result[key] for key in ("before", "peak", "hwm", "after")},
            "attackers": {"opened": stats.opened, "connect_failed": stats.connect_failed,
                          "sent_bytes": stats.sent_bytes, "endings": dict(stats.endings), "notes": stats.notes},
            "server_cpu_seconds": result["cpu"], "access_log": dict(result["log"]),
        })
    with open(path, "w") as out:
        json.dump(figures, out, indent=1)


# ---------------------------------------------------------- our own server

class OwnServer:
    """norda_server of the native build on a fresh copy of the sample database."""

    def __init__(self, build, address, port, extra):
        self.folder = tempfile.mkdtemp(prefix="tarvex-hostile.")
        database = os.path.join(self.folder, "norda.sqlite")
        shutil.copyfile(os.path.join(build, "sample", "norda.sqlite"), database)
        self.access_log = os.path.join(self.folder, "access.log")
        self.errors = open(os.path.join(self.folder, "server.err"), "w+b")
        self.process = subprocess.Popen(
            [os.path.join(build, "server", "norda_server"), "--address", address, "--port", str(port),
             "--database", database, "--access-log", self.access_log] + extra,
            stderr=self.errors)
        self.pid = self.process.pid

    def wait_listening(self):
        deadline = time.monotonic() + START_WAIT_SECONDS
        while time.monotonic() < deadline and self.process.poll() is None:
            self.errors.seek(0)
            if b"serving" in self.errors.read():
                return True
            time.sleep(0.05)
        return False

    def errors_text(self):
        self.errors.seek(0)
        return self.errors.read().decode(errors="replace")

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(START_WAIT_SECONDS + 5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.errors.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def parse_target(text):
    host, _, port = text.rpartition(":")
    return host, int(port)


def parse_options(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Hostile load against the reference server (see the header).")
    parser.add_argument("--target", type=parse_target, help="HOST:PORT of a running server or proxy")
    parser.add_argument("--pid", type=int, help="with --target: the server process whose memory is read")
    parser.add_argument("--access-log", help="with --target: the server's access log, for its tallies")
    parser.add_argument("--build", default=os.path.join(here, "..", "..", "build", "native"),
                        help="native build folder holding server/ and sample/ (build/native)")
    parser.add_argument("--server-option", action="append", default=[],
                        help="a further option for our own server, e.g. --server-option=--request-time=5 "
                             "(NAME=VALUE; may be repeated)")
    parser.add_argument("--attacks", help="comma-separated names (all); see the header")
    parser.add_argument("--duration", type=float, default=30, help="seconds each attack lasts (30)")
    parser.add_argument("--settle", type=float, default=5,
                        help="seconds after the attackers left until memory is read again (5)")
    parser.add_argument("--connections", type=int, default=1030, help="trickling connections (1030)")
    parser.add_argument("--addresses", type=int, default=20, help="addresses of the spread trickles (20)")
    parser.add_argument("--uploads", type=int, default=1000, help="slow uploads (1000)")
    parser.add_argument("--trickle-interval", type=float, default=15, help="seconds between trickled pieces (15)")
    parser.add_argument("--upload-interval", type=float, default=10, help="seconds between upload bytes (10)")
    parser.add_argument("--reconnect-delay", type=float, default=1,
                        help="seconds before an attacker opens a closed connection again (1)")
    parser.add_argument("--guess-parallel", type=int, default=16, help="guessing connections at once (16)")
    parser.add_argument("--parens-parallel", type=int, default=8,
                        help="1 MiB parenthesis bodies at once from one address (8)")
    parser.add_argument("--legit-timeout", type=float, default=5, help="seconds a sign-in may take (5)")
    parser.add_argument("--legit-pause", type=float, default=0.2, help="seconds between sign-ins (0.2)")
    parser.add_argument("--check-goals", action="store_true", help="exit 1 when a goal was missed")
    parser.add_argument("--json", help="also write the figures to this file")
    options = parser.parse_args(argv)
    if (options.target is None) != (options.pid is None):
        parser.error("--target and --pid go together")
    return options, parser


def raise_open_file_limit():
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft < hard:
        resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    return hard


def choose_attacks(attacks, options, parser):
    if not options.attacks:
        return attacks
    by_name = {attack.name: attack for attack in attacks}
    names = [name.strip() for name in options.attacks.split(",") if name.strip()]
    unknown = [name for name in names if name not in by_name]
    if unknown:
        parser.error("unknown attack(s): %s; known: %s" % (", ".join(unknown), ", ".join(by_name)))
    return [by_name[name] for name in names]


def start_own_server(options):
    """Starts our own server and points the options at it; None when it does not come up."""
    extra = []
    for option in options.server_option:
        name, _, value = option.partition("=")
        extra += [name, value]
    server = OwnServer(options.build, OWN_SERVER_ADDRESS, OWN_SERVER_PORT, extra)
    if not server.wait_listening():
        print("hostile_load: the server did not start:\n" + server.errors_text(), file=sys.stderr)
        server.stop()
        return None
    options.target = (OWN_SERVER_ADDRESS, OWN_SERVER_PORT)
    options.pid = server.pid
    options.access_log = server.access_log
    return server


def main(argv):
    options, parser = parse_options(argv)
    # Stopped from outside, still stop our own server on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    host = "%s:%d" % (options.target or (OWN_SERVER_ADDRESS, OWN_SERVER_PORT))
    attacks = make_attacks(options, host)
    chosen = choose_attacks(attacks, options, parser)
    needed = max([getattr(a, "connections", getattr(a, "parallel", 0)) for a in chosen] + [0]) + SPARE_FILES
    if raise_open_file_limit() < needed:
        print("hostile_load: the open file limit is below %d" % needed, file=sys.stderr)
        return 2

    server = None
    if options.target is None:
        server = start_own_server(options)
        if server is None:
            return 1
    print("target %s:%d, server process %d, %g s an attack, %g s to settle" %
          (options.target[0], options.target[1], options.pid, options.duration, options.settle))
    start = read_status(options.pid)
    print("server resident memory at the start: %s MiB" % mib(start.get("VmRSS") if start else None))
    rows, lost = [], False
    try:
        for attack in chosen:
            index = [a.name for a in attacks].index(attack.name)
            print("running %s ..." % attack.name, flush=True)
            result = run_attack(attack, index, options.target, options.pid, options)
            if result is None or not result["alive"]:
                print("hostile_load: the server process is gone (during %s)" % attack.name, file=sys.stderr)
                lost = True
                break
            rows.append((attack, result))
    finally:
        if server is not None:
            if server.process.poll() is not None:
                print("server exit status %s; its standard error:\n%s" %
                      (server.process.returncode, server.errors_text()), file=sys.stderr)
                lost = True
            server.stop()

    print_table([(attack.name, result) for attack, result in rows])
    for attack, result in rows:
        print_details(attack, result)
    if options.json:
        write_json(options.json, rows)
    missed = any(goals_missed(result) for _, result in rows)
    return 1 if lost or (options.check_goals and missed) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
