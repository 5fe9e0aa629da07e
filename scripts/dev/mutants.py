"""Mutants made mechanically rather than chosen by hand: the edits, and a run
of a random sample of them against the test programs.

Every code file of the Linux build (.cpp and .h under the code folders, not
the win32/ ones) is read with its comments and string and character literals
blanked out, so that no edit lands in them; preprocessor lines are skipped.
Each operator below proposes edits of one line, and each edit is a mutant:
file, line, operator, old line, new line, and an id that is a hash of file,
line, operator and new line (so it changes when the code above it moves).

  relational         < <= > >= == != to its neighbour (< and <=, > and >=,
                     == and !=), where the operator stands spaced between
                     two operands (so no template brackets)
  arithmetic         + - * / and += -= *= /= swapped (+ with -, * with /),
                     spaced and binary, not beside a literal string or char
  logical            && and || swapped
  negation-removed   a unary ! taken away, anywhere in code
  negation-added     an if or while condition wrapped in !( ), when it is on
                     one line, declares nothing and is not a negation already
  literal+1/-1       an integer literal one up or down (one edit a literal,
                     the direction from a hash of its place; zero goes up)
  call-removed       a one-line statement that is a call (a.b(..); f(..);)
                     inside a function body, made (void)0;
  arguments-swapped  two neighbouring arguments of a call that are both plain
                     names, except in calls where order cannot matter (min..)
  early-return       return; (void) or return false; / return true; (bool)
                     as the first statement of a function whose head, with
                     its return type, is on one line
"""
import collections
import dataclasses
import fnmatch
import functools
import hashlib
import os
import random
import shutil
import re
import signal
import subprocess
import time

RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITHMETIC = {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="}
LOGICAL = {"&&": "||", "||": "&&"}
OPERATOR_TOKEN = re.compile(r"<=>|<<=|>>=|<<|>>|->\*?|\+\+|--|<=|>=|==|!=|&&|\|\||[-+*/%&|^]=|::|[<>!+\-*/%&|^=~?:]")
INTEGER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F']+|\d[\d']*)([uUlL]*)(?![\w.'])")
KEYWORDS = {"if", "while", "for", "switch", "return", "sizeof", "alignof", "decltype", "static_assert", "delete",
            "new", "throw", "case", "goto", "do", "else", "using", "typedef", "co_return", "co_await", "co_yield",
            "true", "false", "nullptr", "this", "operator", "catch", "noexcept", "alignas", "typeid"}
# Swapping the arguments of these changes nothing.
COMMUTATIVE = {"min", "max", "swap", "qMin", "qMax", "hypot"}
FUNCTION_HEAD = re.compile(r"^\s*(?:(?:static|inline|virtual|constexpr|friend|\[\[nodiscard\]\])\s+)*(void|bool)\s+"
                           r"~?[A-Za-z_][\w:]*\s*\(")
CALL_STATEMENT = re.compile(r"^[A-Za-z_][\w:.\[\]]*(?:->[\w:.\[\]]+)*\(")
CODE_BRACE = re.compile(r"(\)|\]|\bconst|\boverride|\bnoexcept|\bmutable|\belse|\bdo|\btry|\bfinal)\s*$")


@dataclasses.dataclass
class Mutant:
    file: str
    line: int
    operator: str
    old: str
    new: str

    @property
    def id(self):
        return hashlib.sha1(f"{self.file}:{self.line}:{self.operator}:{self.new}".encode()).hexdigest()[:10]

    def describe(self):
        return f"{self.id} {self.file}:{self.line} {self.operator}\n    - {self.old.strip()}\n    + {self.new.strip()}"


def _blank(out, start, end):
    for k in range(start, end):
        if out[k] != "\n":
            out[k] = " "


def mask(text):
    """The text with comments blanked and literals emptied (quotes kept), same length and lines."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            _blank(out, i, end)
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            _blank(out, i, end)
            i = end
        elif c == '"':
            word = re.search(r"\w*$", text[max(0, i - 3):i]).group()
            if word in ("R", "u8R", "LR", "uR", "UR"):
                open_paren = text.index("(", i)
                closing = ")" + text[i + 1:open_paren] + '"'
                end = text.index(closing, open_paren) + len(closing)
            else:
                end = i + 1
                while end < n and text[end] != '"':
                    end += 2 if text[end] == "\\" else 1
                end += 1
            _blank(out, i + 1, end - 1)
            i = end
        elif c == "'":
            # A digit separator (268'435'456) rather than a character.
            if re.search(r"\b\d[\w']*$", text[max(0, i - 40):i]):
                i += 1
                continue
            end = i + 1
            while end < n and text[end] != "'":
                end += 2 if text[end] == "\\" else 1
            _blank(out, i + 1, end)
            i = end + 1
        else:
            i += 1
    return "".join(out)


def _matching(line, start):
    """Index of the bracket closing the one at start, or -1 when it is not on this line."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    stack = []
    for k in range(start, len(line)):
        if line[k] in pairs:
            stack.append(pairs[line[k]])
        elif line[k] in ")]}":
            if not stack or stack.pop() != line[k]:
                return -1
            if not stack:
                return k
    return -1


def _code_lines(masked_lines):
    """Per line: (a preprocessor line, inside a function body at the line's start)."""
    result, stack, before, continued = [], [], "", False
    for m in masked_lines:
        preprocessor = continued or m.lstrip().startswith("#")
        continued = preprocessor and m.rstrip().endswith("\\")
        result.append((preprocessor, bool(stack) and stack[-1]))
        if preprocessor:
            continue
        for k, ch in enumerate(m):
            if ch == "{":
                head = (before + " " + m[:k]).rstrip()
                inside = bool(stack) and stack[-1]
                # A body, a lambda or a block inside one; not a class, namespace or initializer.
                opens_code = bool(CODE_BRACE.search(head)) or (inside and re.search(r"[;{}:]$", head) is not None)
                stack.append(opens_code)
            elif ch == "}" and stack:
                stack.pop()
        before = (before + " " + m)[-200:] if m.strip() else before
    return result


def _binary_at(m, start, end):
    """Whether the token at start:end stands between two operands, spaced."""
    if start == 0 or end >= len(m) or m[start - 1] != " " or m[end] != " ":
        return False
    left, right = m[:start].rstrip(), m[end:].lstrip()
    return bool(left) and bool(right) and (left[-1].isalnum() or left[-1] in "_)]\"'") and \
        not left.endswith("operator") and right[0] not in ";,)]}"


def _token_edits(m, o):
    for t in OPERATOR_TOKEN.finditer(m):
        tok, s, e = t.group(), t.start(), t.end()
        if tok == "!" and (e < len(m) and m[e] != "="):
            yield "negation-removed", o[:s] + o[e:]
            continue
        if not _binary_at(m, s, e):
            continue
        for table, name in ((RELATIONAL, "relational"), (ARITHMETIC, "arithmetic"), (LOGICAL, "logical")):
            if tok in table:
                # Strings do not subtract or divide: not worth a build.
                if name == "arithmetic" and ({m[:s].rstrip()[-1], m[e:].lstrip()[0]} & {'"', "'"}):
                    continue
                yield name, o[:s] + table[tok] + o[e:]


def _literal_edits(m, o):
    for t in INTEGER.finditer(m):
        digits, suffix = t.group(1).replace("'", ""), t.group(2)
        if digits.lower().startswith("0x"):
            value, show = int(digits, 16), lambda v: digits[:2] + format(v, "x" if re.search("[a-f]", digits[2:]) else "X")
        elif len(digits) > 1 and digits.startswith("0"):
            value, show = int(digits, 8), lambda v: "0" + format(v, "o")
        else:
            value, show = int(digits), str
        # One edit per literal, so that literals weigh no more than other sites: up or down
        # by one as a hash of its place says (up from zero).
        place = hashlib.sha1(f"{o}:{t.start()}".encode()).digest()[0]
        delta = 1 if value == 0 or place % 2 else -1
        yield f"literal{delta:+d}", o[:t.start()] + show(value + delta) + suffix + o[t.end():]


def _condition_edits(m, o):
    for t in re.finditer(r"\b(if|while)\s*\(", m):
        close = _matching(m, t.end() - 1)
        if close > 0:
            inner = o[t.end():close]
            # Around a negation this is the same as taking the negation away.
            # Nor does a condition that declares its variable take a negation.
            if inner.lstrip().startswith("!") or ";" in inner or \
                    re.match(r"\s*(const\s+)?[\w:<>]+[*&]?\s+[*&]?\w+\s*=[^=]", inner):
                continue
            yield "negation-added", o[:t.end()] + "!(" + inner + ")" + o[close:]


def _call_removal(m, o, previous):
    body = m.strip()
    head = CALL_STATEMENT.match(body)
    if not head or not body.endswith(");") or re.split(r"\W", body)[0] in KEYWORDS:
        return
    depths = [0]
    for ch in body:
        depths.append(depths[-1] + (ch in "([{") - (ch in ")]}"))
    if body.split("(")[0].isupper() or min(depths) < 0 or depths[-1] != 0:
        return
    if not re.search(r"([;{}:)]|\belse|\bdo)$", previous):
        return
    indent = o[:len(o) - len(o.lstrip())]
    yield "call-removed", indent + "(void)0;"


def _argument_swaps(m, o):
    for t in re.finditer(r"([A-Za-z_]\w*)\s*\(", m):
        callee = t.group(1)
        if callee in KEYWORDS or callee in COMMUTATIVE:
            continue
        close = _matching(m, t.end() - 1)
        if close < 0:
            continue
        # The top-level arguments, by their spans.
        spans, depth, begin = [], 0, t.end()
        for k in range(t.end(), close):
            depth += m[k] in "([{"
            depth -= m[k] in ")]}"
            if m[k] == "," and depth == 0:
                spans.append((begin, k))
                begin = k + 1
        spans.append((begin, close))
        for (a0, a1), (b0, b1) in zip(spans, spans[1:]):
            a, b = m[a0:a1].strip(), m[b0:b1].strip()
            if a != b and all(re.fullmatch(r"[A-Za-z_]\w*", x) and x not in KEYWORDS for x in (a, b)):
                swapped = o[a0:a1].replace(a, b) + "," + o[b0:b1].replace(b, a)
                yield "arguments-swapped", o[:a0] + swapped + o[b1:]


def _early_returns(m, o):
    head = FUNCTION_HEAD.match(m)
    if not head:
        return
    close = _matching(m, head.end() - 1)
    brace = m.find("{", close) if close > 0 else -1
    if brace < 0 or m[brace + 1:].strip().startswith("}"):
        return
    for r in ["return;"] if head.group(1) == "void" else ["return false;", "return true;"]:
        if not m[brace + 1:].strip().startswith(r):
            yield "early-return", o[:brace + 1] + " " + r + o[brace + 1:]


def file_mutants(root, rel):
    text = (root / rel).read_text()
    lines, masked = text.split("\n"), mask(text).split("\n")
    found, previous = [], "{"
    for number, ((preprocessor, in_code), o, m) in enumerate(zip(_code_lines(masked), lines, masked), 1):
        if preprocessor or not m.strip() or "static_assert" in m:
            continue
        edits = list(_token_edits(m, o)) + list(_literal_edits(m, o))
        if in_code:
            edits += list(_condition_edits(m, o)) + list(_call_removal(m, o, previous)) + \
                list(_argument_swaps(m, o))
        else:
            edits += list(_early_returns(m, o))
        seen = {o}
        for operator, new in edits:
            if new not in seen:
                seen.add(new)
                found.append(Mutant(rel, number, operator, o, new))
        previous = m.rstrip()
    return found


def code_files(root):
    """Every tracked C++ file outside tests/ and bench/ (the code scripts/dev/count-lines counts),
    but the Windows build's own."""
    out = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=root, stdout=subprocess.PIPE, text=True,
                         check=True).stdout.split()
    return sorted(p for p in out if p.split("/")[0] not in ("tests", "bench") and "win32" not in p.split("/"))


def _strong_symbols(path, exported_only=True):
    out = subprocess.run(["nm", "--defined-only"] + (["-g"] if exported_only else []) + [str(path)],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
    return {f[2] for f in map(str.split, out.splitlines()) if len(f) == 3 and f[1] in "TDBR"}


def coverage(root, build, programs):
    """Per code file: the objects compiled from it (as source or header) and the test programs
    that link one of them in, and whether the program itself does. An object counts as linked
    in when a symbol it defines is in the executable (a library member nothing calls is left
    out by the linker), or, defining none, when the executable is built from it."""
    def ninja_tool(*args):
        return subprocess.run(["ninja", "-C", str(build), "-t", *args], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, check=True).stdout
    read_by, obj = collections.defaultdict(set), None
    for line in ninja_tool("deps").splitlines():
        if line and not line.startswith(" "):
            obj = line.split(":")[0]
        elif line.strip() and obj:
            read_by[obj].add(os.path.realpath(build / line.strip()))
    objects, linked_in = collections.defaultdict(set), collections.defaultdict(set)
    for o, paths in read_by.items():
        for path in paths:
            objects[path].add(o)
    defines = {o: _strong_symbols(build / o) for o in read_by}
    for target, binary in [("test_" + p, build / "tests" / ("test_" + p)) for p in programs] + \
            [("glimmerbox", build / "glimmerbox")]:
        present = _strong_symbols(binary, exported_only=False)
        for o in ninja_tool("inputs", target).split():
            if o in read_by and (not defines[o] or defines[o] & present):
                for path in read_by[o]:
                    linked_in[path].add(target)
    result = {}
    for rel in code_files(root):
        targets = linked_in[str(root / rel)]
        result[rel] = (sorted(objects[str(root / rel)]), sorted(t[5:] for t in targets if t != "glimmerbox"),
                       "glimmerbox" in targets)
    return result


def candidates(root, files):
    found = []
    for rel in files:
        found += file_mutants(root, rel)
    return found


def read_equivalent(path):
    """Ids judged equivalent by reading: one id and a reason a line, # for comments."""
    judged = {}
    if path.exists():
        for line in map(str.strip, path.read_text().splitlines()):
            if line and not line.startswith("#"):
                ident, _, reason = line.partition(" ")
                judged[ident] = reason.strip()
    return judged


SANDBOX = ["unshare", "--pid", "--fork", "--kill-child", "--mount-proc"]


@functools.cache
def _can_sandbox():
    return bool(shutil.which("unshare")) and subprocess.run(
        SANDBOX + ["true"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def sandboxed(program):
    """A test program's command in a process-id namespace of its own, where it reaches no
    process but its own: a mutant that signals process -1 (a failed spawn's -1 taken for a
    child's id) then ends only the test, not every program of the user's."""
    return (SANDBOX if _can_sandbox() else []) + [str(program)]


def test_command(build, program):
    return sandboxed(build / "tests" / ("test_" + program))


def run_limited(cmd, cwd, env, limit, log=None):
    """Exit status of a command, 'timeout' when it outlives the limit (its process group is ended)."""
    with open(log or os.devnull, "wb") as out:
        proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True)
        try:
            return proc.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            _end_group(proc)
            return "timeout"
        except BaseException:
            # Interrupted: its own session does not hear the terminal's Ctrl-C.
            _end_group(proc)
            raise


def _end_group(proc):
    """Ends a child's process group: politely first, so that ninja leaves no half-written object."""
    os.killpg(proc.pid, signal.SIGTERM)
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()


def build_targets(root, build, targets, jobs, limit=1800):
    return run_limited(["ninja", "-C", str(build), "-j", str(jobs)] + targets, root, None, limit) == 0


def build_programs(root, build, programs, jobs):
    return build_targets(root, build, ["test_" + p for p in programs], jobs)


def linked_files(covers, patterns=None):
    """The code files the program or a test program links in, of those matching the patterns. The
    rest (the Windows build's and the fuzzers' own) is no part of what runs here."""
    files = [f for f, (_, readers, in_program) in covers.items() if readers or in_program]
    if patterns:
        files = [f for f in files if any(fnmatch.fnmatch(f, g) for g in patterns)]
    left_out = sorted(f for f, (_, readers, in_program) in covers.items() if not readers and not in_program)
    if left_out:
        print("not linked into the program or a test program, left out: " + " ".join(left_out))
    return files


def draw(args, root, files):
    """The sample of the seed over the candidates of these files; with --only, just those ids of it."""
    pool = candidates(root, files)
    counts = collections.Counter(m.operator for m in pool)
    print(f"{len(pool)} candidate mutants in {len(files)} files: " +
          ", ".join(f"{k} {v}" for k, v in sorted(counts.items())))
    # Uniform over the candidates: every site weighs the same, so the rate estimates
    # the share of all such slips the tests notice. Sorted by place to rebuild less.
    sample = sorted(random.Random(args.seed).sample(pool, min(args.sample, len(pool))),
                    key=lambda m: (m.file, m.line))
    if args.only:
        # Of the same sample, only the named ones: an earlier run's survivors, run again.
        only = set(args.only)
        missing = only - {m.id for m in sample}
        if missing:
            print("not in this sample: " + " ".join(sorted(missing)))
        sample = [m for m in sample if m.id in only]
    return sample


def apply_line(m, text):
    """The file's text with a generated mutant's line changed, or None when the line moved."""
    lines = text.split("\n")
    if lines[m.line - 1] != m.old:
        return None
    lines[m.line - 1] = m.new
    return "\n".join(lines)


def run_generated(args, root, build, programs):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", QT_QPA_FONTDIR="/usr/share/fonts")
    if not build_targets(root, build, ["test_" + p for p in programs] + ["glimmerbox"], args.jobs):
        raise SystemExit("the unmutated program and tests do not build")
    covers = coverage(root, build, programs)
    sample = draw(args, root, linked_files(covers, args.files))
    if args.dry_run:
        for m in sample:
            print(m.describe())
        return 0
    # The unmutated programs must pass; their times set the default limits.
    seconds = {}
    for p in programs:
        start = time.monotonic()
        log = build / f"unmutated-test_{p}.log"
        if run_limited(test_command(build, p), root, env, 600, log) != 0:
            raise SystemExit(f"test_{p} fails unmutated (see {log})")
        seconds[p] = time.monotonic() - start
    # Generous: the machine may be busier than when the unmutated runs were timed.
    limit = {p: args.timeout or max(60.0, 10 * s) for p, s in seconds.items()}
    judged = read_equivalent(root / "scripts" / "dev" / "mutate-equivalent.txt")
    results, began = [], time.monotonic()
    try:
        for k, m in enumerate(sample, 1):
            start = time.monotonic()
            objects, readers, _ = covers[m.file]
            verdict, by = run_one(m, root, build, objects, sorted(readers, key=seconds.get), args.jobs, env, limit)
            if verdict == "survived" and m.id in judged:
                verdict = "equivalent"
            elif verdict in ("killed", "timeout") and m.id in judged:
                print(f"{m.id} is listed as equivalent but a test tells it apart: take it off the list")
            results.append((m, verdict, by))
            print(f"[{k}/{len(sample)}] {m.id} {m.file}:{m.line} {m.operator:18} {verdict:10} {by} "
                  f"({time.monotonic() - start:.0f} s)", flush=True)
    except KeyboardInterrupt:
        print("interrupted; the file is put back and the results so far follow")
    build_targets(root, build, ["test_" + p for p in programs] + ["glimmerbox"], args.jobs)
    return report(args, build, results, judged, time.monotonic() - began)


def run_one(m, root, build, objects, programs, jobs, env, limit):
    """Applies one mutant, rebuilds and runs the programs that read its file, puts the file back.
    Every object that reads the file is compiled first (one that does not is a mutant not built);
    then each program is linked and run in turn, the quickest first, until one fails."""
    path = root / m.file
    original = path.read_bytes()
    mutated = apply_line(m, original.decode())
    if mutated is None:
        return "stale", ""
    try:
        path.write_text(mutated)
        if not build_targets(root, build, objects or ["glimmerbox"], jobs):
            return "not built", ""
        if not programs:
            return "survived", "(no test program links this code in)"
        flaky = ""
        for p in programs:
            if not build_programs(root, build, [p], jobs):
                return "not built", ""
            status = run_limited(test_command(build, p), root, env, limit[p])
            if status == "timeout":
                return "timeout", "test_" + p
            # A failure counts when it comes again: a test that fails now and then kills nothing.
            if status != 0 and run_limited(test_command(build, p), root, env, limit[p]) != 0:
                return "killed", "test_" + p
            flaky += f" (test_{p} failed once, passed again)" if status != 0 else ""
        return "survived", flaky.strip()
    finally:
        path.write_bytes(original)
        # The restored file must not look older than its object.
        os.utime(path)


def report(args, build, results, judged, elapsed):
    tally = collections.Counter(v for _, v, _ in results)
    survivors = [(m, v) for m, v, _ in results if v in ("survived", "equivalent")]
    with open(build / "survivors.txt", "w") as out:
        out.write(f"# seed {args.seed}, sample {args.sample}: survivors; an equivalent one goes into "
                  "scripts/dev/mutate-equivalent.txt as its id and a reason\n")
        for m, v in survivors:
            note = f"  [judged equivalent: {judged[m.id]}]" if v == "equivalent" else ""
            out.write(m.describe() + note + "\n")
    with open(build / "mutants.txt", "w") as out:
        for m, v, by in results:
            out.write(f"{m.id} {v:10} {by:24} {m.file}:{m.line} {m.operator}: {m.old.strip()} -> {m.new.strip()}\n")
    for m, v, by in results:
        if v == "timeout":
            print(f"timeout: {m.id} {m.file}:{m.line} in {by}")
    for m, v in survivors:
        print(("equivalent: " if v == "equivalent" else "survived:   ") + m.describe())
    killed, timeout = tally["killed"], tally["timeout"]
    counted = killed + timeout + tally["survived"]
    print(f"seed {args.seed}, {len(results)} mutants: killed {killed}, timeout {timeout}, "
          f"survived {tally['survived']}, equivalent {tally['equivalent']}, not built {tally['not built']}"
          + (f", stale {tally['stale']}" if tally["stale"] else ""))
    if counted:
        print(f"kill rate over the non-equivalent built: {killed + timeout} of {counted} = "
              f"{100 * (killed + timeout) / counted:.0f}%")
    if results:
        print(f"{elapsed:.0f} s, {elapsed / len(results):.0f} s a mutant; survivors in {build / 'survivors.txt'}")
    return 0
