"""The T-SQL this tool's program sends, split into statements and turned into SQLite."""

import decimal
import re

STATEMENT_WORDS = {"select", "insert", "update", "delete", "set", "create", "drop", "alter", "exec", "execute",
                   "use", "begin", "commit", "rollback", "with", "declare", "if", "print", "truncate"}
GLOBALS = {"@@rowcount": "standin_rowcount()", "@@trancount": "standin_trancount()",
           "@@identity": "last_insert_rowid()"}
FUNCTION_WORDS = {"isnull": "ifnull", "scope_identity": "last_insert_rowid"}
FIRST_WORD = re.compile(r"(?:\s+|--[^\n]*|/\*.*?\*/)*([A-Za-z_@#][\w@#$]*)", re.S)


class SqlError(Exception):
    """An error SQL Server reports for a whole request: number, state, class, message, line."""

    def __init__(self, number, state, severity, text, line=1):
        super().__init__(text)
        self.number, self.state, self.severity, self.text, self.line = number, state, severity, text, line


class Statement:
    def __init__(self, sql, line, cuts=()):
        self.sql = sql
        self.line = line
        self.cuts = list(cuts)  # where a new statement may start after a newline (no ';' between)
        m = FIRST_WORD.match(sql)
        self.word = m.group(1).lower() if m else ""


def literal(value):
    """A bound parameter's value as an SQLite literal."""
    if value is None:
        return "NULL"
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        return repr(value)
    if isinstance(value, decimal.Decimal):
        return str(value)
    if isinstance(value, bytes):
        return "X'" + value.hex() + "'"
    return "'" + str(value).replace("'", "''") + "'"


def _quoted(text, start, close, line):
    """The text after the opening character at `start` up to `close`, a doubled `close` standing
    for itself; returns it and the index of the closing character."""
    chars, k = [], start + 1
    while True:
        if k >= len(text):
            raise SqlError(105, 1, 15, f"Unclosed quotation mark after the character string '{text[start + 1:]}'.", line)
        if text[k] == close:
            if text.startswith(close, k + 1):
                chars.append(close)
                k += 2
                continue
            return "".join(chars), k
        chars.append(text[k])
        k += 1


def _word_end(text, i):
    n = len(text)
    while i < n and (text[i].isalnum() or text[i] in "_@#$"):
        i += 1
    return i


def split(text, code_page, binds=None, spid=0):
    """Statements of a batch, translated: [Statement]. code_page converts non-N literals."""
    statements = []
    out = []
    cuts = []
    has_code = False
    line = 1  # line of the current position in the batch
    start_line = None
    depth = 0
    i, n = 0, len(text)

    def finish():
        nonlocal out, cuts, has_code, start_line, depth
        if has_code:
            statements.append(Statement("".join(out).strip(), start_line, cuts))
        out, cuts, has_code, start_line, depth = [], [], False, None, 0

    def code(piece):
        nonlocal has_code, start_line
        if not has_code:
            has_code = True
            start_line = line
            out.clear()  # leading blanks and comments don't belong to the statement
            cuts.clear()
        out.append(piece)

    while i < n:
        c = text[i]
        if c == "\n":
            if has_code and depth == 0:
                cuts.append(sum(map(len, out)))
            out.append(c)
            line += 1
            i += 1
        elif c.isspace():
            out.append(c)
            i += 1
        elif c == ";":
            finish()
            i += 1
        elif text.startswith("--", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(text[i:end])
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            if end < 0:
                raise SqlError(113, 1, 15, "Missing end comment mark '*/'.", line)
            out.append(text[i:end + 2])
            line += text.count("\n", i, end)
            i = end + 2
        elif c == "'" or (c in "Nn" and text.startswith("'", i + 1) and _word_end(text, i) == i + 1):
            unicode = c != "'"
            q = i + 1 if unicode else i
            value, k = _quoted(text, q, "'", line)
            if not unicode:
                value = code_page(value)
            code(literal(value))
            line += text.count("\n", q, k)
            i = k + 1
        elif c == "[":
            name, k = _quoted(text, i, "]", line)
            code('"' + name.replace('"', '""') + '"')
            i = k + 1
        elif c == '"':
            k = text.find('"', i + 1)
            k = n - 1 if k < 0 else k
            code(text[i:k + 1])
            i = k + 1
        elif c == "+":
            code("||")  # the program only ever joins texts with '+'
            i += 1
        elif c in "()":
            depth += 1 if c == "(" else -1
            code(c)
            i += 1
        elif c.isalnum() or c in "_@#$":
            k = _word_end(text, i + 1)
            word = text[i:k]
            lower = word.lower()
            if lower in GLOBALS:
                code(GLOBALS[lower])
            elif lower == "@@spid":
                code(str(spid))
            elif lower == "@@version":
                code("'Microsoft SQL Server 2019 (RTM) - 15.0.2000.5 (stand-in)'")
            elif binds is not None and lower in binds:
                code(literal(binds[lower]))
            elif lower in FUNCTION_WORDS and text[k:].lstrip().startswith("("):
                code(FUNCTION_WORDS[lower])
            else:
                code(word)
            i = k
        else:
            code(c)
            i += 1
    finish()
    return statements


def exec_call(sql):
    """Name and arguments of `EXEC name a, @x = b` (translated text): (name, [(param name, value)])."""
    m = re.match(r"\s*(?:exec(?:ute)?\s+)?(?:@\w+\s*=\s*)?((?:\"[^\"]*\"|[\w#.])+)\s*(.*)$", sql, re.I | re.S)
    if not m:
        return None, []
    name = m.group(1).replace('"', "")
    args = []
    token = re.compile(r"\s*(?:(@[\w@#$]+)\s*=\s*)?('(?:[^']|'')*'|X'[0-9A-Fa-f]*'|[-\w.]+)\s*(?:,|$)", re.S)
    rest, pos = m.group(2), 0
    while pos < len(rest):
        t = token.match(rest, pos)
        if not t or t.end() == pos:
            break
        pname, raw = t.group(1) or "", t.group(2)
        if raw.startswith("'"):
            value = raw[1:-1].replace("''", "'")
        elif raw[:2] in ("X'", "x'"):
            value = bytes.fromhex(raw[2:-1])
        elif raw.lower() == "null":
            value = None
        else:
            try:
                value = int(raw)
            except ValueError:
                try:
                    value = float(raw)
                except ValueError:
                    value = raw
        args.append((pname, value))
        pos = t.end()
    return name, args


# ---------------------------------------------------------------- SQLite errors as SQL Server's


def _after_colon(text):
    return text.split(":", 1)[1].strip() if ":" in text else text


def map_error(exc, statement, database):
    """(number, state, class, message) that SQL Server would send for this SQLite error."""
    name = getattr(exc, "sqlite_errorname", "") or ""
    text = str(exc)
    verb = statement.word.upper() if statement.word in ("insert", "update", "delete") else "INSERT"
    if name.startswith(("SQLITE_BUSY", "SQLITE_LOCKED")) or "database is locked" in text:
        return 1222, 56, 16, "Lock request time out period exceeded."
    if name == "SQLITE_CONSTRAINT_TRIGGER":
        return 50000, 1, 16, text
    if name in ("SQLITE_CONSTRAINT_PRIMARYKEY", "SQLITE_CONSTRAINT_UNIQUE") or "UNIQUE constraint failed" in text:
        table = _after_colon(text).split(",")[0].split(".")[0]
        kind, prefix = ("PRIMARY KEY", "PK") if name == "SQLITE_CONSTRAINT_PRIMARYKEY" else ("UNIQUE KEY", "UQ")
        return 2627, 1, 14, (f"Violation of {kind} constraint '{prefix}_{table}'. "
                             f"Cannot insert duplicate key in object 'dbo.{table}'.")
    if name == "SQLITE_CONSTRAINT_NOTNULL" or "NOT NULL constraint failed" in text:
        table, _, column = _after_colon(text).partition(".")
        return 515, 2, 16, (f"Cannot insert the value NULL into column '{column}', table "
                            f"'{database}.dbo.{table}'; column does not allow nulls. {verb} fails.")
    if name == "SQLITE_CONSTRAINT_CHECK" or "CHECK constraint failed" in text:
        return 547, 0, 16, (f"The {verb} statement conflicted with the CHECK constraint \"{_after_colon(text)}\". "
                            f"The conflict occurred in database \"{database}\".")
    if name == "SQLITE_CONSTRAINT_FOREIGNKEY" or "FOREIGN KEY constraint failed" in text:
        kind = "REFERENCE" if verb == "DELETE" else "FOREIGN KEY"
        return 547, 0, 16, (f"The {verb} statement conflicted with the {kind} constraint. "
                            f"The conflict occurred in database \"{database}\".")
    if text.startswith("no such table:"):
        table = _after_colon(text)
        table = table.split(".", 1)[1] if table.startswith(("main.", "temp.")) else table
        return 208, 1, 16, f"Invalid object name '{table}'."
    if text.startswith("no such column:"):
        return 207, 1, 16, f"Invalid column name '{_after_colon(text).split('.')[-1]}'."
    return 50000, 1, 16, text


def syntax_error(exc, statement):
    """SqlError 102 for an SQLite parse failure, or None when the statement did compile."""
    text = str(exc)
    m = re.match(r'(?:near|unrecognized token:) "(.*)"', text, re.S)
    if m and ("syntax error" in text or text.startswith("unrecognized token")):
        near = m.group(1)
    elif "incomplete input" in text:
        words = re.findall(r"[\w@#$]+|\S", statement.sql)
        near = words[-1] if words else ""
    elif "only execute one statement" in text:
        near = ""
    else:
        return None
    return SqlError(102, 1, 15, f"Incorrect syntax near '{near}'.", statement.line)
