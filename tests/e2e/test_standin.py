"""The stand-in control on its own, hosted by smokehost through Wine's ATL."""

import os
import unittest

import harness
from harness import fscommand, roundtrip, script


class StandinThroughAtlHost(harness.WineTestCase):
    """One host run covers the whole life of a control: the host sets a blank
    movie, a missing one, then a script that reloads another script from
    inside an event; the second script ends the host."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.second = os.path.join(cls.tmp, "두번째.swf")
        with open(cls.second, "w", encoding="utf-8") as f:
            f.write(script(fscommand("second", "a/b\\c"), fscommand("focus"), fscommand("quit")))
        cls.first = os.path.join(cls.tmp, "first.swf")
        with open(cls.first, "w", encoding="utf-8-sig", newline="\r\n") as f:
            f.write(script(
                "# comment, then a blank line",
                "",
                "probe",
                "resources",
                "jump 3",
                "wait soon",
                fscommand("hello\tx", "world\n한글 {braces}"),
                fscommand("", ""),
                roundtrip(3, "ping"),
                "key Enter",
                "wait 500",
                fscommand("reload", harness.windows_path(cls.second)),
                fscommand("never", "raised"),
            ))
        # Bytes that are no script at all: every line is reported, none runs.
        cls.garbage = os.path.join(cls.tmp, "garbage.swf")
        with open(cls.garbage, "wb") as f:
            f.write(b"\x00\xff\xfe fscommand\x00\n\xc3(\nwait 99999999999\nwait -1\nkey 999\n"
                    b"roundtrip x y\nroundtrip 0 a\tb\nprobe now\n" + b"\xff" * 70000)
        movies = ["about:blank", harness.windows_path(os.path.join(cls.tmp, "missing.swf")),
                  harness.windows_path(cls.garbage), harness.windows_path(cls.first)]
        running = harness.start(os.path.join(harness.BIN, "smokehost.exe"), movies)
        # A picture for people, taken during the pause after the key press.
        if harness.wait_until(lambda: any(e.kind == "key" for e in harness.parse_standin_log(running.standin_log)),
                              20):
            running.screenshot("standin-smoke")
        cls.result = running.wait(40)

    def test_host_ran_to_its_end(self):
        r = self.result
        self.assertCleanExit(r)
        host = [e.values for e in r.of_kind("host")]
        self.assertIn(["ids", "102", "113"], host)
        self.assertIn(["exit", "0"], host)
        self.assertNotIn("fail", [v[0] for v in host], r.describe())

    def test_movies_and_scripts(self):
        r = self.result
        scripts = [e.values for e in r.of_kind("script", 1)]
        self.assertEqual([v[0] for v in scripts],
                         ["blank", "missing", "load", "load", "start", "abandon", "load", "start"],
                         r.describe())
        self.assertEqual(scripts[2][1:], [harness.windows_path(self.garbage), "0"])
        self.assertEqual(scripts[3][1:], [harness.windows_path(self.first), "9"])
        self.assertEqual(scripts[6][1:], [harness.windows_path(self.second), "3"])
        errors = [e.values for e in r.of_kind("script-error", 1)]
        self.assertEqual([line for line, _ in errors], ["1", "2", "3", "4", "5", "6", "7", "8", "9", "5", "6"])
        self.assertEqual(errors[-2:], [["5", "jump 3"], ["6", "wait soon"]])
        puts = [e.values[2] for e in r.of_kind("put", 1) if e.values[0] == "Movie"]
        self.assertEqual(puts, ["about:blank", harness.windows_path(os.path.join(self.tmp, "missing.swf")),
                                harness.windows_path(self.garbage), harness.windows_path(self.first),
                                harness.windows_path(self.second)])

    def test_events_reach_the_sink_in_order(self):
        r = self.result
        expected = [("hello\tx", "world\n한글 {braces}"), ("", ""), ("ping", ""), ("ping", ""), ("ping", ""),
                    ("reload", harness.windows_path(self.second)), ("second", "a/b\\c"), ("focus", ""), ("quit", "")]
        self.assertEqual(r.events(1), expected, r.describe())
        # The host echoes each event inside it; the key press reaches the form.
        echoes = [(e.values[1], e.values[2:]) for e in r.of_kind("setvar", 1) if e.values[0] == "echo"]
        self.assertEqual([v for v, _ in echoes], [c + "|" + a for c, a in expected])
        self.assertTrue(all(flags == ["in-event"] for _, flags in echoes))
        self.assertEqual([v for v in r.variables(1) if v[0] == "key"], [("key", "13")])
        returns = [e.values for e in r.of_kind("event-return", 1)]
        self.assertEqual(returns, [["0x00000000", "sinks=1"]] * len(expected), r.describe())
        self.assertLess(r.standin.index(r.of_kind("shown", 1)[0]), r.standin.index(r.of_kind("event", 1)[0]))

    def test_probe_resources_and_roundtrip(self):
        r = self.result
        probe = r.of_kind("probe", 1)[0].fields()
        self.assertEqual(probe["caption"], "Vellix smoke host 한글")
        self.assertEqual((probe["visible"], probe["zoomed"], probe["iconic"]), ("1", "0", "0"))
        self.assertEqual(probe["screen"], "1024,768")
        self.assertEqual(probe["rect"], "40,30,680,510")
        resources = r.of_kind("resources", 1)[0].fields()
        self.assertGreaterEqual(int(resources["visible"]), 1)
        self.assertGreaterEqual(int(resources["windows"]), int(resources["visible"]))
        trip = r.of_kind("roundtrip", 1)[0].fields()
        self.assertEqual((trip["count"], trip["missed"]), ("3", "0"))
        self.assertLessEqual(int(trip["min"]), int(trip["median"]))
        self.assertLessEqual(int(trip["median"]), int(trip["max"]))

    def test_teardown_outside_events(self):
        r = self.result
        kinds = [e.kind for e in r.standin if e.instance == 1]
        for kind in ("create", "advise", "activate", "focus", "unadvise", "release"):
            self.assertIn(kind, kinds)
        self.assertEqual(kinds[-1], "release")
        self.assertFalse([e for e in r.standin if "during-event" in e.values])


if __name__ == "__main__":
    unittest.main()
