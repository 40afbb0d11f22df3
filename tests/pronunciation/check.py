#!/usr/bin/env python3
"""Lists every corpus word a speech engine says otherwise than reference.tsv.

Each Italian line goes to the engine exactly as the parrot is given it (its
spoken form where it has one, else the written line), the engine's phonemes
are split into words and each word is compared with the reference: the
stressed vowel, the quality of a stressed e or o, s against z and ts against
dz, and single against double consonants; a line with a figure in it is
listed too, as its numbers must be spelled out. Exit status: 0 when no word is
listed, 1 when some are, 77 when the engine is not installed.

  check.py [--engine espeak|festival-pc|festival-lp] [--written] [--counts]
           [--corpus FILE] [--reference FILE]
"""

import argparse
import concurrent.futures
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_CORPUS = os.path.join(HERE, "..", "..", "src", "content", "dialogues.json")
DEFAULT_REFERENCE = os.path.join(HERE, "reference.tsv")
SKIPPED = 77

VOWELS = set("aeɛioɔuəyæɑ")
# One sound written with two symbols.
UNITS = ("tʃ", "dʒ", "ts", "dz")
# Variants that are one sound of Italian for what this check compares:
# espeak-ng's lax unstressed i and u, its tapped r, n before k, g, f and v.
SAME = str.maketrans({"ɡ": "g", "ɾ": "r", "ɪ": "i", "ʊ": "u", "ŋ": "n", "ɱ": "n"})
# Always long between vowels in Italian, so written once in the comparison.
INHERENTLY_LONG = ("ʎ", "ɲ", "ʃ", "ts", "dz")


def segments(ipa):
    """The sounds of one word and the index of its stressed vowel (None when
    it has none): the primary stress, else a secondary one."""
    text = ipa.translate(SAME)
    sounds, primary, secondary, pending = [], None, None, None
    i = 0
    while i < len(text):
        c = text[i]
        if c in "ˈˌ":
            pending = pending or c
            i += 1
            continue
        if c == "ː":
            # A long consonant is a double one; a long affricate is its stop
            # and itself, as written in the reference (ˈfattʃo).
            if sounds and sounds[-1] not in VOWELS:
                last = sounds[-1]
                sounds.insert(len(sounds) - 1, last[0]) if last in UNITS else sounds.append(last)
            i += 1
            continue
        unit = next((u for u in UNITS if text.startswith(u, i)), None)
        sound = unit or c
        i += len(sound)
        if not (sound.isalpha() or sound in UNITS):
            continue
        if sound in VOWELS and pending:
            if pending == "ˈ" and primary is None:
                primary = len(sounds)
            elif pending == "ˌ" and secondary is None:
                secondary = len(sounds)
            pending = None
        sounds.append(sound)
    stress = primary if primary is not None else secondary
    # A glide and a vowel in hiatus are not told apart here.
    sounds = [{"j": "i", "w": "u"}.get(s, s) for s in sounds]
    merged = []
    for s in sounds:
        if merged and s in ("tʃ", "dʒ") and merged[-1] == s:
            merged[-1] = s[0]  # a long affricate written twice is its stop and itself
        if merged and s in INHERENTLY_LONG and merged[-1] in (s, s[0]) and s != merged[-1][0] * 2:
            if stress is not None and len(merged) <= stress:
                stress -= 1
            merged[-1] = s
            continue
        merged.append(s)
    return merged, stress


def neutral(sounds, stress):
    """Unstressed e and o have one quality in Italian."""
    if stress is None:
        return list(sounds)
    return [{"ɛ": "e", "ɔ": "o"}.get(s, s) if i != stress else s for i, s in enumerate(sounds)]


def differs(reference, heard):
    """What is wrong in `heard` against `reference`, or an empty text."""
    ref, ref_stress = segments(reference)
    got, got_stress = segments(heard)
    problems = []
    if ref_stress is not None and got_stress is not None and ref_stress != got_stress:
        problems.append("stress")
    # A word said without stress (a clitic, an article) is checked for
    # its sounds only, with the reference's stress.
    at = ref_stress if ref_stress is not None else got_stress
    if neutral(ref, at) != neutral(got, at if got_stress is None else got_stress):
        problems.append("sounds")
    return " and ".join(problems)


def words_of(line):
    """The words of a line as the reference lists them: lower case, without
    punctuation, an elided article kept with its word ("l'autobus")."""
    chunks = [re.sub(r"[^\w']", "", c).lower() for c in line.split()]
    return [c for c in chunks if c]


def load_corpus(path, written):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    lines = []
    for dialogue in data["dialogues"]:
        for entry in dialogue["lines"]:
            spoken = entry[2] if len(entry) > 2 and not written else entry[0]
            lines.append((entry[0], spoken))
    return lines


def load_reference(path):
    reference = {}
    with open(path, encoding="utf-8") as f:
        for number, row in enumerate(f, 1):
            row = row.rstrip("\n")
            if not row or row.startswith("#"):
                continue
            word, _, ipa = row.partition("\t")
            if not ipa or word in reference:
                sys.exit(f"{path}:{number}: not a new word and its pronunciation")
            reference[word] = ipa.split("\t")[0]
    return reference


def align(chunks, tokens):
    """Gives each written word its run of engine words (the engine may say
    one word as two, "stasera" as "sta" "sera"), by letter counts."""
    n, m = len(chunks), len(tokens)
    if m < n:
        return None
    inf = float("inf")
    cost = [[inf] * (m + 1) for _ in range(n + 1)]
    back = [[0] * (m + 1) for _ in range(n + 1)]
    cost[0][0] = 0
    for i in range(1, n + 1):
        for j in range(i, m - (n - i) + 1):
            for k in range(i - 1, j):
                if cost[i - 1][k] == inf:
                    continue
                said = len(segments("".join(tokens[k:j]))[0])
                c = cost[i - 1][k] + abs(len(chunks[i - 1]) - said) + (j - k - 1)
                if c < cost[i][j]:
                    cost[i][j], back[i][j] = c, k
    runs, j = [], m
    for i in range(n, 0, -1):
        k = back[i][j]
        runs.append("".join(tokens[k:j]))
        j = k
    return runs[::-1]


def espeak(sentences):
    """espeak-ng's phonemes for each sentence, read as SSML as
    speech-dispatcher's module reads its text (no [[...]] phoneme input)."""
    def one(text):
        out = subprocess.run(
            ["espeak-ng", "-v", "it", "-q", "-m", "--ipa", html.escape(text, quote=False)],
            capture_output=True, text=True, check=True).stdout
        return out.split()
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        return list(pool.map(one, sentences))


FESTIVAL_SCRIPT = r"""
(voice_%s_diphone)
(define (say text)
  (let ((utt (utt.synth (eval (list 'Utterance 'Text text)))))
    (mapcar
     (lambda (token)
       (mapcar
        (lambda (word)
          (mapcar
           (lambda (syl)
             (mapcar (lambda (seg) (format t "%%s " (item.name seg)))
                     (item.daughters syl)))
           (item.daughters (item.relation word 'SylStructure))))
        (item.daughters (item.relation token 'Token)))
       (format t "|"))
     (utt.relation.items utt 'Token))
    (format t "\n")))
"""

FESTIVAL_SOUNDS = {"E": "ɛ", "O": "ɔ", "S": "ʃ", "Z": "ʒ", "tS": "tʃ", "dZ": "dʒ",
                   "J": "ɲ", "L": "ʎ", "ng": "n", "nf": "n"}


def festival(sentences, voice):
    """festival's own phones for each sentence (its Italian voices take
    ISO-8859-1 text), one word per token; stressed vowels end in 1."""
    script = FESTIVAL_SCRIPT % voice
    for text in sentences:
        quoted = text.strip().replace("\\", "\\\\").replace('"', '\\"')
        script += f'(say "{quoted}")\n'
    with tempfile.NamedTemporaryFile("wb", suffix=".scm", delete=False) as f:
        f.write(script.encode("iso-8859-1", errors="replace"))
        name = f.name
    try:
        out = subprocess.run(["festival", "-b", name], capture_output=True, check=True).stdout
    finally:
        os.unlink(name)
    result = []
    for line in out.decode("iso-8859-1").splitlines():
        words = []
        for token in line.split("|")[:-1]:
            ipa = ""
            for phone in token.split():
                if phone == "#":
                    continue
                stressed = phone.endswith("1")
                phone = phone.rstrip("1")
                ipa += ("ˈ" if stressed else "") + FESTIVAL_SOUNDS.get(phone, phone)
            if ipa:
                words.append(ipa)
        result.append(words)
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--engine", default="espeak", choices=["espeak", "festival-pc", "festival-lp"])
    parser.add_argument("--written", action="store_true", help="ignore the spoken forms")
    parser.add_argument("--counts", action="store_true", help="also print the totals")
    parser.add_argument("--corpus", default=DEFAULT_CORPUS)
    parser.add_argument("--reference", default=DEFAULT_REFERENCE)
    args = parser.parse_args()

    program = "espeak-ng" if args.engine == "espeak" else "festival"
    if not shutil.which(program):
        print(f"{program} is not installed: nothing checked")
        return SKIPPED
    lines = load_corpus(args.corpus, args.written)
    reference = load_reference(args.reference)
    spoken = [s for _, s in lines]
    heard = espeak(spoken) if args.engine == "espeak" else festival(spoken, args.engine[-2:])

    listed, tokens, wrong_tokens = {}, 0, 0
    for (written, said), engine_words in zip(lines, heard):
        words = words_of(written)
        if re.search(r"\d", said):
            # An engine reads 10:15 or 3,50 € its own way: spelled out, the
            # line says the time or price as an Italian would.
            listed.setdefault("(line)", []).append(f"{said.strip()!r}: spell its numbers out")
        if len(words_of(said)) != len(words):
            listed.setdefault("(line)", []).append(f"{said.strip()!r}: not word for word")
            continue
        runs = align(words, engine_words)
        if runs is None:
            listed.setdefault("(line)", []).append(f"{said.strip()!r}: engine said {engine_words}")
            continue
        for word, ipa in zip(words, runs):
            tokens += 1
            if word not in reference:
                listed.setdefault(word, []).append("not in the reference")
                continue
            problem = differs(reference[word], ipa)
            if problem:
                wrong_tokens += 1
                listed.setdefault(word, []).append(
                    f"{problem}: said {ipa}, should be {reference[word]} in {written.strip()!r}")
    for word, reports in listed.items():
        print(f"{word}: {reports[0]}" + (f" (and {len(reports) - 1} more)" if len(reports) > 1 else ""))
    if args.counts:
        print(f"{len(listed)} words listed, {wrong_tokens} of {tokens} tokens wrong, "
              f"{len(lines)} lines, {len(reference)} words in the reference")
    return 1 if listed else 0


if __name__ == "__main__":
    sys.exit(main())
