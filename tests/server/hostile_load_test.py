#!/usr/bin/env python3
"""tools/bench/hostile_load.py in a short run with small numbers against the
server of this build: the server outlives every attack, the legitimate
client's sign-ins are all answered (its wait is not timed here: speed is
what the full run's figures show), and each attack meets the refusal it
should: slow connections closed without a reply, an oversized upload told
so, a guesser held off even with the right password, a statement of
parentheses refused, a client pushed off its share of request memory told
the server is busy, connections beyond the descriptors giving way without a
reply, and a reply followed by a client's stray CR LF still arriving whole.
"""
import json
import os
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TOOL = os.path.join(ROOT, "tools", "bench", "hostile_load.py")
BUILD = os.environ.get("TARVEX_BUILD_DIR") or os.path.join(ROOT, "build", "native")
ATTACKS = ["trickle-head-1", "upload-16m", "guess", "parens", "memory-cap", "descriptors", "trailing-bytes"]
SMALL_RUN = ["--duration", "1", "--settle", "0.3", "--connections", "80", "--uploads", "40",
             "--addresses", "4", "--legit-timeout", "30"]


class ShortHostileRun(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as folder:
            figures = os.path.join(folder, "figures.json")
            cls.run_result = subprocess.run(
                [sys.executable, TOOL, "--build", BUILD, "--attacks", ",".join(ATTACKS), "--json", figures] +
                SMALL_RUN, capture_output=True, text=True)
            cls.figures = {}
            if os.path.exists(figures):
                with open(figures) as data:
                    cls.figures = {entry["attack"]: entry for entry in json.load(data)}

    def test_the_server_outlives_every_attack_and_answers_every_sign_in(self):
        self.assertEqual(0, self.run_result.returncode, self.run_result.stderr)
        self.assertEqual(ATTACKS, list(self.figures))
        for name, entry in self.figures.items():
            legit = entry["legit"]
            self.assertGreater(legit["tries"], 0, name)
            self.assertEqual({"signed in": legit["tries"]}, legit["outcomes"], name)
            self.assertIsNotNone(entry["memory"]["after"], name)
            self.assertGreater(entry["attackers"]["opened"], 0, name)

    def test_each_attack_meets_its_refusal(self):
        refusals = {
            "trickle-head-1": "no reply",
            "upload-16m": "200 ERROR: request body too large",
            "parens": "200 ERROR: statement not allowed",
            "guess": "no account",
            "memory-cap": "503 ERROR: the server is busy",
            "descriptors": "no reply",
            "trailing-bytes": "whole reply",
        }
        for name, ending in refusals.items():
            endings = self.figures.get(name, {}).get("attackers", {}).get("endings", {})
            self.assertEqual([ending], list(endings), name)

    def test_a_guesser_is_held_off_even_with_the_right_password(self):
        guess = self.figures.get("guess", {})
        self.assertIn("then the right one: held off (no account)", guess.get("attackers", {}).get("notes", []))
        log = guess.get("access_log", {})
        self.assertGreaterEqual(log.get("attackers sign-in refused: no such account", 0), 10)
        self.assertGreater(log.get("attackers sign-in refused: throttled", 0), 0)


if __name__ == "__main__":
    unittest.main()
