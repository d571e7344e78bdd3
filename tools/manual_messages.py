#!/usr/bin/env python3
"""Gathers every message text the programs can show from the C++ sources and checks that the
user manual quotes each one.

A message is the first argument of a message-box call (MsgBox) or of a message window's text
(lblMessage.SetCaption). Its string literals are the fixed words; whatever is computed between
them (a folder, a count) is a gap that the manual fills with a placeholder. A message matches
when its fixed words appear in the manual in order, each gap spanning at most GAP characters.

An argument without literals names text built elsewhere. INDIRECT says where; an argument it
does not know fails the check, so a new kind of message cannot slip past unnoticed.

    manual_messages.py list SRC_DIR
    manual_messages.py check SRC_DIR MANUAL_TEXT_FILE
"""
import re
import sys
import unicodedata
from pathlib import Path

CALLS = re.compile(r"\b(MsgBox|lblMessage\s*\.\s*SetCaption)\s*\(")

# Leading identifier of a literal-free argument -> (function that builds the text, how):
# "returns": each literal-bearing return statement is one message;
# "body": the literals of the whole body, in order, are one message;
# "calls": the first argument of each call of the function is one message.
INDIRECT = {
    "problem": ("ListNameProblem", "returns"),
    "StandardErrorText": ("StandardErrorText", "body"),
    # The integration window's texts come from its language table (integrate_texts.cpp).
    "RestartQuestion": ("RestartQuestion", "returns"),
    "AddFailedMessage": ("AddFailedMessage", "returns"),
    # The configuration window's exclamations go through one helper.
    "exclamation": ("Exclaim", "calls"),
}

# Texts the programs show today that the manual must not document, with the reason.
EXCLUDED = {
    " is not available in this build": "stands in for windows still being built",
}

GAP = 120
# A literal wrapped in a string conversion is still part of the message's words.
STRING_CONVERSION = re.compile(r"\bstd::string(_view)?\s*$")
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "'": "'", "\\": "\\", "?": "?"}


def skip_literal(text, i):
    """Index just past the string or char literal that starts at text[i]."""
    quote = text[i]
    i += 1
    while text[i] != quote:
        i += 2 if text[i] == "\\" else 1
    return i + 1


def unescape(body):
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), body)


def strip_comments(text):
    out, i = [], 0
    while i < len(text):
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = len(text) if i < 0 else i
        elif text.startswith("/*", i):
            i = text.index("*/", i) + 2
        elif text[i] in "\"'":
            j = skip_literal(text, i)
            out.append(text[i:j])
            i = j
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def first_argument(text, i):
    """Text of the call argument starting at text[i], up to its top-level ',' or ')'."""
    depth, start = 0, i
    while True:
        c = text[i]
        if c in "\"'":
            i = skip_literal(text, i)
            continue
        if c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                return text[start:i]
            depth -= 1
        elif c == "," and depth == 0:
            return text[start:i]
        i += 1


def fragments(expr):
    """The fixed words of an expression: top-level string literals, adjacent ones joined;
    anything else between two literals starts a new fragment."""
    frags, current, depth, i = [], None, 0, 0
    opened = []  # per open bracket: does it count as depth (a string conversion does not)
    while i < len(expr):
        c = expr[i]
        if c == '"' and depth == 0:
            j = skip_literal(expr, i)
            current = (current or "") + unescape(expr[i + 1:j - 1])
            i = j
            continue
        if c in "\"'":
            i = skip_literal(expr, i)
            continue
        if c in "([{":
            counts = not STRING_CONVERSION.search(expr[:i])
            opened.append(counts)
            depth += counts
            if not counts:
                i += 1
                continue
        elif c in ")]}":
            counts = opened.pop() if opened else True
            depth -= counts
            if not counts:
                i += 1
                continue
        if not c.isspace() and current is not None:
            frags.append(current)
            current = None
        i += 1
    if current is not None:
        frags.append(current)
    return [f for f in frags if re.search(r"[A-Za-z0-9]", f)]


def function_body(text, name):
    m = re.search(r"\b" + re.escape(name) + r"\s*\([^;{}]*\)\s*(const\s*)?\{", text)
    if not m:
        return None
    i, depth = m.end(), 1
    while depth:
        c = text[i]
        if c in "\"'":
            i = skip_literal(text, i)
            continue
        depth += {"{": 1, "}": -1}.get(c, 0)
        i += 1
    return text[m.end():i - 1]


class Message:
    def __init__(self, where, frags):
        self.where, self.frags = where, frags

    def display(self):
        return " … ".join(normalise(f) for f in self.frags)

    def pattern(self):
        parts = [r"\s+".join(map(re.escape, normalise(f).split())) for f in self.frags]
        return re.compile((r".{0,%d}?" % GAP).join(parts), re.S)


def normalise(text):
    return " ".join(unicodedata.normalize("NFKC", text).split())


def gather(src):
    """All messages under src; raises ValueError for a message whose text cannot be found."""
    sources = {p: strip_comments(p.read_text(encoding="latin-1"))
               for p in sorted(Path(src).rglob("*")) if p.suffix in (".cpp", ".h")
               and not p.stem.endswith("_test") and "test_support" not in p.stem
               and "scripted" not in p.stem}
    messages, errors = [], []
    for path, text in sources.items():
        for m in CALLS.finditer(text):
            arg = first_argument(text, m.end()).strip()
            line = text.count("\n", 0, m.start()) + 1
            where = f"{path}:{line}"
            if re.match(r"(const\b|std::string\s*&|$)", arg):
                continue  # a declaration or definition, not a call
            frags = fragments(arg)
            if frags:
                messages.append(Message(where, frags))
                continue
            lead = re.match(r"[A-Za-z_]\w*", arg)
            source = INDIRECT.get(lead.group(0)) if lead else None
            if not source:
                errors.append(f"{where}: message text '{arg}' is built elsewhere; "
                              "tell INDIRECT in tools/manual_messages.py where")
                continue
            if source[1] == "calls":
                found = False
                call = re.compile(r"\b" + re.escape(source[0]) + r"\s*\(")
                for other, t in sources.items():
                    for c in call.finditer(t):
                        call_arg = first_argument(t, c.end()).strip()
                        if re.match(r"(const\b|std::string\s*&|$)", call_arg):
                            continue  # its definition
                        found = True
                        line_no = t.count("\n", 0, c.start()) + 1
                        call_frags = fragments(call_arg)
                        if call_frags:
                            messages.append(Message(f"{other}:{line_no}", call_frags))
                        else:
                            errors.append(f"{other}:{line_no}: message text '{call_arg}' of "
                                          f"{source[0]} has no fixed words")
                if not found:
                    errors.append(f"{where}: no call of {source[0]} found")
                continue
            found = False
            for body in filter(None, (function_body(t, source[0]) for t in sources.values())):
                found = True
                if source[1] == "body":
                    messages.append(Message(where, fragments_in_order(body)))
                else:
                    for ret in re.finditer(r"\breturn\b([^;]*);", body):
                        if fragments(ret.group(1)):
                            messages.append(Message(where, fragments(ret.group(1))))
            if not found:
                errors.append(f"{where}: no definition of {source[0]} found")
    if errors:
        raise ValueError("\n".join(errors))
    return [m for m in messages
            if not any(x in "".join(m.frags) for x in EXCLUDED)]


def fragments_in_order(body):
    frags = []
    for statement in body.split(";"):
        frags.extend(fragments(statement.split("=", 1)[-1]))
    return frags


def missing(messages, manual_text):
    text = normalise(manual_text)
    return [m for m in messages if not m.pattern().search(text)]


def main(argv):
    if len(argv) < 3 or argv[1] not in ("list", "check"):
        print(__doc__, file=sys.stderr)
        return 2
    try:
        messages = gather(argv[2])
    except ValueError as e:
        print(e, file=sys.stderr)
        return 1
    if argv[1] == "list":
        for m in messages:
            print(f"{m.where}: {m.display()}")
        return 0
    absent = missing(messages, Path(argv[3]).read_text(encoding="utf-8"))
    for m in absent:
        print(f"not in the manual: {m.display()}  ({m.where})", file=sys.stderr)
    print(f"manual messages: {len(messages) - len(absent)} of {len(messages)} quoted")
    return 1 if absent else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
