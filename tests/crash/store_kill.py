#!/usr/bin/env python3
"""kill -9 of pivanectl and pivane at random moments while they write the settings store.

After every kill the store must pass PRAGMA integrity_check, hold exactly one active profile,
and still hold every row it held before, except the rows the interrupted command was meant to
change (which show either their old or their new contents: a command is all or nothing). A
pivane that was killed must not leave its single-instance lock behind.

    store_kill.py --bin BUILD/bin [--kills 300] [--seed N] [--pivane-share 0.2]

pivane needs a display: run under xvfb-run -a. Prints the seed and the figures; exit 1 on any
finding.
"""
import argparse
import os
import random
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

DB_NAME = "ORMAN-Q410_V2_data_v7.db"
MACRO_TABLES = ("t_macro_data", "t_macrorecord")


class Store:
    """Every row of every table, keyed by table and rowid."""

    def __init__(self, path):
        self.path = path

    def exists(self):
        return os.path.exists(self.path) and os.path.getsize(self.path) > 0

    def read(self):
        # Read-write, as the next start of the program opens it: a journal left by the kill is
        # rolled back here exactly as it would be there.
        con = sqlite3.connect(self.path, timeout=10)
        try:
            check = [r[0] for r in con.execute("PRAGMA integrity_check")]
            tables = {}
            for (name,) in con.execute("SELECT name FROM sqlite_master WHERE type='table'"):
                tables[name] = {r[0]: r[1:] for r in con.execute(f'SELECT rowid, * FROM "{name}"')}
            return check, tables
        finally:
            con.close()


def active_profiles(tables):
    rows = tables.get("t_profile_data", {})
    # columns: profile, name, status, app, type
    return sum(1 for r in rows.values() if r[2] == 1)


class Rig:
    def __init__(self, args):
        self.args = args
        self.bin = os.path.abspath(args.bin)
        self.root = tempfile.mkdtemp(prefix="pivane-crash-")
        os.makedirs(os.path.join(self.root, "run"), mode=0o700)
        os.makedirs(os.path.join(self.root, "config"))
        self.env = dict(os.environ, HOME=self.root, XDG_RUNTIME_DIR=os.path.join(self.root, "run"),
                        XDG_CONFIG_HOME=os.path.join(self.root, "config"),
                        PIVANE_HOME=self.bin + "/", GSETTINGS_BACKEND="memory", GDK_GL="disable",
                        NO_AT_BRIDGE="1")
        self.env.pop("XDG_DOCUMENTS_DIR", None)
        self.store = Store(os.path.join(self.root, "Documents", "ORMAN-QV7 Files", "db", DB_NAME))
        self.sim = os.path.join(self.root, "mouse.state")
        self.rng = random.Random(args.seed)
        self.findings = []
        self.figures = {"kills": 0, "finished_first": 0, "pivanectl": 0, "pivane": 0,
                        "rolled_back": 0, "committed": 0, "fresh_store": 0, "claims_checked": 0,
                        "stale_lock": 0}
        self.durations = {}
        self.serial = 0

    def ctl_args(self, *words, profile=None):
        cmd = [os.path.join(self.bin, "pivanectl"), "--simulated-mouse=both", "--sim-state", self.sim]
        if profile:
            cmd += ["--profile", str(profile)]
        return cmd + list(words)

    def run(self, cmd, timeout=60):
        return subprocess.run(cmd, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=timeout)

    def finding(self, text):
        self.findings.append(text)
        print("FINDING:", text, flush=True)

    # --- the writes ---------------------------------------------------------------------------

    def macro_file(self, events):
        self.serial += 1
        path = os.path.join(self.root, f"macro{self.serial}.xml")
        items = []
        for i in range(events):
            key = 65 + i % 26
            items.append(f'\t\t<item desc="{chr(key)}" type="2" looptype="0" value="{key}" delay_time="{10 + i}" />')
            items.append(f'\t\t<item desc="{chr(key)}" type="3" looptype="0" value="{key}" delay_time="{12 + i}" />')
        with open(path, "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<macro>\n'
                    f'\t<macroinfo name="crash {self.serial}" times="1" type="1" looptype="0" delaytime="0" />\n'
                    "\t<macroitems>\n" + "\n".join(items) + "\n\t</macroitems>\n</macro>\n")
        return path, 2 * events

    def pick_write(self, tables):
        """A command and a judge of what it may have changed: judge(before, after) -> problem or None."""
        profiles = sorted(tables.get("t_profile_data", {}).values(), key=lambda r: r[0])
        ids = [r[0] for r in profiles] or [1]
        kind = self.rng.choice(["add", "rename", "config", "activate", "macro", "dpi", "restore",
                                "rate"] if len(ids) < 12 else
                               ["rename", "config", "activate", "macro", "dpi", "rate", "restore"])
        self.serial += 1
        tag = f"k{self.serial}"
        if kind == "add":
            return kind, self.ctl_args("profile", "add", tag), judge_add(tag)
        if kind == "rename":
            target = self.rng.choice(ids)
            return kind, self.ctl_args("profile", "rename", str(target), tag), judge_columns(
                {"t_profile_data": {"rows": lambda r: r[0] == target, "cols": {1}}})
        if kind == "config":
            target = self.rng.choice(ids)
            key = self.rng.choice(["antishake_time", "report_rate", "dpi_index", "mousespeed"])
            value = str(self.rng.randint(0, 3))
            return kind, self.ctl_args("config", "set", key, value, profile=target), judge_columns(
                {"t_configdata": {"rows": lambda r, t=target, k=key: r[1] == t and r[2] == k,
                                  "cols": {3}}})
        if kind == "activate":
            target = self.rng.choice(ids)
            return kind, self.ctl_args("profile", "activate", str(target)), judge_columns(
                {"t_profile_data": {"rows": lambda r: True, "cols": {2}}})
        if kind == "rate":
            return kind, self.ctl_args("rate", self.rng.choice(["125", "250", "500", "1000"])), \
                judge_columns({"t_configdata": {"rows": lambda r: r[2] == "report_rate", "cols": {3}}})
        if kind == "dpi":
            level = self.rng.randint(1, 6)
            return kind, self.ctl_args("dpi", str(level), str(100 * self.rng.randint(1, 120))), \
                judge_columns({"t_configdata": {"rows": lambda r: True, "cols": {3}}})
        if kind == "macro":
            path, items = self.macro_file(self.rng.choice([5, 60, 300]))
            return kind, self.ctl_args("macro", "import", path), judge_macro(items)
        return kind, self.ctl_args("restore-defaults"), judge_restore

    # --- one kill -----------------------------------------------------------------------------

    def snapshot(self, label):
        if not self.store.exists():
            return None
        check, tables = self.store.read()
        if check != ["ok"]:
            self.finding(f"{label}: integrity_check says {check[:3]}")
        return tables

    def kill_after(self, cmd, delay):
        proc = subprocess.Popen(cmd, env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)
        try:
            proc.wait(timeout=delay)
            finished = True
        except subprocess.TimeoutExpired:
            proc.send_signal(signal.SIGKILL)
            finished = False
        proc.wait(timeout=60)
        err = proc.stderr.read().decode(errors="replace")
        proc.stderr.close()
        return finished, proc.returncode, err

    def calibrate(self, kind, cmd):
        """How long the command takes when left alone (kept per kind, the slowest seen)."""
        if kind in self.durations:
            return self.durations[kind]
        start = time.monotonic()
        subprocess.run(cmd, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120)
        self.durations[kind] = time.monotonic() - start
        return self.durations[kind]

    def kill_pivanectl(self, n):
        before = self.snapshot(f"kill {n} before")
        if before is None:
            self.finding(f"kill {n}: no store to start from")
            return
        kind, cmd, judge = self.pick_write(before)
        if kind not in self.durations:
            # The first of each kind runs to the end; its timing places the later kills.
            self.calibrate(kind, cmd)
            self.after_write(n, kind, before, judge, finished=True, code=0, err="")
            return
        delay = self.rng.uniform(0, self.durations[kind] * 0.95)
        finished, code, err = self.kill_after(cmd, delay)
        self.figures["pivanectl"] += 1
        self.after_write(n, kind, before, judge, finished, code, err)

    def after_write(self, n, kind, before, judge, finished, code, err):
        if finished:
            self.figures["finished_first"] += 1
        else:
            self.figures["kills"] += 1
        after = self.snapshot(f"kill {n} ({kind}) after")
        if after is None:
            self.finding(f"kill {n} ({kind}): the store is gone")
            return
        if active_profiles(after) != 1:
            self.finding(f"kill {n} ({kind}): {active_profiles(after)} active profiles")
        problem = judge(before, after)
        if problem:
            self.finding(f"kill {n} ({kind}, {'finished' if finished else 'killed'}): {problem}")
        changed = before != after
        self.figures["committed" if changed else "rolled_back"] += 1
        if finished and code == 0:
            # It said it was done: the write is there.
            self.figures["claims_checked"] += 1
            if not changed and kind in ("add", "macro"):
                self.finding(f"kill {n} ({kind}): reported success, stored nothing")
            if kind == "restore" and "state" in FACTORY and \
                    {t: r for t, r in after.items() if t not in MACRO_TABLES} != FACTORY["state"]:
                self.finding(f"kill {n} (restore): reported success, factory state not stored")

    def kill_pivane(self, n):
        fresh = self.rng.random() < 0.3
        if fresh:
            shutil.rmtree(os.path.dirname(self.store.path), ignore_errors=True)
            self.figures["fresh_store"] += 1
        before = self.snapshot(f"pivane {n} before")
        cmd = [os.path.join(self.bin, "pivane"), "--simulated-mouse=both", "--sim-state", self.sim]
        delay = self.rng.uniform(0.05, self.args.pivane_window)
        finished, code, err = self.kill_after(cmd, delay)
        self.figures["pivane"] += 1
        self.figures["kills" if not finished else "finished_first"] += 1
        if finished:
            self.finding(f"pivane {n} ended by itself with {code}: {err.strip()[:300]}")
        # The next start (here pivanectl) must find a usable store and no lock held by the dead.
        result = self.run(self.ctl_args("status"))
        if result.returncode != 0:
            self.figures["stale_lock"] += 1
            self.finding(f"pivane {n}: pivanectl status after the kill failed: "
                         f"{result.stderr.decode(errors='replace').strip()[:300]}")
        if not self.store.exists():
            # Killed before it created the store: the next start creates it.
            self.run(self.ctl_args("profile", "list"))
        after = self.snapshot(f"pivane {n} after")
        if after is None:
            self.finding(f"pivane {n}: no store after the next start")
            return
        if active_profiles(after) != 1:
            self.finding(f"pivane {n}: {active_profiles(after)} active profiles")
        if before is not None:
            lost = lost_rows(before, after)
            if lost:
                self.finding(f"pivane {n}: start-up lost or changed {lost}")

    def main(self):
        print(f"store_kill: seed {self.args.seed}, {self.args.kills} kills, folder {self.root}",
              flush=True)
        result = self.run(self.ctl_args("profile", "list"))
        if result.returncode != 0 or not self.store.exists():
            self.finding("the first pivanectl run created no store: " +
                         result.stderr.decode(errors="replace")[:300])
            return 1
        start = time.monotonic()
        # Runs that end before their kill do not count: go on until that many were killed.
        n = 0
        while self.figures["kills"] < self.args.kills and n < 4 * self.args.kills + 20:
            if self.rng.random() < self.args.pivane_share:
                self.kill_pivane(n)
            else:
                self.kill_pivanectl(n)
            n += 1
            if len(self.findings) > 20:
                break
        elapsed = time.monotonic() - start
        figures = ", ".join(f"{k} {v}" for k, v in self.figures.items())
        timings = ", ".join(f"{k} {v * 1000:.0f} ms" for k, v in sorted(self.durations.items()))
        print(f"store_kill: {elapsed:.1f} s; {figures}\nstore_kill: unkilled run times: {timings}")
        print(f"store_kill: {len(self.findings)} findings (seed {self.args.seed})")
        if not self.findings and not self.args.keep:
            shutil.rmtree(self.root, ignore_errors=True)
        return 1 if self.findings else 0


# --- judges ---------------------------------------------------------------------------------

def lost_rows(before, after, allowed=None):
    """Rows of before that after lacks or holds changed, outside what allowed() permits."""
    lost = []
    for table, rows in before.items():
        now = after.get(table, {})
        for rowid, row in rows.items():
            other = now.get(rowid)
            if other == row:
                continue
            if allowed and other is not None and allowed(table, row, other):
                continue
            lost.append(f"{table}[{rowid}] {row} -> {other}")
    return lost[:4]


def judge_columns(rules):
    """Only the named columns of the matching rows may change; nothing may be added or lost."""
    def allowed(table, row, other):
        rule = rules.get(table)
        if not rule or not rule["rows"](row):
            return False
        return all(row[i] == other[i] for i in range(len(row)) if i not in rule["cols"])

    def judge(before, after):
        lost = lost_rows(before, after, allowed)
        if lost:
            return f"lost or changed {lost}"
        for table, rows in after.items():
            added = set(rows) - set(before.get(table, {}))
            if added and table != "sqlite_sequence":
                return f"{table} gained rows {sorted(added)[:4]}"
        return None
    return judge


def judge_add(name):
    def judge(before, after):
        allow_status = lambda table, row, other: (table == "t_profile_data" and row[:2] == other[:2]
                                                  and row[3:] == other[3:]) or table == "sqlite_sequence"
        lost = lost_rows(before, after, allow_status)
        if lost:
            return f"lost or changed {lost}"
        new = [r for k, r in after.get("t_profile_data", {}).items()
               if k not in before.get("t_profile_data", {})]
        if not new:
            return None if after.get("t_profile_data") == before.get("t_profile_data") else \
                "the active profile moved without a new profile"
        if len(new) != 1 or new[0][1] != name:
            return f"unexpected new profiles {new}"
        if new[0][2] != 1:
            return "the new profile is not the active one"
        config = sum(1 for r in after.get("t_configdata", {}).values() if r[1] == new[0][0])
        if config < 55:
            return f"the new profile has only {config} configuration rows"
        return None
    return judge


def judge_macro(items):
    def judge(before, after):
        lost = lost_rows(before, after, lambda t, r, o: t == "sqlite_sequence")
        if lost:
            return f"lost or changed {lost}"
        old = before.get("t_macro_data", {})
        new = [k for k in after.get("t_macro_data", {}) if k not in old]
        records = [r for k, r in after.get("t_macrorecord", {}).items()
                   if k not in before.get("t_macrorecord", {})]
        if not new:
            return f"{len(records)} items without their macro" if records else None
        if len(new) != 1:
            return f"{len(new)} macros from one import"
        mine = [r for r in records if r[1] == new[0]]  # record_id, macro_id, ...
        if len(mine) != items or len(records) != items:
            return f"a macro with {len(mine)} of its {items} items ({len(records)} new items)"
        return None
    return judge


FACTORY = {}


def judge_restore(before, after):
    # All or nothing: the macros stay either way; everything else is either as before or the
    # factory state (which every completed restore leaves identical).
    for table in MACRO_TABLES:
        if before.get(table) != after.get(table):
            return f"{table} changed"
    rest = {t: r for t, r in after.items() if t not in MACRO_TABLES}
    if rest == {t: r for t, r in before.items() if t not in MACRO_TABLES}:
        return None
    if "state" not in FACTORY:
        FACTORY["state"] = rest
        return None
    if rest != FACTORY["state"]:
        diff = [t for t in set(rest) | set(FACTORY["state"]) if rest.get(t) != FACTORY["state"].get(t)]
        return f"neither the old nor the factory state (tables {sorted(diff)})"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="the program folder holding pivanectl and pivane")
    parser.add_argument("--kills", type=int, default=300, help="runs killed before their end")
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--pivane-share", type=float, default=0.2)
    parser.add_argument("--pivane-window", type=float, default=2.5,
                        help="kill pivane within this many seconds of its start")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()
    if args.seed is None:
        args.seed = random.SystemRandom().randrange(1 << 31)
    if args.pivane_share > 0 and not os.environ.get("DISPLAY"):
        print("store_kill: no DISPLAY; run under xvfb-run -a (or --pivane-share 0)", file=sys.stderr)
        return 2
    return Rig(args).main()


if __name__ == "__main__":
    sys.exit(main())
