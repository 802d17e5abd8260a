#!/usr/bin/env python3
"""Finds cut sentences in README.md and docs/*.md: a paragraph of prose
must end as a sentence does (. : ? ! ) ` or *) unless a code block or a
table follows it, and start as one does (a capital, a digit, ` [ ( " * or
_) unless one comes before it. Lists, headings and tables are not prose.
docs/benchmarks.md, written by bench/run-benchmarks, is left out.

Usage: prose_test.py
"""

import glob
import os
import re
import unittest

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
GENERATED = {os.path.join("docs", "benchmarks.md")}
FENCED = re.compile(r"^```.*?^```$", re.M | re.S)


def kind(lines):
    first = lines[0]
    if first.startswith(("    ", "\t", "```")):
        return "code"
    if first.startswith("|"):
        return "table"
    if first.startswith(("#", "- ", "* ", "<", "!")) or re.match(r"\d+\. ", first):
        return "other"
    return "prose"


def cut_paragraphs(text):
    """The paragraphs of prose that start or end mid-sentence."""
    blocks = [[line for line in block.split("\n") if line.strip()]
              for block in re.split(r"\n\s*\n", FENCED.sub("```", text))]
    blocks = [b for b in blocks if b]
    kinds = [kind(b) for b in blocks] + ["other"]
    cut = []
    for i, lines in enumerate(blocks):
        if kinds[i] != "prose":
            continue
        paragraph = " ".join(line.strip() for line in lines)
        starts = paragraph[0].isupper() or paragraph[0].isdigit() or paragraph[0] in "`[(\"*_"
        ends = paragraph[-1] in ".:?!)`*"
        before = kinds[i - 1] if i else "other"
        if not starts and before not in ("code", "table") or \
                not ends and kinds[i + 1] not in ("code", "table"):
            cut.append(paragraph)
    return cut


class Prose(unittest.TestCase):
    def test_no_sentence_is_cut(self):
        files = ["README.md"] + sorted(os.path.relpath(f, SOURCE) for f in
                                       glob.glob(os.path.join(SOURCE, "docs", "*.md")))
        for name in files:
            if name in GENERATED:
                continue
            with self.subTest(file=name), open(os.path.join(SOURCE, name)) as f:
                self.assertEqual(cut_paragraphs(f.read()), [])

    def test_the_check_sees_a_cut_at_either_end(self):
        text = ("Whole sentence.\n\nIt stops in the\n\n## Heading\n\nA paragraph ends.\n\n"
                "continues here.\n\nIt shows\n\n    code\n\nthen goes on.\n")
        self.assertEqual(cut_paragraphs(text), ["It stops in the", "continues here."])


if __name__ == "__main__":
    unittest.main()
