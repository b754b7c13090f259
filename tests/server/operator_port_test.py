#!/usr/bin/env python3
"""The operator's view of norda_server: a real Prometheus scrapes
--metrics-address and finds the requests of a scripted mix counted by kind
and outcome; /healthz follows whether the database answers; systemd's
watchdog, stood in for by a notify socket of the test's own, hears the
event loop and hears it fall silent when the process is stopped.

Runs inside tools/harness/with_postgres.sh (TARVEX_POSTGRES) for the health check
on a PostgreSQL database whose server processes the test can stop.
"""
import json
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("TARVEX_BUILD_DIR") or os.path.join(ROOT, "build", "native")
SERVER = os.path.join(BUILD, "server", "norda_server")
SAMPLE = os.path.join(BUILD, "sample", "norda.sqlite")
ADDRESS = os.environ["TEST_ADDRESS_SERVER_OPERATOR_PORT"]
HEALTH_ADDRESS = os.environ["TEST_ADDRESS_SERVER_OPERATOR_PORT_HEALTH"]
WATCHDOG_ADDRESS = os.environ["TEST_ADDRESS_SERVER_OPERATOR_PORT_WATCHDOG"]
PORT = 8080
METRICS_PORT = 9464
PROMETHEUS_PORT = 9090
SCRIPT = "/norda/dbcommit.php"
WAIT_SECONDS = 30

SIGN_IN = "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = '%s';"
USAGE = "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'60');"
MONTHLY = "SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '2026-12%';"
OBSERVATION = "SELECT * FROM st_data_t WHERE sChiten = 11001"


def post(statement, port=PORT, address=ADDRESS):
    body = ("sql=BEGIN;" + statement + "COMMIT;").encode()
    with urllib.request.urlopen("http://%s:%d%s" % (address, port, SCRIPT), body, timeout=10) as reply:
        return reply.read().decode("cp932")


def get(url):
    try:
        with urllib.request.urlopen(url, timeout=10) as reply:
            return reply.status, reply.read().decode()
    except urllib.error.HTTPError as refused:
        return refused.code, refused.read().decode()


def start_server(database, address, port, metrics_port, environment=None):
    """The server of this build; returns the process once it listens."""
    process = subprocess.Popen(
        [SERVER, "--database", database, "--address", address, "--port", str(port),
         "--metrics-address", "%s:%d" % (address, metrics_port)],
        stderr=subprocess.PIPE, text=True, env=environment)
    line = process.stderr.readline()
    if not line.startswith("norda_server: serving"):
        process.kill()
        process.wait()
        raise AssertionError("the server did not start: " + line + process.stderr.read())
    return process


def stop(process):
    process.send_signal(signal.SIGCONT)
    process.terminate()
    process.wait(timeout=30)


class PrometheusScrape(unittest.TestCase):
    """The mix: 3 good and 2 wrong sign-ins, 2 usage records, 1 monthly sum,
    2 observation queries of 60 rows, and one GET the front refuses."""

    EXPECTED_REQUESTS = {
        ("sign-in", "ok"): 3, ("sign-in", "refused"): 2, ("usage", "ok"): 2,
        ("monthly-usage", "ok"): 1, ("observation", "ok"): 2, ("-", "refused"): 1,
    }

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="tarvex-operator-port-")
        database = os.path.join(cls.folder, "norda.sqlite")
        shutil.copy(SAMPLE, database)
        cls.server = start_server(database, ADDRESS, PORT, METRICS_PORT)
        config = os.path.join(cls.folder, "prometheus.yml")
        with open(config, "w") as out:
            out.write("global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
                      "scrape_configs:\n  - job_name: norda\n    static_configs:\n"
                      "      - targets: ['%s:%d']\n" % (ADDRESS, METRICS_PORT))
        cls.prometheus = subprocess.Popen(
            ["prometheus", "--config.file=" + config, "--storage.tsdb.path=" + os.path.join(cls.folder, "data"),
             "--web.listen-address=%s:%d" % (ADDRESS, PROMETHEUS_PORT)],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.rows = cls.send_mix()

    @classmethod
    def send_mix(cls):
        for _ in range(3):
            assert post(SIGN_IN % "tarvex") == "OK\n10001\n;\n"
        for _ in range(2):
            assert post(SIGN_IN % "wrong") == "OK\n;\n"
        for _ in range(2):
            assert post(USAGE) == "OK\n;\n"
        assert post(MONTHLY).startswith("OK\n")
        rows = 0
        for _ in range(2):
            reply = post(OBSERVATION)
            rows += reply.count("\n") - 2
        assert get("http://%s:%d%s" % (ADDRESS, PORT, SCRIPT))[0] == 405
        return rows

    @classmethod
    def tearDownClass(cls):
        cls.prometheus.terminate()
        cls.prometheus.wait(timeout=30)
        stop(cls.server)
        shutil.rmtree(cls.folder, ignore_errors=True)

    def query(self, expression):
        """The instant vector of `expression` as {labels: value}."""
        url = "http://%s:%d/api/v1/query?%s" % (ADDRESS, PROMETHEUS_PORT,
                                                  urllib.parse.urlencode({"query": expression}))
        try:
            status, body = get(url)
        except OSError:
            return {}
        if status != 200:
            return {}
        result = json.loads(body)["data"]["result"]
        return {tuple(sorted((k, v) for k, v in entry["metric"].items() if k not in ("instance", "job"))):
                float(entry["value"][1]) for entry in result}

    def settled(self, expression, expected):
        """Waits until Prometheus's value of `expression` is `expected`."""
        deadline = time.time() + WAIT_SECONDS
        value = None
        while time.time() < deadline:
            value = self.query(expression)
            if value == expected:
                break
            time.sleep(0.5)
        return value

    def test_the_target_is_up(self):
        self.assertEqual({(("__name__", "up"),): 1.0}, self.settled("up", {(("__name__", "up"),): 1.0}))

    def test_requests_by_kind_and_outcome_are_those_sent(self):
        expected = {(("kind", kind), ("outcome", outcome)): float(count)
                    for (kind, outcome), count in self.EXPECTED_REQUESTS.items()}
        self.assertEqual(expected, self.settled("sum by (kind, outcome) (norda_requests_total)", expected))

    def test_refused_sign_ins_rows_and_latencies_are_counted(self):
        self.assertEqual({(): 2.0}, self.settled("sum(norda_sign_in_failures_total)", {(): 2.0}))
        self.assertGreater(self.rows, 0)
        self.assertEqual({(): float(self.rows)},
                         self.settled("sum(norda_rows_served_total)", {(): float(self.rows)}))
        observed = {(("kind", "observation"),): 2.0, (("kind", "sign-in"),): 5.0}
        self.assertEqual(observed, self.settled(
            'sum by (kind) (norda_request_duration_seconds_count{kind=~"observation|sign-in"})', observed))
        received = self.settled("sum(norda_received_bytes_total) > 0", None)
        self.assertTrue(received, "bytes in are counted")
        self.assertEqual({(): 1.0}, self.settled("count(norda_build_info)", {(): 1.0}))


class HealthCheck(unittest.TestCase):
    """/healthz on a PostgreSQL database: 200 while the database answers,
    503 within about a second once its server processes are stopped."""

    @unittest.skipUnless(os.environ.get("TARVEX_POSTGRES"), "runs inside tools/harness/with_postgres.sh")
    def test_healthz_follows_the_database(self):
        database = os.environ["TARVEX_POSTGRES"] + " dbname=norda_sample"
        server = start_server(database, HEALTH_ADDRESS, PORT, METRICS_PORT)
        health = "http://%s:%d/healthz" % (HEALTH_ADDRESS, METRICS_PORT)
        backends = []
        try:
            self.assertEqual((200, "ok\n"), get(health))
            self.assertEqual(404, get("http://%s:%d/other" % (HEALTH_ADDRESS, METRICS_PORT))[0])
            listed = subprocess.run(
                ["psql", "-X", "-At", os.environ["TARVEX_POSTGRES"] + " dbname=postgres", "-c",
                 "SELECT pid FROM pg_stat_activity WHERE datname = 'norda_sample'"],
                capture_output=True, text=True, check=True)
            backends = [int(pid) for pid in listed.stdout.split()]
            self.assertTrue(backends)
            for pid in backends:
                os.kill(pid, signal.SIGSTOP)
            started = time.time()
            status, _ = get(health)
            self.assertEqual(503, status)
            self.assertLess(time.time() - started, 3)
        finally:
            for pid in backends:
                os.kill(pid, signal.SIGCONT)
        deadline = time.time() + WAIT_SECONDS
        while get(health)[0] != 200 and time.time() < deadline:
            time.sleep(0.2)
        self.assertEqual(200, get(health)[0])
        stop(server)


class Watchdog(unittest.TestCase):
    """WATCHDOG_USEC of 2 s: pings come about every second from the loop, and
    none while the process is stopped, past the watchdog time."""

    WATCHDOG_SECONDS = 2

    @staticmethod
    def receive_until(notify, wanted):
        """The messages up to `wanted` (the loop may ping in between)."""
        messages = []
        while wanted not in messages:
            messages.append(notify.recv(4096))
        return messages

    def test_the_loop_pings_and_a_stopped_one_is_noticed(self):
        folder = tempfile.mkdtemp(prefix="tarvex-watchdog-")
        database = os.path.join(folder, "norda.sqlite")
        shutil.copy(SAMPLE, database)
        notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        path = os.path.join(folder, "notify")
        notify.bind(path)
        environment = dict(os.environ, NOTIFY_SOCKET=path, WATCHDOG_USEC=str(self.WATCHDOG_SECONDS * 1000000))
        server = start_server(database, WATCHDOG_ADDRESS, PORT, METRICS_PORT, environment)
        try:
            notify.settimeout(self.WATCHDOG_SECONDS)
            self.assertIn(b"READY=1", self.receive_until(notify, b"READY=1"))
            pings = [notify.recv(4096) for _ in range(3)]
            self.assertEqual([b"WATCHDOG=1"] * 3, pings, "an idle server's loop pings on its own")

            server.send_signal(signal.SIGSTOP)
            while True:  # what was sent before the stop
                notify.settimeout(0.1)
                try:
                    notify.recv(4096)
                except socket.timeout:
                    break
            notify.settimeout(self.WATCHDOG_SECONDS * 1.5)
            with self.assertRaises(socket.timeout, msg="a stopped loop must not ping"):
                notify.recv(4096)

            server.send_signal(signal.SIGCONT)
            notify.settimeout(self.WATCHDOG_SECONDS)
            self.assertEqual(b"WATCHDOG=1", notify.recv(4096), "pings come back with the loop")
            server.terminate()
            self.assertIn(b"STOPPING=1", self.receive_until(notify, b"STOPPING=1"))
        finally:
            stop(server)
            notify.close()
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
