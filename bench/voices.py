#!/usr/bin/env python3
"""Measures the Italian voices the tutor could read with, on this machine.

  bench/voices.py [--lines N]

For espeak-ng (one process a sentence, as its command line runs it) and for
festival's Italian diphone voices (pc, lp) run as one child the way the tutor
would run it (`festival --pipe`, ISO-8859-1 text, a WAV file per sentence,
its output line-buffered):
the time from the request to the whole sentence's audio, the CPU time and
the largest resident memory, and how the yes/no questions end
(tests/e2e/pitch.py). Wrong words come from tests/pronunciation/check.py.
"""

import argparse
import json
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import pitch  # noqa: E402

QUESTIONS = [
    "Hai fratelli o sorelle?",
    "Fa anche i turni di notte?",
    "Va in ufficio in macchina?",
    "Serve anche il pane?",
    "Devo cambiare treno?",
    "Volete anche un antipasto?",
    "Segui il calcio?",
    "Avete anche qualcosa di analcolico?",
]


def corpus_lines(spoken):
    with open(os.path.join(ROOT, "src", "content", "dialogues.json"), encoding="utf-8") as f:
        data = json.load(f)
    return [(e[2] if spoken and len(e) > 2 else e[0]).strip()
            for d in data["dialogues"] for e in d["lines"]]


def question_end(wav):
    samples, rate = pitch.samples_of(wav, 0)
    tracked = pitch.track(samples, rate)
    last = tracked[-1][0]
    end = statistics.median(hz for t, hz in tracked if t > last - pitch.END_S)
    before = sorted(hz for t, hz in tracked if last - pitch.END_S - pitch.BEFORE_S < t <= last - pitch.END_S)
    median = statistics.median(hz for _, hz in tracked)
    return pitch.semitones(end, median), pitch.semitones(end, before[len(before) // 10])


class Espeak:
    name = "espeak-ng"

    def __init__(self):
        self.peak_kb = 0

    def say(self, text, wav):
        started = time.perf_counter()
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run(["espeak-ng", "-v", "it", "-w", wav, text], check=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        self.peak_kb = max(self.peak_kb, after.ru_maxrss)
        return time.perf_counter() - started, (after.ru_utime + after.ru_stime) - (before.ru_utime + before.ru_stime)

    def close(self):
        return self.peak_kb


class Festival:
    def __init__(self, voice):
        self.name = f"festival {voice}_diphone (child)"
        self.child = subprocess.Popen(["stdbuf", "-oL", "festival", "--pipe"], stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.send(f"(voice_{voice}_diphone)")
        self.say("Pronto.", os.devnull)  # the voice loads on first use

    def send(self, command):
        self.child.stdin.write((command + '\n(format t "ok\\n")\n').encode("iso-8859-1", "replace"))
        self.child.stdin.flush()
        while self.child.stdout.readline().strip() != b"ok":
            pass

    def cpu(self):
        with open(f"/proc/{self.child.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def say(self, text, wav):
        quoted = text.replace("\\", "\\\\").replace('"', '\\"')
        cpu = self.cpu()
        started = time.perf_counter()
        self.send(f'(utt.save.wave (SynthText "{quoted}") "{wav}" \'riff)')
        return time.perf_counter() - started, self.cpu() - cpu

    def close(self):
        with open(f"/proc/{self.child.pid}/status") as f:
            peak = next(int(line.split()[1]) for line in f if line.startswith("VmHWM"))
        self.child.stdin.close()
        self.child.wait()
        return peak


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lines", type=int, default=199)
    args = parser.parse_args()
    work = tempfile.mkdtemp()
    wav = os.path.join(work, "line.wav")
    print("| engine | median s per sentence (whole audio) | CPU s for the lines | peak memory MB | question end vs median, st | rise over its last 0.55 s, st |")
    print("|---|---|---|---|---|---|")
    engines = [Espeak]
    if shutil.which("festival"):
        engines += [lambda: Festival("pc"), lambda: Festival("lp")]
    else:
        print("(festival is not installed: apt-get install festival festvox-itapc16k festvox-italp16k)")
    for make in engines:
        engine = make()
        spoken = isinstance(engine, Espeak)
        times, cpu = [], 0.0
        for text in corpus_lines(spoken)[:args.lines]:
            took, used = engine.say(text, wav)
            times.append(took)
            cpu += used
        ends, rises = [], []
        for text in QUESTIONS:
            engine.say(text, wav)
            end, rise = question_end(wav)
            ends.append(end)
            rises.append(rise)
        peak = engine.close()
        print(f"| {engine.name} | {statistics.median(times):.3f} | {cpu:.1f} | {peak / 1024:.0f} | "
              f"{statistics.median(ends):+.1f} ({min(ends):+.1f} to {max(ends):+.1f}) | "
              f"{statistics.median(rises):+.1f} ({min(rises):+.1f} to {max(rises):+.1f}) |")


if __name__ == "__main__":
    main()
