#!/usr/bin/env python3
"""The window and several pivanectl processes on one settings store at once, under load.

pivane runs with the emulated mouse (the window's worker polls it, its pages read the store,
an xdotool thread walks its pages); meanwhile WRITERS pivanectl loops rename their own profile,
set its values, import macros and read back what they stored. Afterwards nothing that a
pivanectl run reported as stored may be missing, every read-back must have shown the writer's
last stored value, no run may die of a signal, and the store must pass integrity_check with
exactly one active profile. The window must still be running.

    store_sharing.py --bin BUILD/bin [--seconds 60] [--writers 3] [--seed N]

Needs a display: run under xvfb-run -a -s "-screen 0 1400x900x24".
"""
import argparse
import json
import os
import random
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

DB_NAME = "ORMAN-Q410_V2_data_v7.db"
KEYS = ["antishake_time", "dpi_index", "dpi_group0_value", "dpi_group1_value", "report_rate"]


class Run:
    def __init__(self, args):
        self.args = args
        self.bin = os.path.abspath(args.bin)
        self.root = tempfile.mkdtemp(prefix="pivane-share-")
        os.makedirs(os.path.join(self.root, "run"), mode=0o700)
        os.makedirs(os.path.join(self.root, "config"))
        self.env = dict(os.environ, HOME=self.root, XDG_RUNTIME_DIR=os.path.join(self.root, "run"),
                        XDG_CONFIG_HOME=os.path.join(self.root, "config"),
                        PIVANE_HOME=self.bin + "/", GSETTINGS_BACKEND="memory", GDK_GL="disable",
                        NO_AT_BRIDGE="1")
        self.db = os.path.join(self.root, "Documents", "ORMAN-QV7 Files", "db", DB_NAME)
        self.sim = os.path.join(self.root, "mouse.state")
        self.findings = []
        self.lock = threading.Lock()
        self.figures = {"runs": 0, "stored": 0, "refused": 0, "readbacks": 0, "page_clicks": 0,
                        "slowest_run_ms": 0}

    def finding(self, text):
        with self.lock:
            self.findings.append(text)
        print("FINDING:", text, flush=True)

    def ctl(self, *words, profile=None, json_out=False):
        cmd = [os.path.join(self.bin, "pivanectl"), "--simulated-mouse=both", "--sim-state", self.sim]
        if profile:
            cmd += ["--profile", str(profile)]
        if json_out:
            cmd.append("--json")
        start = time.monotonic()
        result = subprocess.run(cmd + list(words), env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=120)
        ms = int((time.monotonic() - start) * 1000)
        with self.lock:
            self.figures["runs"] += 1
            self.figures["slowest_run_ms"] = max(self.figures["slowest_run_ms"], ms)
        if result.returncode < 0 or result.returncode > 2:
            self.finding(f"pivanectl {' '.join(words)} ended with {result.returncode}: "
                         f"{result.stderr.decode(errors='replace').strip()[:300]}")
        elif result.returncode == 1 and not result.stderr.strip():
            self.finding(f"pivanectl {' '.join(words)} failed without saying why")
        return result

    # --- writers ------------------------------------------------------------------------------

    def writer(self, index, profile, deadline, seed, state):
        rng = random.Random(seed)
        serial = 0
        while time.monotonic() < deadline:
            serial += 1
            roll = rng.random()
            if roll < 0.35:
                key, value = rng.choice(KEYS), str(rng.randint(1, 6))
                r = self.ctl("config", "set", key, value, profile=profile)
                if r.returncode == 0:
                    state["config"][key] = value
                    self.count("stored")
                else:
                    self.count("refused")
            elif roll < 0.55:
                name = f"w{index}-{serial}"
                r = self.ctl("profile", "rename", str(profile), name)
                if r.returncode == 0:
                    state["name"] = name
                    self.count("stored")
                else:
                    self.count("refused")
            elif roll < 0.7:
                name = f"m{index}-{serial}"
                events = rng.choice([3, 40, 200])
                path = os.path.join(self.root, f"{name}.xml")
                write_macro(path, name, events)
                r = self.ctl("macro", "import", path)
                if r.returncode == 0:
                    state["macros"][name] = 2 * events
                    self.count("stored")
                else:
                    self.count("refused")
            else:
                self.read_back(index, profile, state)

    def read_back(self, index, profile, state):
        r = self.ctl("config", "get", profile=profile, json_out=True)
        if r.returncode != 0:
            self.count("refused")
            return
        try:
            doc = json.loads(r.stdout.decode("utf-8"))
        except ValueError as e:
            self.finding(f"writer {index}: config get --json is not JSON ({e})")
            return
        values = flatten_config(doc)
        for key, value in state["config"].items():
            if values.get(key) != value:
                self.finding(f"writer {index}: profile {profile} {key} reads {values.get(key)!r}, "
                             f"last stored {value!r}")
        self.count("readbacks")

    def count(self, what):
        with self.lock:
            self.figures[what] += 1

    # --- the window ---------------------------------------------------------------------------

    def window_walker(self, deadline, seed):
        """Clicks the page tabs of the main window in turn: every page reloads from the store."""
        rng = random.Random(seed)
        try:
            found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                                    str(self.window.pid)], env=self.env, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, timeout=30)
            ids = found.stdout.decode().split()
        except subprocess.TimeoutExpired:
            ids = []
        if not ids:
            self.finding("the window never showed")
            return
        wid = ids[0]
        while time.monotonic() < deadline and self.window.poll() is None:
            # The device row, then a tab of the page strip (the top band of the 1200 x 720 window).
            x, y = rng.choice([(120, 140), (380, 95), (520, 95), (660, 95), (800, 95), (940, 95)])
            subprocess.run(["xdotool", "mousemove", "--window", wid, str(x), str(y), "click", "1"],
                           env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=30)
            self.count("page_clicks")
            time.sleep(rng.uniform(0.05, 0.4))

    def main(self):
        args = self.args
        print(f"store_sharing: seed {args.seed}, {args.writers} writers, {args.seconds} s, "
              f"folder {self.root}", flush=True)
        # Each writer owns a profile, made before the window holds the device.
        profiles = []
        for i in range(args.writers):
            r = self.ctl("profile", "add", f"writer{i}", json_out=True)
            if r.returncode != 0:
                self.finding(f"profile add writer{i}: {r.stderr.decode(errors='replace')[:200]}")
                return 1
            profiles.append(json.loads(r.stdout.decode())["profile"])
        self.ctl("profile", "activate", "1")
        self.window = subprocess.Popen([os.path.join(self.bin, "pivane"), "--simulated-mouse=both",
                                        "--sim-state", self.sim], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        time.sleep(1.0)
        deadline = time.monotonic() + args.seconds
        rng = random.Random(args.seed)
        states = [{"config": {}, "name": f"writer{i}", "macros": {}} for i in range(args.writers)]
        threads = [threading.Thread(target=self.window_walker, args=(deadline, rng.random()))]
        for i in range(args.writers):
            threads.append(threading.Thread(target=self.writer,
                                            args=(i, profiles[i], deadline, rng.random(), states[i])))
        for t in threads:
            t.start()
        for t in threads:
            t.join()

        alive = self.window.poll() is None
        if not alive:
            self.finding(f"the window ended during the run with {self.window.returncode}: "
                         f"{self.window.stderr.read().decode(errors='replace')[-400:]}")
        else:
            self.window.send_signal(signal.SIGTERM)
            try:
                self.window.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.finding("the window did not end within 20 s of SIGTERM")
                self.window.kill()
                self.window.wait()
        self.check(profiles, states)
        figures = ", ".join(f"{k} {v}" for k, v in self.figures.items())
        print(f"store_sharing: {figures}; window alive to the end: {alive}")
        print(f"store_sharing: {len(self.findings)} findings (seed {args.seed})")
        if not self.findings and not args.keep:
            shutil.rmtree(self.root, ignore_errors=True)
        return 1 if self.findings else 0

    def check(self, profiles, states):
        con = sqlite3.connect(self.db, timeout=10)
        try:
            check = [r[0] for r in con.execute("PRAGMA integrity_check")]
            if check != ["ok"]:
                self.finding(f"integrity_check: {check[:3]}")
            active = con.execute("SELECT count(*) FROM t_profile_data WHERE status = 1").fetchone()[0]
            if active != 1:
                self.finding(f"{active} active profiles")
            for i, (profile, state) in enumerate(zip(profiles, states)):
                row = con.execute("SELECT name FROM t_profile_data WHERE profile = ?",
                                  (profile,)).fetchone()
                if not row or row[0] != state["name"]:
                    self.finding(f"writer {i}: profile {profile} is named {row}, "
                                 f"last stored {state['name']!r}")
                for key, value in state["config"].items():
                    got = con.execute("SELECT value FROM t_configdata WHERE profile = ? AND key = ?",
                                      (profile, key)).fetchall()
                    if [g[0] for g in got] != [value]:
                        self.finding(f"writer {i}: {key} of profile {profile} is {got}, "
                                     f"last stored {value!r}")
                for name, items in state["macros"].items():
                    rows = con.execute("SELECT macro_id FROM t_macro_data WHERE name = ?",
                                       (name,)).fetchall()
                    if len(rows) != 1:
                        self.finding(f"writer {i}: macro {name} stored {len(rows)} times")
                        continue
                    n = con.execute("SELECT count(*) FROM t_macrorecord WHERE macro_id = ?",
                                    rows[0]).fetchone()[0]
                    if n != items:
                        self.finding(f"writer {i}: macro {name} has {n} of its {items} items")
        finally:
            con.close()


def flatten_config(doc):
    """config get --json: {"profile": N, "config": {"key": "value", ...}}."""
    config = doc.get("config", {}) if isinstance(doc, dict) else {}
    return {str(k): str(v) for k, v in config.items()}


def write_macro(path, name, events):
    items = []
    for i in range(events):
        key = 65 + i % 26
        items.append(f'\t\t<item desc="{chr(key)}" type="2" looptype="0" value="{key}" delay_time="{10 + i}" />')
        items.append(f'\t\t<item desc="{chr(key)}" type="3" looptype="0" value="{key}" delay_time="{12 + i}" />')
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<macro>\n'
                f'\t<macroinfo name="{name}" times="1" type="1" looptype="0" delaytime="0" />\n'
                "\t<macroitems>\n" + "\n".join(items) + "\n\t</macroitems>\n</macro>\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--writers", type=int, default=3)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--keep", action="store_true")
    args = parser.parse_args()
    if args.seed is None:
        args.seed = random.SystemRandom().randrange(1 << 31)
    if not os.environ.get("DISPLAY"):
        print("store_sharing: no DISPLAY; run under xvfb-run -a", file=sys.stderr)
        return 2
    return Run(args).main()


if __name__ == "__main__":
    sys.exit(main())
