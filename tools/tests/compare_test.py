#!/usr/bin/env python3
"""Tests of tools/compare against stub programs whose report lines are known,
and once against the real programs of BINDIR when they are there.

Usage: compare_test.py BINDIR
"""

import csv
import io
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
COMPARE = os.path.join(TOOLS, "compare")
BINDIR = None
sys.path.insert(0, TOOLS)
import compare_plot  # noqa: E402

BIPARTITE = "c two on the left, one on the right\np bipartite-matching 2 1 2\na 1 1\na 2 1\n"
NETWORK = "p max 4 3\nn 1 s\nn 4 t\na 1 2 1\na 2 3 1\na 3 4 1\n"
CAPACITATED = "p max 4 3\nn 1 s\nn 4 t\na 1 2 10\na 2 3 5\na 3 4 15\n"
WIDE = "p bipartite-matching 300000 2 1\na 1 1\n"

# Answers "not a bipartite matching network" to a max problem, like the
# matching programs do for a network without the matching shape.
REFUSE_NETWORKS = "grep -q '^p max' && { printf 'not a bipartite matching network'; exit 1; }\n"


def report(*figures):
    return "printf '%8s %8s %8s %8s %8s %11s\\n' " + " ".join(str(f) for f in figures) + "\n"


class CompareTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.bindir = os.path.join(self.dir, "bin")
        os.mkdir(self.bindir)
        self.problems = os.path.join(self.dir, "problems")
        os.mkdir(self.problems)
        for helper in ["timed-run", "safe-write"]:
            os.symlink(os.path.join(BINDIR, helper), os.path.join(self.bindir, helper))

    def tearDown(self):
        shutil.rmtree(self.dir)

    def stub(self, name, body, reads_input=False):
        path = os.path.join(self.bindir, name)
        with open(path, "w") as f:
            f.write("#!/bin/sh\n" + ("" if reads_input else "cat >/dev/null\n") + body)
        os.chmod(path, 0o755)

    def problem(self, name, text):
        path = os.path.join(self.problems, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def compare(self, *args):
        proc = subprocess.run([sys.executable, COMPARE, "--bindir", self.bindir, *args],
                              capture_output=True, text=True, timeout=60)
        return proc.returncode, proc.stdout, proc.stderr

    def table(self, *args):
        status, out, err = self.compare("--csv", *args)
        rows = list(csv.reader(io.StringIO(out)))
        return status, {r[1]: r for r in rows[1:]}, err


class Table(CompareTest):
    def test_markdown_table_has_the_report_figures_and_median_seconds(self):
        counter = os.path.join(self.dir, "count")
        self.stub("augrelabel", f"n=$(cat {counter} 2>/dev/null || echo 0); n=$((n+1)); "
                  f"echo $n > {counter}\ncase $n in 1) s=0.10;; 2) s=0.30;; *) s=0.20;; esac\n"
                  + report(3, 2, 1, 5, 9, "$s"))
        path = self.problem("one.txt", BIPARTITE)
        status, out, err = self.compare("-k", "3", path)
        self.assertEqual(status, 0, err)
        lines = out.splitlines()
        self.assertEqual(lines[0], "| problem | program | nodes | edges | result | counter 1 | "
                                   "counter 2 | seconds | wall s | peak MiB |")
        self.assertEqual(lines[2].split(" | ")[:8],
                         [f"| {path}", "augrelabel", "3", "2", "1", "5", "9", "0.200"])
        self.assertEqual(len(lines), 3)
        wall, peak = lines[2].rstrip(" |").split(" | ")[8:]
        self.assertRegex(wall, r"^\d+\.\d\d\d$")
        self.assertGreater(float(peak), 0)
        self.assertIn("augrelabel", err)

    def test_three_decimals_of_seconds_are_kept(self):
        self.stub("fastmatch", report(3, 2, 1, 5, 9, 0.002))
        status, rows, err = self.table(self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, rows["fastmatch"][7]), (0, "0.002"), err)
        self.assertRegex(rows["fastmatch"][8], r"^\d+\.\d\d\d$")

    def test_peak_memory_is_the_programs_own(self):
        # A shell stub is a megabyte or two; the runner itself is over 15 MiB,
        # which a child forked from it would carry as its peak.
        self.stub("augrelabel", report(3, 2, 1, 5, 9, 0.01))
        status, rows, err = self.table(self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 0, err)
        self.assertLess(float(rows["augrelabel"][9]), 5)

    def test_a_bar_in_a_file_name_is_escaped_in_the_markdown_table(self):
        self.stub("augrelabel", report(3, 2, 1, 5, 9, 0.01))
        path = self.problem("a|b.txt", BIPARTITE)
        status, out, err = self.compare(path)
        self.assertEqual(status, 0, err)
        row = out.splitlines()[2]
        self.assertTrue(row.startswith(f"| {path.replace('|', chr(92) + '|')} | augrelabel | "),
                        row)
        self.assertEqual(len(re.split(r"(?<!\\)\|", row)), 12)

    def test_each_problem_goes_to_the_programs_that_take_it(self):
        self.stub("augrelabel", REFUSE_NETWORKS + "cat >/dev/null\n" + report(3, 2, 1, 0, 0, 0.01),
                  reads_input=True)
        self.stub("match", report(3, 2, 1, 0, 0, 0.01))
        self.stub("unitflow-lifo", report(4, 3, 1, 0, 0, 0.01))
        self.stub("peer-lib-flow", report(4, 3, 1, 0, 0, 0.01))
        for name, text in [("a-bip.txt", BIPARTITE), ("b-net.txt", NETWORK), ("c-wide.txt", WIDE)]:
            self.problem(name, text)
        status, out, err = self.compare("--csv", "--peers", self.problems)
        self.assertEqual(status, 0, err)
        ran = [(os.path.basename(r[0]), r[1]) for r in list(csv.reader(io.StringIO(out)))[1:]]
        self.assertEqual(ran, [("a-bip.txt", "augrelabel"), ("a-bip.txt", "match"),
                               ("a-bip.txt", "peer-lib-flow"), ("b-net.txt", "unitflow-lifo"),
                               ("b-net.txt", "peer-lib-flow"), ("c-wide.txt", "augrelabel"),
                               ("c-wide.txt", "peer-lib-flow")])

    def test_peers_only_on_request(self):
        self.stub("depthmatch", report(3, 2, 1, 0, 0, 0.01))
        self.stub("peer-lib-matching", report(3, 2, 1, 0, 0, 0.01))
        status, rows, _ = self.table(self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, list(rows)), (0, ["depthmatch"]))
        status, rows, _ = self.table("--peers", self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, list(rows)), (0, ["depthmatch", "peer-lib-matching"]))

    def test_named_programs_get_their_options(self):
        self.stub("pushmatch-lifo", 'echo "$@" > ' + os.path.join(self.dir, "args") + "\n"
                  + report(3, 2, 1, 0, 0, 0.01))
        self.stub("depthmatch", report(3, 2, 1, 0, 0, 0.01))
        status, rows, err = self.table("-p", "pushmatch-lifo -i -u 2",
                                       self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, list(rows)), (0, ["pushmatch-lifo -i -u 2"]), err)
        with open(os.path.join(self.dir, "args")) as f:
            self.assertEqual(f.read(), "-i -u 2\n")


class Disagreement(CompareTest):
    def test_a_program_with_a_wrong_size_is_flagged(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.stub("depthmatch", report(3, 2, 2, 0, 0, 0.01))
        status, rows, err = self.table(self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1)
        self.assertIn("programs disagree on the result: augrelabel 1, depthmatch 2", err)
        self.assertEqual(rows["depthmatch"][4], "2")

    def test_matching_size_and_flow_value_of_one_network_are_compared(self):
        self.stub("breadthmatch", report(2, 1, 1, 0, 0, 0.01))
        self.stub("unitflow-fifo", report(4, 3, 0, 0, 0, 0.01))
        status, _, err = self.table(self.problem("p.txt", NETWORK))
        self.assertEqual(status, 1)
        self.assertIn("breadthmatch 1, unitflow-fifo 0", err)

    def test_fine_blocks_of_a_decomposition_peer_are_compared_with_fastmatch(self):
        self.stub("fastmatch", 'if [ "$1" = -d ]; then printf "c blocks 2\\n" > "$2"; fi\n'
                  + report(3, 2, 1, 0, 0, 0.01))
        self.stub("peer-x-dm", report(3, 2, 1, 2, 0, 0.01))
        status, _, err = self.table("--peers", self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 0, err)
        self.stub("peer-x-dm", report(3, 2, 1, 3, 0, 0.01))
        status, _, err = self.table("--peers", self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1)
        self.assertIn("peer-x-dm finds 3 fine blocks, fastmatch -d 2", err)

    def test_results_that_change_between_runs_are_flagged(self):
        self.stub("augrelabel", "echo x >> " + os.path.join(self.dir, "n") + "\n"
                  + report(3, 2, 1, f"$(wc -l < {os.path.join(self.dir, 'n')})", 0, 0.01))
        status, _, err = self.table("-k", "2", self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1)
        self.assertIn("augrelabel: results differ between runs", err)


class FailingPrograms(CompareTest):
    def check_failure(self, body, message, *args):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.stub("depthmatch", body)
        status, rows, err = self.table(*args, self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1, err)
        self.assertIn(f"depthmatch: {message}", err)
        self.assertEqual(rows["augrelabel"][4], "1")
        return rows["depthmatch"]

    def test_non_zero_exit_status(self):
        row = self.check_failure("echo broken; exit 3\n", "exit status 3: broken")
        self.assertEqual(row[4], "FAILED")

    def test_killed_by_a_signal(self):
        self.check_failure("kill -SEGV $$\n", "killed by signal 11")

    def test_no_report_line(self):
        self.check_failure("echo nothing to say\n", "no report line: nothing to say")

    def test_a_message_beside_the_report_line(self):
        row = self.check_failure("echo 'Error: Matching is not maximum!'\n"
                                 + report(3, 2, 1, 0, 0, 0.01), "unexpected output: Error")
        self.assertEqual(row[4], "1")

    def test_timeout(self):
        row = self.check_failure("exec sleep 20\n", "timed out", "--timeout", "0.5")
        self.assertEqual(row[4], "TIMEOUT")

    def test_a_timeout_stops_what_the_program_started(self):
        child = os.path.join(self.dir, "child")
        self.check_failure(f"sleep 30 & echo $! > {child}; wait\n", "timed out",
                           "--timeout", "0.5")
        with open(child) as f:
            pid = f.read().strip()
        for _ in range(50):
            try:
                with open(f"/proc/{pid}/stat") as f:
                    if f.read().rsplit(")", 1)[1].split()[0] == "Z":
                        break
            except FileNotFoundError:
                break
            time.sleep(0.05)
        else:
            self.fail(f"the program's child {pid} still runs")

    def test_a_failed_run_is_not_repeated(self):
        log = os.path.join(self.dir, "runs")
        self.check_failure(f"echo run >> {log}; exit 3\n", "exit status 3", "-k", "3")
        with open(log) as f:
            self.assertEqual(f.read(), "run\n")


class Usage(CompareTest):
    def test_usage_errors_exit_2(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        path = self.problem("p.txt", BIPARTITE)
        cases = [(["-p", "nosuch", path], "no program nosuch"),
                 ([os.path.join(self.dir, "missing")], "no such file or directory"),
                 (["-k", "0", path], "-k must be at least 1"),
                 (["--plot", "out.txt", path], ".svg or .png"),
                 (["-p", "augrelabel 'x", path],
                  "-p \"augrelabel 'x\": No closing quotation"),
                 (["--timeout", "nan", path], "--timeout must be a number of seconds"),
                 (["--timeout", "inf", path], "--timeout must be a number of seconds"),
                 ([self.problem("bad.txt", "p matching 1 1 1\n")], "unknown problem kind")]
        for args, message in cases:
            with self.subTest(args=args):
                status, out, err = self.compare(*args)
                self.assertEqual((status, out), (2, ""))
                self.assertIn(message, err)

    def test_directories_skip_files_without_a_problem_line(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.problem("notes.txt", "just words\n")
        self.problem("p.txt", BIPARTITE)
        status, rows, err = self.table(self.problems)
        self.assertEqual((status, list(rows)), (0, ["augrelabel"]))
        self.assertIn("skipping", err)

    def test_plot(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        target = os.path.join(self.dir, "seconds.svg")
        status, _, err = self.compare("--plot", target, self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 0, err)
        with open(target) as f:
            self.assertIn(">augrelabel</text>", f.read())

    def test_a_plot_that_cannot_be_written_is_refused_before_anything_runs(self):
        log = os.path.join(self.dir, "runs")
        self.stub("augrelabel", f"echo run >> {log}\n" + report(3, 2, 1, 0, 0, 0.01))
        missing = os.path.join(self.dir, "no-such-folder", "seconds.svg")
        status, out, err = self.compare("--plot", missing, self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, out), (2, ""))
        self.assertEqual(err, f"compare: cannot write {missing}: No such file or directory\n")
        self.assertFalse(os.path.exists(log))

    @unittest.skipUnless(os.path.exists("/dev/full"), "no /dev/full")
    def test_a_plot_that_fails_while_written_comes_after_the_table(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        # As root a copy of the device, which a faulty writer could replace
        # without harm.
        full = os.path.join(self.dir, "full.svg")
        if os.geteuid() == 0:
            os.mknod(full, stat.S_IFCHR | 0o666, os.makedev(1, 7))
        else:
            os.symlink("/dev/full", full)
        status, out, err = self.compare("-q", "--plot", full, self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1)
        self.assertIn("augrelabel", out)
        self.assertEqual(err, f"compare: cannot write {full}: No space left on device\n")

    def test_a_plot_over_an_input_is_refused(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        path = self.problem("p.svg", BIPARTITE)
        os.link(path, os.path.join(self.dir, "hard.svg"))
        os.symlink(path, os.path.join(self.dir, "soft.svg"))
        for target in [path, os.path.join(self.dir, "hard.svg"),
                       os.path.join(self.dir, "soft.svg")]:
            with self.subTest(target=target):
                status, out, err = self.compare("--plot", target, path)
                self.assertEqual((status, out), (2, ""))
                self.assertEqual(err, f"compare: --plot {target} is the input file {path}; "
                                      "it is not overwritten\n")
        saved = self.problem("saved.svg", "problem,program\n")
        status, out, err = self.compare("--replot", saved, "--plot", saved)
        self.assertEqual((status, out), (2, ""))
        self.assertIn("is the input file", err)
        for name in ["p.svg", "saved.svg"]:
            with open(os.path.join(self.problems, name)) as f:
                self.assertNotIn("<svg", f.read())


class Runner(CompareTest):
    def test_default_timeout_and_csv_record_of_the_runs(self):
        self.stub("augrelabel", report(3, 2, 1, 5, 9, 0.25))
        status, rows, err = self.table("-k", "2", self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 0, err)
        row = rows["augrelabel"]
        self.assertEqual(row[10], "3 2 1 5 9 0.25; 3 2 1 5 9 0.25")
        self.assertEqual(len(row[11].split()), 2)
        self.assertEqual(row[13:15], ["2", "60"])
        self.assertTrue(row[15])
        self.assertRegex(row[16], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")

    def test_timeout_zero_means_none_and_negative_is_refused(self):
        self.stub("augrelabel", "sleep 1\n" + report(3, 2, 1, 0, 0, 0.01))
        path = self.problem("p.txt", BIPARTITE)
        status, rows, err = self.table("--timeout", "0", path)
        self.assertEqual((status, rows["augrelabel"][4], rows["augrelabel"][14]), (0, "1", "0"))
        status, out, err = self.compare("--timeout", "-1", path)
        self.assertEqual((status, out), (2, ""))
        self.assertIn("--timeout must be a number of seconds, not negative", err)

    def test_progress_counts_runs_and_estimates_the_time_left(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.stub("depthmatch", report(3, 2, 1, 0, 0, 0.01))
        status, _, err = self.compare("-k", "2", self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 0, err)
        counts = re.findall(r"\] (\d+)/(\d+) runs", err)
        self.assertEqual(counts, [(str(n), "4") for n in range(1, 5)])
        self.assertIn("left", err)
        status, _, err = self.compare("-q", self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, err), (0, ""))

    def test_a_problem_is_printed_before_the_next_one_runs(self):
        table = os.path.join(self.dir, "table")
        seen = os.path.join(self.dir, "seen")
        self.stub("augrelabel", f"grep -c a-first {table} >> {seen}\n"
                  + report(3, 2, 1, 0, 0, 0.01))
        self.problem("a-first.txt", BIPARTITE)
        self.problem("b-second.txt", BIPARTITE)
        with open(table, "w") as out:
            subprocess.run([sys.executable, COMPARE, "--bindir", self.bindir, self.problems],
                           stdout=out, stderr=subprocess.DEVNULL, timeout=60, check=True)
        with open(seen) as f:
            self.assertEqual(f.read().split(), ["0", "1"])

    def test_the_first_line_of_a_failing_program_is_kept_whole(self):
        self.stub("augrelabel", "echo 'note: -u value 'x' is not a number; it is read as 0' >&2\n"
                  "echo \"augrelabel: invalid option -- 'x'\" >&2\n"
                  + "echo 'a long usage line that goes on and on' >&2\n" * 20 + "exit 1\n")
        status, _, err = self.table(self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1)
        self.assertIn("augrelabel: exit status 1: augrelabel: invalid option -- 'x'\n", err)


class Selection(CompareTest):
    def test_nothing_to_run_exits_2(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.stub("unitflow-lifo", report(4, 3, 1, 0, 0, 0.01))
        path = self.problem("p.txt", BIPARTITE)
        empty = os.path.join(self.dir, "empty")
        os.mkdir(empty)
        cases = [(["-p", "", path], "-p needs a program name"),
                 (["-p", "unitflow-lifo", path], "unitflow-lifo takes none of the problems"),
                 ([empty], "no problems found"),
                 (["-p", "unitflow-lifo", "-p", "augrelabel", path],
                  "unitflow-lifo takes none of the problems")]
        for args, message in cases:
            with self.subTest(args=args):
                status, out, err = self.compare(*args)
                self.assertEqual((status, out), (2, ""))
                self.assertIn(message, err)

    def test_match_left_out_of_a_problem_beyond_its_tables_is_noted(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.stub("match", report(3, 2, 1, 0, 0, 0.01))
        status, rows, err = self.table(self.problem("wide.txt", WIDE))
        self.assertEqual((status, list(rows)), (0, ["augrelabel"]), err)
        self.assertIn("match is left out of", err)
        self.assertIn("more than 262143 vertices", err)
        status, out, err = self.compare("-p", "match", self.problem("wide.txt", WIDE))
        self.assertEqual((status, out), (2, ""))
        self.assertIn("match is left out of", err)

    def test_capacities_mark_the_unit_versions_rows_and_matching_programs_left_out(self):
        self.stub("augrelabel", "cat >/dev/null\nprintf 'Warning Upper Bound changed to 1\\n"
                  "Warning Upper Bound changed to 1\\nnot a bipartite matching network'\n"
                  "exit 1\n", reads_input=True)
        self.stub("unitflow-fifo", report(4, 3, 1, 0, 0, 0.01))
        self.stub("fastflow", report(4, 3, 5, 0, 0, 0.01))
        # The unit version's value (1) and the network's (5) are two
        # results, each agreed on, not a disagreement.
        status, rows, err = self.table(self.problem("cap.txt", CAPACITATED))
        self.assertEqual((status, list(rows)), (0, ["unitflow-fifo (unit version)", "fastflow"]),
                         err)
        self.assertEqual([rows[p][4] for p in rows], ["1", "5"])
        self.assertIn("has arcs with a capacity other than 1", err)
        self.assertIn("unitflow-fifo) take each capacity as 1", err)
        self.assertNotIn("disagree", err)
        status, rows, err = self.table(self.problem("net.txt", NETWORK))
        self.assertEqual(list(rows), ["unitflow-fifo", "fastflow"])
        self.assertNotIn("capacity", err)


class Plot(CompareTest):
    def row(self, problem, program, result="1", seconds="0.500", report_seconds=None):
        failed = result in ("TIMEOUT", "FAILED")
        return {"problem": problem, "program": program, "nodes": "-" if failed else "3",
                "edges": "-" if failed else "2", "result": result,
                "seconds": "-" if failed else seconds, "timeout": "60",
                "run reports": "-" if failed else f"3 2 1 0 0 {report_seconds or seconds}"}

    def test_marks_for_timeouts_failures_and_the_clocks_resolution(self):
        rows = [self.row("p", "slow", "TIMEOUT"), self.row("p", "broken", "FAILED"),
                self.row("p", "coarse", seconds="0.000", report_seconds="0.00"),
                self.row("p", "fine", seconds="0.000"), self.row("p", "peer-x-matching")]
        (title, points), = compare_plot.panels(rows)
        self.assertEqual(title, "p: 3 nodes, 2 edges")
        self.assertEqual([(p.kind, p.seconds, p.text, p.peer) for p in points],
                         [("timeout", 60.0, "timeout (60 s)", False),
                          ("failed", None, "failed", False),
                          ("resolution", 0.01, "< 0.01", False),
                          ("resolution", 0.001, "< 0.001", False),
                          ("ok", 0.5, "0.500", True)])

    def test_one_panel_per_problem_every_program_named_solid_colours(self):
        rows = [self.row(f"problem-{i}", f"program-{j}", seconds=f"{0.001 * (i + j + 1):.3f}")
                for i in range(15) for j in range(20)]
        rows.append(self.row("problem-0", "peer-x-flow"))
        picture = compare_plot.svg(rows)
        for i in range(15):
            self.assertEqual(picture.count(f">problem-{i}: 3 nodes, 2 edges</text>"), 1)
        self.assertEqual(picture.count(">program-7</text>"), 15)
        fills = set(re.findall(r"fill='(#[0-9A-Fa-f]{6})'", picture))
        self.assertEqual(fills - {compare_plot.INK, "#555555"},
                         {compare_plot.OURS, compare_plot.PEERS})
        self.assertNotIn("pattern", picture)
        width = int(re.search(r"<svg[^>]* width='(\d+)'", picture).group(1))
        self.assertLess(width, 1300)  # two columns of panels, however many programs

    def test_the_plot_file_keeps_its_mode_and_a_symlink_stays_one(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        target = os.path.join(self.dir, "plot.svg")
        with open(target, "w") as f:
            f.write("old")
        os.chmod(target, 0o600)
        link = os.path.join(self.dir, "link.svg")
        os.symlink(target, link)
        status, _, err = self.compare("-q", "--plot", link, self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 0, err)
        self.assertTrue(os.path.islink(link))
        self.assertEqual(os.stat(target).st_mode & 0o777, 0o600)
        with open(target) as f:
            self.assertIn(">augrelabel</text>", f.read())
        self.assertEqual(sorted(os.listdir(self.dir)),
                         sorted(["bin", "problems", "plot.svg", "link.svg"]))

    @unittest.skipIf(compare_plot.png_converter() is None, "rsvg-convert is not installed")
    def test_png(self):
        picture = compare_plot.draw([self.row("p", "fast")], png=True)
        self.assertEqual(picture[:8], b"\x89PNG\r\n\x1a\n")

    def test_replot_draws_a_saved_csv_without_running_anything(self):
        log = os.path.join(self.dir, "runs")
        self.stub("augrelabel", f"echo run >> {log}\n" + report(3, 2, 1, 0, 0, 0.01))
        self.stub("depthmatch", "exec sleep 20\n")
        status, out, err = self.compare("--csv", "--timeout", "0.5",
                                        self.problem("p.txt", BIPARTITE))
        saved = os.path.join(self.dir, "saved.csv")
        with open(saved, "w") as f:
            f.write(out)
        target = os.path.join(self.dir, "again.svg")
        status, out, err = self.compare("--replot", saved, "--plot", target)
        self.assertEqual((status, out), (0, ""), err)
        with open(target) as f:
            self.assertIn("timeout (0.5 s)", f.read())
        with open(log) as f:
            self.assertEqual(f.read(), "run\n")


class RealPrograms(unittest.TestCase):
    def test_the_suite_agrees_on_a_generated_problem(self):
        genbip = os.path.join(BINDIR, "genbip")
        if not os.access(os.path.join(BINDIR, "augrelabel"), os.X_OK):
            self.skipTest("no solver programs built")
        with tempfile.TemporaryDirectory() as dir:
            for name, extra in [("plain.txt", []), ("network.txt", ["--reduction"])]:
                with open(os.path.join(dir, name), "wb") as f:
                    subprocess.run([genbip, "hidden-perfect", "--size", "300", *extra],
                                   stdout=f, check=True)
            proc = subprocess.run([sys.executable, COMPARE, "--bindir", BINDIR, "--csv", dir],
                                  capture_output=True, text=True, timeout=120)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        rows = list(csv.reader(io.StringIO(proc.stdout)))[1:]
        self.assertGreaterEqual(len(rows), 2)
        self.assertEqual({r[4] for r in rows}, {"300"})


if __name__ == "__main__":
    BINDIR = sys.argv.pop(1)
    unittest.main()
