"""One client connection: login, then batches, RPCs and attentions, run on its own SQLite connection."""

import datetime
import os
import re
import select
import sqlite3
import struct
import sys

from . import tds, tsql
from .tds import DONE, DONEINPROC, DONEPROC, DONE_ATTN, DONE_COUNT, DONE_ERROR, DONE_MORE

PROC_IDS = {1: "sp_cursor", 2: "sp_cursoropen", 3: "sp_cursorprepare", 4: "sp_cursorexecute",
            5: "sp_cursorprepexec", 6: "sp_cursorunprepare", 7: "sp_cursorfetch", 8: "sp_cursoroption",
            9: "sp_cursorclose", 10: "sp_executesql", 11: "sp_prepare", 12: "sp_execute", 13: "sp_prepexec",
            14: "sp_prepexecrpc", 15: "sp_unprepare"}
WRITE_WORDS = {"insert": tds.CMD_INSERT, "update": tds.CMD_UPDATE, "delete": tds.CMD_DELETE}
NAME_LIKE = re.compile(r"^[^\W\d][\w@#$]*$")


class Dropped(Exception):
    """The connection is to close now, without a response."""


class Response:
    """Tokens of one response; every DONE-kind token but the last says that more follows."""

    def __init__(self):
        self.parts = []
        self.errors = 0

    def add(self, data):
        self.parts.append(data)

    def done(self, token, status, curcmd=0, count=0):
        self.parts.append([token, status, curcmd, count])

    def error(self, number, state, severity, text, line=1):
        self.parts.append(tds.message(tds.ERROR, number, state, severity, text, line))
        self.errors += 1

    def has_done(self):
        return any(isinstance(p, list) for p in self.parts)

    def payload(self):
        last = max((i for i, p in enumerate(self.parts) if isinstance(p, list)), default=-1)
        out = bytearray()
        for i, p in enumerate(self.parts):
            if isinstance(p, list):
                token, status, curcmd, count = p
                out += tds.done(token, status | (DONE_MORE if i < last else 0), curcmd, count)
            else:
                out += p
        return bytes(out)


class Cursor:
    def __init__(self, meta, rows):
        self.meta = meta
        self.rows = rows
        self.start = 0  # first row of the current block, 1-based; 0 before the first
        self.size = 0


class Session:
    def __init__(self, server, wire, number):
        self.server = server
        self.args = server.args
        self.mode = server.mode
        self.wire = wire
        self.number = number
        self.spid = wire.spid
        self.tds_version = tds.TDS74
        self.db = None
        self.xact_abort = False
        self.nocount = False
        self.trancount = 0
        self.rowcount = 0
        self.handles = 0
        self.prepared = {}
        self.cursors = {}
        self.counted = (0, 0)  # the wire's bytes in and out already added to the server's traffic
        wire.before_send = self.count_traffic

    # ------------------------------------------------------------ connection

    def open_db(self):
        # timeout=0: a file locked by another connection fails at once, as a lock timeout would.
        db = sqlite3.connect(self.args.db, timeout=0, isolation_level=None)
        db.execute("PRAGMA foreign_keys = ON")
        # Its file is a test copy: no sync per commit, so that timings over the stand-in are the
        # link's and the program's, not this machine's disk.
        db.execute("PRAGMA synchronous = OFF")
        db.create_function("LEN", 1, sql_len, deterministic=True)
        db.create_function("GETDATE", 0, lambda: datetime.datetime.now().isoformat(" ", "milliseconds"))
        db.create_function("standin_rowcount", 0, lambda: self.rowcount)
        db.create_function("standin_trancount", 0, lambda: self.trancount)
        # What a client asks to learn the database's code page.
        mode = self.mode
        db.create_function("DB_NAME", 0, lambda: self.args.database)
        db.create_function("DATABASEPROPERTYEX", 2,
                           lambda name, prop: mode.collation_name if str(prop).lower() == "collation" else None)
        db.create_function("COLLATIONPROPERTY", 2,
                           lambda name, prop: mode.code_page if str(prop).lower() == "codepage" and
                           name == mode.collation_name else None)
        self.db = db

    def close(self):
        if self.db:
            self.db.close()  # an open transaction rolls back, as when a client disconnects

    def send(self, data):
        self.server.latency()
        self.wire.send(data)

    def count_traffic(self):
        before_in, before_out = self.counted
        self.counted = (self.wire.bytes_in, self.wire.bytes_out)
        self.server.add_traffic(self.counted[0] - before_in, self.counted[1] - before_out)

    def serve(self):
        handlers = {tds.PRELOGIN: self.on_prelogin, tds.LOGIN7: self.on_login, tds.SQL_BATCH: self.on_batch,
                    tds.RPC: self.on_rpc, tds.ATTENTION: self.on_attention, tds.TRANSACTION: self.on_transaction}
        while True:  # ends when the client leaves, is refused, or is dropped
            ptype, data = self.wire.read_message()
            handler = handlers.get(ptype)
            if handler is None:
                raise tds.ProtocolError(f"packet type {ptype} is not supported")
            if self.db is None and ptype not in (tds.PRELOGIN, tds.LOGIN7):
                raise tds.ProtocolError("request before login")
            if ptype in (tds.SQL_BATCH, tds.RPC) and self.held():
                continue
            try:
                handler(data)
            except (Dropped, tds.ClientGone, OSError, tds.ProtocolError):
                raise
            except Exception as e:  # a bug here must not look like a dead server
                print(f"sqlserver-standin: {type(e).__name__}: {e}", file=sys.stderr)
                resp = Response()
                resp.error(50000, 1, 16, f"stand-in failure: {e}")
                resp.done(DONE, DONE_ERROR)
                self.send(resp.payload())

    def held(self):
        """While the hold file exists a request waits unanswered, as behind another session's lock;
        an attention meanwhile cancels it (True: the request is not to be run). A file that says
        "TOKEN N" holds only the Nth request that arrives while it exists."""
        hold = self.args.hold_file
        try:
            with open(hold or "", encoding="utf-8") as f:
                words = f.read().split()
        except OSError:
            return False
        if len(words) == 2:
            with self.server.lock:
                seen = self.server.hold_counts.get(words[0], 0) + 1
                self.server.hold_counts[words[0]] = seen
            if seen != int(words[1]):
                return False
        self.server.log(self.number, "held")
        while os.path.exists(hold):
            readable, _, _ = select.select([self.wire.sock], [], [], 0.02)
            if readable:
                ptype, _ = self.wire.read_message()
                if ptype != tds.ATTENTION:
                    raise tds.ProtocolError(f"packet type {ptype} while a request waits")
                self.on_attention(b"")
                return True
        return False

    def on_prelogin(self, data):
        options = tds.prelogin_options(data)
        encryption = options.get(1, b"")
        self.server.log(self.number, "prelogin", encryption=encryption[0] if encryption else None)
        self.send(tds.prelogin_reply())

    def on_login(self, data):
        version, packet_size = struct.unpack_from("<II", data, 4)

        def field(index):
            offset, length = struct.unpack_from("<HH", data, 36 + 4 * index)
            return data[offset:offset + 2 * length]

        password = bytes((((b ^ 0xA5) >> 4) | (((b ^ 0xA5) & 0x0F) << 4)) for b in field(2))
        user = field(1).decode("utf-16-le", "replace")
        app = field(3).decode("utf-16-le", "replace")
        database = field(8).decode("utf-16-le", "replace")
        password_ok = password.decode("utf-16-le", "replace") == self.args.password
        self.server.log(self.number, "login", user=user, database=database, app=app,
                        tds_version=f"0x{version:08X}", password_ok=password_ok)

        resp = Response()
        known_db = database == "" or database.lower() == self.args.database.lower()
        if user.lower() != self.args.user.lower() or not password_ok:
            resp.error(18456, 1, 14, f"Login failed for user '{user}'.")
        elif not known_db:
            resp.error(4060, 1, 11, f'Cannot open database "{database}" requested by the login. The login failed.')
            resp.error(18456, 1, 14, f"Login failed for user '{user}'.")
        if resp.errors:
            resp.done(DONE, DONE_ERROR)
            self.send(resp.payload())
            raise Dropped()

        self.tds_version = min(version, tds.TDS74) if version >= 0x71000000 else tds.TDS74
        size = packet_size if 512 <= packet_size <= 32767 else 4096
        self.open_db()
        db = self.args.database
        resp.add(tds.envchange(1, db, "master"))
        resp.add(tds.message(tds.INFO, 5701, 2, 0, f"Changed database context to '{db}'."))
        resp.add(tds.envchange_bytes(7, self.mode.collation, b""))
        resp.add(tds.envchange(2, "us_english", ""))
        resp.add(tds.message(tds.INFO, 5703, 1, 0, "Changed language setting to us_english."))
        resp.add(tds.loginack(self.tds_version))
        resp.add(tds.envchange(4, str(size), "4096"))
        resp.done(DONE, 0)
        self.send(resp.payload())
        self.wire.packet_size = size

    def on_attention(self, data):
        # The request before it has been answered in full already; acknowledge the cancel.
        self.server.log(self.number, "attention")
        self.send(tds.done(DONE, DONE_ATTN))

    def on_transaction(self, data):
        r = tds.Reader(data, tds.skip_all_headers(data, self.tds_version))
        request = {5: "begin", 7: "commit", 8: "rollback"}.get(r.u16(), "other")
        again = False
        if request in ("commit", "rollback"):
            r.ucs2(r.byte())
            again = bool(r.byte() & 0x01)  # with autocommit off the driver asks for the next one at once
        self.server.log(self.number, "transaction", request=request)
        resp = Response()
        if request == "begin":
            self.begin(resp)
        elif request == "commit":
            self.commit(resp, 1)
        elif request == "rollback":
            self.rollback(resp, 1)
        if again and not resp.errors:
            self.begin(resp)
        resp.done(DONE, DONE_ERROR if resp.errors else 0)
        self.send(resp.payload())

    # ------------------------------------------------------------ batches

    def on_batch(self, data):
        text = data[tds.skip_all_headers(data, self.tds_version):].decode("utf-16-le", "surrogatepass")
        resp = Response()
        try:
            statements = self.prepare(text)
        except tsql.SqlError as e:
            statements = None
            self.server.log(self.number, "sql_batch", text=text, statements=0)
            resp.error(e.number, e.state, e.severity, e.text, e.line)
            resp.done(DONE, DONE_ERROR)
        if statements is not None:
            self.server.log(self.number, "sql_batch", text=text, statements=len(statements))
            self.execute(statements, resp, DONE)
        if not resp.has_done():
            resp.done(DONE, 0)
        self.send(resp.payload())

    def prepare(self, text, binds=None):
        """The statements of a request, each compiled once: a syntax error fails the whole request
        before anything runs, as SQL Server compiles a batch before running it."""
        statements = []
        for st in tsql.split(text, self.mode.to_code_page, binds, self.spid):
            error = self.compile_error(st)
            if error is None:
                statements.append(st)
                continue
            parts = self.split_at_newlines(st)
            if parts is None:
                raise error
            statements.extend(parts)
        return statements

    def compile_error(self, st):
        if st.word in ("set", "use", "exec", "execute", "begin", "commit", "rollback", "save") \
                or st.word.startswith("sp_") or self.tran_if(st):
            return None
        try:
            self.db.execute("EXPLAIN " + st.sql).fetchall()
        except sqlite3.Error as e:
            return tsql.syntax_error(e, st)
        except sqlite3.Warning as e:  # more than one statement without ';' between them
            return tsql.syntax_error(e, st)
        return None

    def split_at_newlines(self, st):
        """Statements on separate lines with no ';' between them, or None if that is not what it is."""
        parts, start = [], 0
        cuts = [c for c in st.cuts if tsql.FIRST_WORD.match(st.sql, c)
                and tsql.FIRST_WORD.match(st.sql, c).group(1).lower() in tsql.STATEMENT_WORDS] + [len(st.sql)]
        for cut in cuts:
            piece = tsql.Statement(st.sql[start:cut].strip(), st.line + st.sql.count("\n", 0, start))
            if piece.sql and self.compile_error(piece) is None:
                parts.append(piece)
                start = cut
        if start != len(st.sql) or len(parts) < 2:
            return None
        return parts

    def execute(self, statements, resp, done_token):
        """Runs statements in order; False when an error ended the request early."""
        for st in statements:
            outcome = self.run(st, resp, done_token)
            if outcome == "abort" or (outcome == "error" and self.xact_abort):
                return False
        return True

    def run(self, st, resp, done_token):
        word = st.word
        if word == "set":
            self.set_option(st.sql)
            resp.done(done_token, 0)
            return "ok"
        if word == "use":
            return self.use(st, resp, done_token)
        if word in ("exec", "execute") or word.startswith("sp_"):
            name, args = tsql.exec_call(st.sql)
            before = resp.errors
            self.call(name or "", [tds.Param(n, v) for n, v in args], resp)
            return "error" if resp.errors > before else "ok"
        if word in ("begin", "commit", "rollback", "save") or self.tran_if(st):
            return self.transaction_statement(st, resp, done_token)

        curcmd = WRITE_WORDS.get(word, tds.CMD_SELECT if word in ("select", "with") else 0)
        if word in WRITE_WORDS:
            n = self.server.next_write()
            if n == self.args.drop_at:
                raise Dropped()
            if n == self.args.deadlock_at:
                if self.trancount:  # the victim's transaction is rolled back
                    self.rollback(resp, st.line)
                resp.error(1205, 51, 13, f"Transaction (Process ID {self.spid}) was deadlocked on lock resources "
                                         f"with another process and has been chosen as the deadlock victim. "
                                         f"Rerun the transaction.", st.line)
                resp.done(done_token, DONE_ERROR, curcmd)
                return "abort"
        try:
            result = self.query(st.sql)
        except sqlite3.Error as e:
            number, state, severity, text = tsql.map_error(e, st, self.args.database)
            resp.error(number, state, severity, text, st.line)
            resp.done(done_token, DONE_ERROR, curcmd)
            return "error"
        if isinstance(result, tuple):
            meta, rows = result
            resp.add(meta)
            for row in rows:
                resp.add(row)
            self.rowcount = len(rows)
            resp.done(done_token, DONE_COUNT, curcmd, len(rows))
        elif word in WRITE_WORDS:
            self.rowcount = result
            resp.done(done_token, 0 if self.nocount else DONE_COUNT, curcmd, result)
        else:
            resp.done(done_token, 0, curcmd)
        return "ok"

    def query(self, sql):
        """(COLMETADATA, [ROW]) for a statement that yields rows, else the rows it changed."""
        cur = self.db.execute(sql)
        if cur.description is None:
            return cur.rowcount
        rows = cur.fetchall()
        columns = self.result_columns(sql, cur.description, rows)
        return tds.encode_result(columns, rows, self.mode)

    def result_columns(self, sql, description, rows):
        """One SQL Server type per column: from the values, else from the declared type of the
        table column it comes from (an empty result still needs types)."""
        declared = None
        columns = []
        for i, d in enumerate(description):
            # SQL Server names an expression without an alias ''; SQLite names it by its text.
            name = d[0] if NAME_LIKE.match(d[0] or "") else ""
            values = [r[i] for r in rows if r[i] is not None]
            kinds = {type(v) for v in values}
            if not kinds:
                if declared is None:
                    declared = self.declared_types(sql, len(description))
                decl = declared[i].upper()
                if "INT" in decl:
                    columns.append(tds.Column(name, "int", 8 if "BIGINT" in decl else 4))
                elif any(k in decl for k in ("REAL", "FLOA", "DOUB")):
                    columns.append(tds.Column(name, "float"))
                elif "BLOB" in decl:
                    columns.append(tds.Column(name, "binary"))
                else:
                    columns.append(tds.Column(name, "text"))
            elif kinds == {int}:
                wide = any(not -2 ** 31 <= v < 2 ** 31 for v in values)
                columns.append(tds.Column(name, "int", 8 if wide else 4))
            elif kinds <= {int, float}:
                columns.append(tds.Column(name, "float"))
            elif kinds == {bytes}:
                columns.append(tds.Column(name, "binary"))
            else:
                columns.append(tds.Column(name, "text"))
        return columns

    def declared_types(self, sql, count):
        try:
            self.db.execute("DROP VIEW IF EXISTS temp.standin_result")
            self.db.execute("CREATE TEMP VIEW standin_result AS " + sql)
            types = [r[2] or "" for r in self.db.execute("PRAGMA temp.table_info(standin_result)")]
            self.db.execute("DROP VIEW temp.standin_result")
            return types if len(types) == count else [""] * count
        except sqlite3.Error:
            return [""] * count

    def set_option(self, sql):
        m = re.match(r"set\s+(.*?)\s+(on|off)\s*$", sql, re.I | re.S)
        if not m:
            return  # SET TEXTSIZE, DATEFORMAT, LOCK_TIMEOUT ...: accepted, nothing to emulate
        on = m.group(2).lower() == "on"
        for option in m.group(1).split(","):
            option = option.strip().lower()
            if option == "xact_abort":
                self.xact_abort = on
            elif option == "nocount":
                self.nocount = on

    def use(self, st, resp, done_token):
        name = st.sql.split(None, 1)[1].strip().strip('"') if len(st.sql.split()) > 1 else ""
        if name.lower() != self.args.database.lower():
            resp.error(911, 1, 16, f"Database '{name}' does not exist. Make sure that the name is entered correctly.",
                       st.line)
            resp.done(done_token, DONE_ERROR)
            return "error"
        resp.add(tds.envchange(1, self.args.database, self.args.database))
        resp.add(tds.message(tds.INFO, 5701, 2, 0, f"Changed database context to '{self.args.database}'."))
        resp.done(done_token, 0)
        return "ok"

    # ------------------------------------------------------------ transactions

    @staticmethod
    def tran_if(st):
        return st.word == "if" and re.match(r"if\s+standin_trancount\(\)\s*>\s*0\s+(commit|rollback)\b",
                                            st.sql, re.I) is not None

    def descriptor(self):
        return struct.pack("<Q", self.spid * 1000 + self.handles)

    def begin(self, resp):
        if self.trancount == 0:
            self.db.execute("BEGIN")
            self.handles += 1
            resp.add(tds.envchange_bytes(8, self.descriptor(), b""))
        self.trancount += 1

    def commit(self, resp, line):
        if self.trancount == 0:
            resp.error(3902, 1, 16, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.", line)
            return
        self.trancount -= 1
        if self.trancount == 0:
            try:
                self.db.execute("COMMIT")
            except sqlite3.Error:
                self.db.execute("ROLLBACK")
                resp.error(1222, 56, 16, "Lock request time out period exceeded.", line)
            resp.add(tds.envchange_bytes(9, b"", self.descriptor()))

    def rollback(self, resp, line):
        if self.trancount == 0:
            resp.error(3903, 1, 16, "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.", line)
            return
        self.trancount = 0
        self.db.execute("ROLLBACK")
        resp.add(tds.envchange_bytes(10, b"", self.descriptor()))

    def transaction_statement(self, st, resp, done_token):
        sql = st.sql.lower()
        before = resp.errors
        if st.word == "if":
            if self.trancount:
                (self.commit if "commit" in sql else self.rollback)(resp, st.line)
        elif st.word == "begin" and re.match(r"begin\s+tran", sql):
            self.begin(resp)
        elif st.word == "commit":
            self.commit(resp, st.line)
        elif st.word == "rollback":
            self.rollback(resp, st.line)
        elif st.word != "save":
            resp.error(102, 1, 15, f"Incorrect syntax near '{st.sql.split()[0]}'.", st.line)
        failed = resp.errors > before
        resp.done(done_token, DONE_ERROR if failed else 0)
        return "error" if failed else "ok"

    # ------------------------------------------------------------ RPC

    def on_rpc(self, data):
        calls = tds.read_rpc(data, self.tds_version, PROC_IDS)
        resp = Response()
        described = [{"proc": name, "params": [tds.loggable(p.value) for p in params]} for name, params in calls]
        first = described[0] if described else {"proc": "", "params": []}
        extra = {"more_calls": described[1:]} if len(described) > 1 else {}
        self.server.log(self.number, "rpc", **first, **extra)
        for name, params in calls:
            self.call(name, params, resp)
        self.send(resp.payload())

    def call(self, name, params, resp):
        key = re.sub(r"^(?:master\.|sys\.|dbo\.|\.)+", "", name.lower().replace('"', "").replace("[", "")
                     .replace("]", ""))
        handler = getattr(self, "proc_" + key, None) if re.match(r"^sp_\w+$", key) else None
        if handler is None:
            resp.error(2812, 62, 16, f"Could not find stored procedure '{name}'.")
            resp.done(DONEPROC, DONE_ERROR)
            return
        before = resp.errors
        outputs = {}
        try:
            status = handler(params, resp, outputs)
        except tsql.SqlError as e:
            resp.error(e.number, e.state, e.severity, e.text, e.line)
            status = 0
        resp.add(tds.return_status(status or 0))
        for i, p in enumerate(params):
            if p.output and i in outputs:
                resp.add(tds.return_int(i, p.name, outputs[i]))
        resp.done(DONEPROC, DONE_ERROR if resp.errors > before else 0)

    def binds(self, definition, values):
        names = re.findall(r"@[\w@#$]+", definition or "")
        out = {}
        for i, p in enumerate(values):
            name = p.name or (names[i] if i < len(names) else "")
            if name:
                out[name.lower()] = p.value
        return out

    def run_text(self, text, binds, resp):
        statements = self.prepare(text or "", binds)
        self.execute(statements, resp, DONEINPROC)

    @staticmethod
    def arg(params, index, name, default=None):
        for p in params:
            if p.name.lower() == name:
                return p.value
        named = any(p.name for p in params)
        return params[index].value if not named and index < len(params) else default

    def new_handle(self):
        self.handles += 1
        return self.handles

    def proc_sp_executesql(self, params, resp, outputs):
        definition = params[1].value if len(params) > 1 else ""
        self.run_text(params[0].value if params else "", self.binds(definition, params[2:]), resp)

    def proc_sp_prepare(self, params, resp, outputs):
        definition, text = params[1].value, params[2].value
        statements = self.prepare(text, dict.fromkeys(re.findall(r"@[\w@#$]+", (definition or "").lower())))
        if len(statements) == 1 and statements[0].word in ("select", "with"):
            # Like SQL Server, describe the result without running the query: drivers ask for it.
            try:
                meta, _ = self.query(f"SELECT * FROM ({statements[0].sql}) WHERE 0")
                resp.add(meta)
                resp.done(DONEINPROC, 0)
            except sqlite3.Error:
                pass
        handle = self.new_handle()
        self.prepared[handle] = (definition, text)
        outputs[0] = handle

    def proc_sp_prepexec(self, params, resp, outputs):
        handle = self.new_handle()
        self.prepared[handle] = (params[1].value, params[2].value)
        outputs[0] = handle
        self.run_text(params[2].value, self.binds(params[1].value, params[3:]), resp)

    def proc_sp_execute(self, params, resp, outputs):
        handle = params[0].value if params else None
        if handle not in self.prepared:
            raise tsql.SqlError(8179, 4, 16, f"Could not find prepared statement with handle {handle}.")
        definition, text = self.prepared[handle]
        self.run_text(text, self.binds(definition, params[1:]), resp)

    def proc_sp_unprepare(self, params, resp, outputs):
        self.prepared.pop(params[0].value if params else None, None)

    def proc_sp_cursoropen(self, params, resp, outputs):
        values = [p.value for p in params] + [None] * 5
        statements = self.prepare(values[1] or "", self.binds(values[5], params[6:]))
        outputs.update({0: 0, 2: values[2], 3: values[3], 4: -1})
        if len(statements) == 1 and statements[0].word in ("select", "with"):
            try:
                result = self.query(statements[0].sql)
            except sqlite3.Error as e:
                number, state, severity, text = tsql.map_error(e, statements[0], self.args.database)
                resp.error(number, state, severity, text, statements[0].line)
                resp.done(DONEINPROC, DONE_ERROR)
                return 0
            meta, rows = result
            handle = self.new_handle() + 180150000
            self.cursors[handle] = Cursor(meta, rows)
            resp.add(meta)
            resp.done(DONEINPROC, DONE_COUNT, tds.CMD_SELECT, 0)
            outputs.update({0: handle, 4: len(rows)})
        else:
            # Not a query: it just runs, and no cursor is left open.
            self.execute(statements, resp, DONEINPROC)
        return 0

    def proc_sp_cursorfetch(self, params, resp, outputs):
        values = [p.value for p in params] + [None] * 4
        handle, fetch, rownum, nrows = values[:4]
        cursor = self.cursors.get(handle)
        if cursor is None:
            raise tsql.SqlError(16950, 2, 16, "The variable '@cursor' does not currently have a cursor allocated to it.")
        fetch, rownum, nrows = fetch or 2, rownum or 0, nrows if nrows and nrows > 0 else 1
        total = len(cursor.rows)
        if fetch & 0x100:  # INFO: where the cursor is
            outputs.update({2: cursor.start, 3: total})
            resp.done(DONEINPROC, 0)
            return 0
        if fetch & 0x01:
            start = 1
        elif fetch & 0x02:
            start = cursor.start + cursor.size if cursor.start else 1
        elif fetch & 0x04:
            start = max(cursor.start - nrows, 1) if cursor.start > 1 else 0
        elif fetch & 0x08:
            start = max(1, total - nrows + 1)
        elif fetch & 0x10:
            start = rownum if rownum > 0 else total + rownum + 1
        elif fetch & 0x20:
            start = cursor.start + rownum
        else:
            start = cursor.start
        rows = cursor.rows[start - 1:start - 1 + nrows] if 1 <= start <= total else []
        cursor.start, cursor.size = (start, len(rows)) if rows else (total + 1 if start > total else 0, 0)
        resp.add(cursor.meta)
        for row in rows:
            resp.add(row)
        resp.done(DONEINPROC, DONE_COUNT, tds.CMD_SELECT, len(rows))
        return 0

    def proc_sp_cursorclose(self, params, resp, outputs):
        self.cursors.pop(params[0].value if params else None, None)

    def proc_sp_cursoroption(self, params, resp, outputs):
        pass

    def proc_sp_datatype_info_100(self, params, resp, outputs):
        return self.type_info(params, resp, newer_types=True)

    def proc_sp_datatype_info(self, params, resp, outputs):
        return self.type_info(params, resp, newer_types=False)

    def type_info(self, params, resp, newer_types):
        wanted = self.arg(params, 0, "@data_type", 0) or 0
        odbc3 = (self.arg(params, 1, "@odbcver", 2) or 2) == 3
        rows = []
        for row in TYPE_INFO:
            if not newer_types and row[0] in NEWER_TYPES:
                continue
            row = list(row)
            if not odbc3 and row[1] in ODBC2_DATES:
                row[1] = row[15] = ODBC2_DATES[row[1]]
                row[16] = None
            if wanted in (0, row[1]):
                rows.append(row)
        columns = [tds.Column(name, kind, size) for name, kind, size in TYPE_INFO_COLUMNS]
        meta, encoded = tds.encode_result(columns, rows, self.mode)
        resp.add(meta)
        for row in encoded:
            resp.add(row)
        resp.done(DONEINPROC, DONE_COUNT, tds.CMD_SELECT, len(rows))
        return 0


def sql_len(value):
    """T-SQL LEN: characters without the trailing blanks."""
    if value is None:
        return None
    return len(value.rstrip(" ") if isinstance(value, str) else tds.as_text(value))


# What SQL Server 2019 answers to sp_datatype_info_100 (ODBC 3), ordered as it orders them.
TYPE_INFO_COLUMNS = [("TYPE_NAME", "ntext", 0), ("DATA_TYPE", "int", 2), ("PRECISION", "int", 4),
                     ("LITERAL_PREFIX", "text", 0), ("LITERAL_SUFFIX", "text", 0), ("CREATE_PARAMS", "text", 0),
                     ("NULLABLE", "int", 2), ("CASE_SENSITIVE", "int", 2), ("SEARCHABLE", "int", 2),
                     ("UNSIGNED_ATTRIBUTE", "int", 2), ("MONEY", "int", 2), ("AUTO_INCREMENT", "int", 2),
                     ("LOCAL_TYPE_NAME", "ntext", 0), ("MINIMUM_SCALE", "int", 2), ("MAXIMUM_SCALE", "int", 2),
                     ("SQL_DATA_TYPE", "int", 2), ("SQL_DATETIME_SUB", "int", 2), ("NUM_PREC_RADIX", "int", 4),
                     ("INTERVAL_PRECISION", "int", 2), ("USERTYPE", "int", 2)]
N = None
TYPE_INFO = sorted([
    ("sql_variant", -150, 8000, N, N, N, 1, 0, 2, N, 0, N, "sql_variant", 0, 0, -150, N, 10, N, 0),
    ("uniqueidentifier", -11, 36, "'", "'", N, 1, 0, 2, N, 0, N, "uniqueidentifier", N, N, -11, N, N, N, 0),
    ("ntext", -10, 1073741823, "N'", "'", N, 1, 0, 1, N, 0, N, "ntext", N, N, -10, N, N, N, 0),
    ("xml", -152, 0, "N'", "'", N, 1, 1, 0, N, 0, N, "xml", N, N, -152, N, N, N, 0),
    ("nvarchar", -9, 4000, "N'", "'", "max length", 1, 0, 3, N, 0, N, "nvarchar", N, N, -9, N, N, N, 0),
    ("sysname", -9, 128, "N'", "'", N, 0, 0, 3, N, 0, N, "sysname", N, N, -9, N, N, N, 18),
    ("nchar", -8, 4000, "N'", "'", "length", 1, 0, 3, N, 0, N, "nchar", N, N, -8, N, N, N, 0),
    ("bit", -7, 1, N, N, N, 1, 0, 2, N, 0, N, "bit", 0, 0, -7, N, N, N, 16),
    ("tinyint", -6, 3, N, N, N, 1, 0, 2, 1, 0, 0, "tinyint", 0, 0, -6, N, 10, N, 5),
    ("tinyint identity", -6, 3, N, N, N, 0, 0, 2, 1, 0, 1, "tinyint identity", 0, 0, -6, N, 10, N, 5),
    ("bigint", -5, 19, N, N, N, 1, 0, 2, 0, 0, 0, "bigint", 0, 0, -5, N, 10, N, 0),
    ("bigint identity", -5, 19, N, N, N, 0, 0, 2, 0, 0, 1, "bigint identity", 0, 0, -5, N, 10, N, 0),
    ("image", -4, 2147483647, "0x", N, N, 1, 0, 0, N, 0, N, "image", N, N, -4, N, N, N, 20),
    ("varbinary", -3, 8000, "0x", N, "max length", 1, 0, 2, N, 0, N, "varbinary", N, N, -3, N, N, N, 4),
    ("binary", -2, 8000, "0x", N, "length", 1, 0, 2, N, 0, N, "binary", N, N, -2, N, N, N, 3),
    ("timestamp", -2, 8, "0x", N, N, 0, 0, 2, N, 0, N, "timestamp", N, N, -2, N, N, N, 80),
    ("text", -1, 2147483647, "'", "'", N, 1, 0, 1, N, 0, N, "text", N, N, -1, N, N, N, 19),
    ("char", 1, 8000, "'", "'", "length", 1, 0, 3, N, 0, N, "char", N, N, 1, N, N, N, 1),
    ("numeric", 2, 38, N, N, "precision,scale", 1, 0, 2, 0, 0, 0, "numeric", 0, 38, 2, N, 10, N, 10),
    ("numeric() identity", 2, 38, N, N, "precision", 0, 0, 2, 0, 0, 1, "numeric() identity", 0, 0, 2, N, 10, N, 10),
    ("decimal", 3, 38, N, N, "precision,scale", 1, 0, 2, 0, 0, 0, "decimal", 0, 38, 3, N, 10, N, 24),
    ("money", 3, 19, "$", N, N, 1, 0, 2, 0, 1, 0, "money", 4, 4, 3, N, 10, N, 11),
    ("smallmoney", 3, 10, "$", N, N, 1, 0, 2, 0, 1, 0, "smallmoney", 4, 4, 3, N, 10, N, 21),
    ("decimal() identity", 3, 38, N, N, "precision", 0, 0, 2, 0, 0, 1, "decimal() identity", 0, 0, 3, N, 10, N, 24),
    ("int", 4, 10, N, N, N, 1, 0, 2, 0, 0, 0, "int", 0, 0, 4, N, 10, N, 7),
    ("int identity", 4, 10, N, N, N, 0, 0, 2, 0, 0, 1, "int identity", 0, 0, 4, N, 10, N, 7),
    ("smallint", 5, 5, N, N, N, 1, 0, 2, 0, 0, 0, "smallint", 0, 0, 5, N, 10, N, 6),
    ("smallint identity", 5, 5, N, N, N, 0, 0, 2, 0, 0, 1, "smallint identity", 0, 0, 5, N, 10, N, 6),
    ("float", 6, 53, N, N, N, 1, 0, 2, 0, 0, 0, "float", N, N, 6, N, 2, N, 8),
    ("real", 7, 24, N, N, N, 1, 0, 2, 0, 0, 0, "real", N, N, 7, N, 2, N, 23),
    ("varchar", 12, 8000, "'", "'", "max length", 1, 0, 3, N, 0, N, "varchar", N, N, 12, N, N, N, 2),
    ("date", 91, 10, "'", "'", N, 1, 0, 3, N, 0, N, "date", N, 0, 9, 1, N, N, 0),
    ("time", 92, 16, "'", "'", "scale", 1, 0, 3, N, 0, N, "time", 0, 7, 9, 2, N, N, 0),
    ("datetime2", 93, 27, "'", "'", "scale", 1, 0, 3, N, 0, N, "datetime2", 0, 7, 9, 3, N, N, 0),
    ("datetime", 93, 23, "'", "'", N, 1, 0, 3, N, 0, N, "datetime", 3, 3, 9, 3, N, N, 12),
    ("smalldatetime", 93, 16, "'", "'", N, 1, 0, 3, N, 0, N, "smalldatetime", 0, 0, 9, 3, N, N, 22),
    ("datetimeoffset", -155, 34, "'", "'", "scale", 1, 0, 3, N, 0, N, "datetimeoffset", 0, 7, -155, 0, N, N, 0),
], key=lambda r: (r[1], r[11] or 0, r[10], r[19]))
NEWER_TYPES = {"date", "time", "datetime2", "datetimeoffset"}
ODBC2_DATES = {91: 9, 92: 10, 93: 11}
