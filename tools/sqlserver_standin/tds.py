"""TDS 7.4 wire format: packets, the tokens a server sends, and the RPC parameters a client sends."""

import datetime
import decimal
import json
import struct
import time
import uuid

# Packet types
SQL_BATCH, RPC, REPLY, ATTENTION, TRANSACTION, LOGIN7, PRELOGIN = 1, 3, 4, 6, 14, 16, 18

# Tokens
COLMETADATA, ERROR, INFO, RETURNVALUE, LOGINACK, ROW, ENVCHANGE = 0x81, 0xAA, 0xAB, 0xAC, 0xAD, 0xD1, 0xE3
RETURNSTATUS, DONE, DONEPROC, DONEINPROC = 0x79, 0xFD, 0xFE, 0xFF
DONE_MORE, DONE_ERROR, DONE_COUNT, DONE_ATTN = 0x01, 0x02, 0x10, 0x20

# DONE's CurCmd, as SQL Server fills it
CMD_SELECT, CMD_INSERT, CMD_DELETE, CMD_UPDATE = 0xC1, 0xC3, 0xC4, 0xC5

SERVER_NAME = "STANDIN"
TDS74 = 0x74000004
MAX_MESSAGE = 64 * 1024 * 1024


class ProtocolError(Exception):
    pass


class ClientGone(Exception):
    pass


class TextMode:
    """How text columns go out: the wire type, the code page and the collation that names it."""

    def __init__(self, wire_type, codec, collation, collation_name, code_page):
        self.wire_type = wire_type
        self.codec = codec
        self.collation = collation
        self.collation_name = collation_name  # DATABASEPROPERTYEX(..., 'Collation')
        self.code_page = code_page  # COLLATIONPROPERTY(..., 'CodePage')

    def encode(self, text):
        if self.wire_type == NVARCHAR:
            return text.encode("utf-16-le", "surrogatepass")
        return text.encode(self.codec, "replace")

    def to_code_page(self, text):
        """What a non-N literal becomes on a server whose database uses this code page."""
        return text.encode(self.codec, "replace").decode(self.codec)


NVARCHAR, VARCHAR, VARBINARY, INTN, FLTN = 0xE7, 0xA7, 0xA5, 0x26, 0x6D
CHINESE_PRC_CI_AS = bytes.fromhex("0408d00000")  # LCID 2052, CI, kana/width insensitive, sort id 0
LATIN1_CI_AS = bytes.fromhex("0904d00034")  # SQL_Latin1_General_CP1_CI_AS: LCID 1033, sort id 52

TEXT_MODES = {
    # The database collation is Chinese_PRC_CI_AS here too, so non-N literals still pass code page 936.
    "nvarchar": TextMode(NVARCHAR, "gbk", CHINESE_PRC_CI_AS, "Chinese_PRC_CI_AS", 936),
    "gbk": TextMode(VARCHAR, "gbk", CHINESE_PRC_CI_AS, "Chinese_PRC_CI_AS", 936),
    "latin1": TextMode(VARCHAR, "cp1252", LATIN1_CI_AS, "SQL_Latin1_General_CP1_CI_AS", 1252),
}


def json_line(entry):
    return json.dumps(entry, ensure_ascii=False) + "\n"


# ---------------------------------------------------------------- packets


class Wire:
    """Messages in and out over one socket, split into packets of the negotiated size."""

    def __init__(self, sock, spid, bits_per_second=0):
        self.sock = sock
        self.spid = spid
        self.packet_size = 4096
        self.bits_per_second = bits_per_second  # a slow link: each byte takes its time both ways
        self.bytes_in = 0
        self.bytes_out = 0
        self.before_send = None

    def _carry(self, n):
        if self.bits_per_second > 0:
            time.sleep(n * 8 / self.bits_per_second)

    def _read_exact(self, n):
        chunks = []
        while n > 0:
            chunk = self.sock.recv(min(n, 65536))
            if not chunk:
                raise ClientGone()
            self.bytes_in += len(chunk)
            self._carry(len(chunk))
            chunks.append(chunk)
            n -= len(chunk)
        return b"".join(chunks)

    def read_message(self):
        parts, size, first_type = [], 0, None
        for _ in range(MAX_MESSAGE // 8):
            header = self._read_exact(8)
            ptype, status, length = header[0], header[1], struct.unpack(">H", header[2:4])[0]
            if length < 8:
                raise ProtocolError(f"packet length {length}")
            first_type = ptype if first_type is None else first_type
            body = self._read_exact(length - 8)
            if ptype == ATTENTION:
                return ATTENTION, b""
            parts.append(body)
            size += len(body)
            if size > MAX_MESSAGE:
                raise ProtocolError("request larger than 64 MiB")
            if status & 0x01:
                return first_type, b"".join(parts)
        raise ProtocolError("request without an end")

    def send(self, data, ptype=REPLY):
        step = self.packet_size - 8
        out = bytearray()
        count = max(1, -(-len(data) // step))
        for i in range(count):
            part = data[i * step:(i + 1) * step]
            status = 0x01 if i == count - 1 else 0x00
            out += struct.pack(">BBHHBB", ptype, status, len(part) + 8, self.spid, (i + 1) % 256, 0)
            out += part
        self._carry(len(out))
        self.bytes_out += len(out)
        if self.before_send:
            self.before_send()  # counted before the client can have read the answer
        self.sock.sendall(out)


# ---------------------------------------------------------------- server tokens


def b_varchar(text):
    data = text.encode("utf-16-le", "surrogatepass")
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = text.encode("utf-16-le", "surrogatepass")
    return struct.pack("<H", len(data) // 2) + data


def envchange(kind, new, old):
    body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return bytes([ENVCHANGE]) + struct.pack("<H", len(body)) + body


def envchange_bytes(kind, new, old):
    body = bytes([kind, len(new)]) + new + bytes([len(old)]) + old
    return bytes([ENVCHANGE]) + struct.pack("<H", len(body)) + body


def message(token, number, state, severity, text, line=1, proc=""):
    body = struct.pack("<iBB", number, state, severity) + us_varchar(text)
    body += b_varchar(SERVER_NAME) + b_varchar(proc) + struct.pack("<i", line)
    return bytes([token]) + struct.pack("<H", len(body)) + body


def loginack(tds_version):
    body = bytes([1]) + struct.pack(">I", tds_version) + b_varchar("Microsoft SQL Server")
    body += bytes([15, 0, 2000 >> 8, 2000 & 0xFF])
    return bytes([LOGINACK]) + struct.pack("<H", len(body)) + body


def done(token, status, curcmd=0, count=0):
    return struct.pack("<BHHQ", token, status, curcmd, count)


def return_status(value):
    return struct.pack("<Bi", RETURNSTATUS, value)


def return_int(ordinal, name, value):
    """RETURNVALUE of an int OUTPUT parameter (cursor and prepared-statement handles, counts)."""
    data = b"\x00" if value is None else b"\x04" + struct.pack("<i", value)
    return bytes([RETURNVALUE]) + struct.pack("<H", ordinal) + b_varchar(name) + b"\x01" \
        + struct.pack("<IH", 0, 0x0001) + bytes([INTN, 4]) + data


def prelogin_reply():
    options = [(0, bytes([15, 0, 2000 >> 8, 2000 & 0xFF, 0, 0])),  # version 15.0.2000
               (1, b"\x02"),  # ENCRYPT_NOT_SUP: no TLS at all
               (2, b"\x00"),
               (4, b"\x00")]  # no MARS
    offset = 5 * len(options) + 1
    head, body = bytearray(), bytearray()
    for token, value in options:
        head += struct.pack(">BHH", token, offset + len(body), len(value))
        body += value
    return bytes(head + b"\xff" + body)


def prelogin_options(data):
    options, pos = {}, 0
    while pos < len(data) and data[pos] != 0xFF and pos + 5 <= len(data):
        token, offset, length = struct.unpack(">BHH", data[pos:pos + 5])
        options[token] = data[offset:offset + length]
        pos += 5
    return options


# ---------------------------------------------------------------- result sets


class Column:
    """One result column: kind is int, float, text, ntext (always NVARCHAR) or binary."""

    def __init__(self, name, kind, size=4):
        self.name = name
        self.kind = kind
        self.size = size  # bytes of an int
        self.big = False  # text or binary with a value over 8000 bytes: sent as (MAX)

    def type_info(self, mode):
        if self.kind == "int":
            return bytes([INTN, self.size])
        if self.kind == "float":
            return bytes([FLTN, 8])
        limit = 0xFFFF if self.big else 8000
        if self.kind == "binary":
            return bytes([VARBINARY]) + struct.pack("<H", limit)
        wire_type = NVARCHAR if self.kind == "ntext" else mode.wire_type
        return bytes([wire_type]) + struct.pack("<H", limit) + mode.collation

    def value_bytes(self, value, mode):
        """The value as it goes in a ROW token; text and binary were turned into bytes already."""
        if self.kind == "int":
            return b"\x00" if value is None else bytes([self.size]) + int(value).to_bytes(self.size, "little", signed=True)
        if self.kind == "float":
            return b"\x00" if value is None else b"\x08" + struct.pack("<d", float(value))
        if self.big:
            if value is None:
                return b"\xff" * 8
            chunk = struct.pack("<I", len(value)) + value if value else b""
            return struct.pack("<Q", len(value)) + chunk + b"\x00\x00\x00\x00"
        return b"\xff\xff" if value is None else struct.pack("<H", len(value)) + value


def as_text(value):
    if isinstance(value, bytes):
        return "0x" + value.hex().upper()
    if isinstance(value, float):
        return repr(value)
    return str(value)


def encode_result(columns, rows, mode):
    """COLMETADATA and one ROW token per row."""
    columns = list(columns)
    data = [list(r) for r in rows]
    for i, col in enumerate(columns):
        if col.kind in ("text", "ntext", "binary"):
            ntext = col.kind == "ntext"
            for r in data:
                v = r[i]
                if v is None:
                    continue
                if col.kind == "binary":
                    r[i] = v if isinstance(v, bytes) else as_text(v).encode()
                else:
                    text = as_text(v)
                    r[i] = text.encode("utf-16-le", "surrogatepass") if ntext else mode.encode(text)
                if len(r[i]) > 8000:
                    col.big = True
    meta = bytearray([COLMETADATA]) + struct.pack("<H", len(columns))
    for col in columns:
        meta += struct.pack("<IH", 0, 0x0001) + col.type_info(mode) + b_varchar(col.name)
    encoded_rows = [bytes([ROW]) + b"".join(col.value_bytes(r[i], mode) for i, col in enumerate(columns))
                    for r in data]
    return bytes(meta), encoded_rows


# ---------------------------------------------------------------- RPC parameters

FIXED_LEN = {0x1F: 0, 0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x7F: 8, 0x3B: 4, 0x3E: 8, 0x3C: 8, 0x7A: 4,
             0x3D: 8, 0x3A: 4}
BYTE_LEN = {0x26, 0x68, 0x6D, 0x6E, 0x6F, 0x24}  # INTN BITN FLTN MONEYN DATETIMN GUID
DECIMALS = {0x6A, 0x6C, 0x37, 0x3F}
SCALED = {0x29, 0x2A, 0x2B}  # TIME DATETIME2 DATETIMEOFFSET
DATEN = 0x28
SHORT_CHAR, SHORT_BIN = {0xA7, 0xAF, 0xE7, 0xEF}, {0xA5, 0xAD}
LONG_CHAR, LONG_BIN = {0x23, 0x63}, {0x22}
XML = 0xF1
UNICODE_TYPES = {0xE7, 0xEF, 0x63}


class Param:
    def __init__(self, name, value, output=False):
        self.name = name
        self.value = value
        self.output = output


class Reader:
    def __init__(self, data, pos=0):
        self.data = data
        self.pos = pos

    def take(self, n):
        if self.pos + n > len(self.data):
            raise ProtocolError("request ends inside a value")
        part = self.data[self.pos:self.pos + n]
        self.pos += n
        return part

    def byte(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def ucs2(self, chars):
        return self.take(2 * chars).decode("utf-16-le", "surrogatepass")

    def plp(self):
        total = struct.unpack("<Q", self.take(8))[0]
        if total == 0xFFFFFFFFFFFFFFFF:
            return None
        parts = []
        for _ in range(MAX_MESSAGE):
            size = self.u32()
            if size == 0:
                break
            parts.append(self.take(size))
        return b"".join(parts)


def skip_all_headers(data, tds_version):
    if tds_version >= 0x72000000 and len(data) >= 4:
        total = struct.unpack("<I", data[:4])[0]
        if 4 <= total <= len(data):
            return total
    return 0


def collation_codec(collation):
    if not collation or len(collation) < 5:
        return "cp1252"
    info = int.from_bytes(collation[:4], "little")
    if info & (1 << 26):
        return "utf-8"
    lcid = info & 0xFFFF
    if collation[4] == 0:
        table = {0x0804: "gbk", 0x1004: "gbk", 0x0404: "cp950", 0x0C04: "cp950", 0x1404: "cp950",
                 0x0411: "cp932", 0x0412: "cp949"}
        return table.get(lcid, "cp1252")
    return "cp1252"


def read_rpc(data, tds_version, proc_names):
    """The calls in one RPC request: [(name, [Param])]."""
    r = Reader(data, skip_all_headers(data, tds_version))
    calls = []
    while r.pos < len(r.data):
        length = r.u16()
        if length == 0xFFFF:
            proc_id = r.u16()
            name = proc_names.get(proc_id, f"#{proc_id}")
        else:
            name = r.ucs2(length)
        r.u16()  # option flags
        params = []
        while r.pos < len(r.data) and r.data[r.pos] not in (0x80, 0xFE, 0xFF):
            pname = r.ucs2(r.byte())
            status = r.byte()
            params.append(Param(pname, read_param_value(r), bool(status & 0x01)))
        calls.append((name, params))
        if r.pos < len(r.data):
            r.pos += 1  # the separator between batched calls
    return calls


def read_param_value(r):
    t = r.byte()
    scale = 0
    collation = None
    if t in FIXED_LEN:
        raw = r.take(FIXED_LEN[t])
        return None if t == 0x1F else convert(t, raw, 0, None)
    if t in BYTE_LEN:
        r.byte()
    elif t in DECIMALS:
        r.byte()
        r.byte()
        scale = r.byte()
    elif t in SCALED:
        scale = r.byte()
    elif t == DATEN:
        pass
    elif t in SHORT_CHAR or t in SHORT_BIN:
        limit = r.u16()
        if t in SHORT_CHAR:
            collation = r.take(5)
        if limit == 0xFFFF:
            raw = r.plp()
            return None if raw is None else convert(t, raw, 0, collation)
        size = r.u16()
        return None if size == 0xFFFF else convert(t, r.take(size), 0, collation)
    elif t in LONG_CHAR or t in LONG_BIN:
        r.u32()
        if t in LONG_CHAR:
            collation = r.take(5)
        size = r.u32()
        return None if size == 0xFFFFFFFF else convert(t, r.take(size), 0, collation)
    elif t == XML:
        if r.byte():
            r.ucs2(r.byte())
            r.ucs2(r.byte())
            r.ucs2(r.u16())
        raw = r.plp()
        return None if raw is None else raw.decode("utf-16-le", "surrogatepass")
    else:
        raise ProtocolError(f"parameter type 0x{t:02X} is not supported")
    size = r.byte()
    return None if size == 0 else convert(t, r.take(size), scale, None)


def _time_of_day(raw, scale):
    ticks = int.from_bytes(raw, "little")
    micro = ticks * 10 ** 6 // 10 ** scale
    return (datetime.datetime.min + datetime.timedelta(microseconds=micro)).time()


def _date(raw):
    return datetime.date(1, 1, 1) + datetime.timedelta(days=int.from_bytes(raw, "little"))


def convert(t, raw, scale, collation):
    """A parameter's value as Python: int, float, Decimal, str or bytes; dates as ISO text."""
    if t in SHORT_CHAR or t in LONG_CHAR:
        return raw.decode("utf-16-le" if t in UNICODE_TYPES else collation_codec(collation), "replace")
    if t in SHORT_BIN or t in LONG_BIN:
        return raw
    if t == 0x30:
        return raw[0]
    if t in (0x32, 0x68):
        return int(raw[0] != 0)
    if t in (0x34, 0x38, 0x7F, 0x26):
        return int.from_bytes(raw, "little", signed=True) if len(raw) > 1 else raw[0]
    if t in (0x3B, 0x3E, 0x6D):
        return struct.unpack("<f" if len(raw) == 4 else "<d", raw)[0]
    if t in (0x3C, 0x7A, 0x6E):
        if len(raw) == 8:
            hi, lo = struct.unpack("<iI", raw)
            cents = (hi << 32) | lo
        else:
            cents = struct.unpack("<i", raw)[0]
        return decimal.Decimal(cents).scaleb(-4)
    if t in DECIMALS:
        magnitude = int.from_bytes(raw[1:], "little")
        return decimal.Decimal(magnitude if raw[0] else -magnitude).scaleb(-scale)
    if t in (0x3D, 0x3A, 0x6F):
        base = datetime.datetime(1900, 1, 1)
        if len(raw) == 8:
            days, ticks = struct.unpack("<iI", raw)
            value = base + datetime.timedelta(days=days, milliseconds=round(ticks * 10 / 3))
            return value.isoformat(" ", "milliseconds")
        days, minutes = struct.unpack("<HH", raw)
        return (base + datetime.timedelta(days=days, minutes=minutes)).isoformat(" ", "seconds")
    if t == DATEN:
        return _date(raw).isoformat()
    if t == 0x29:
        return _time_of_day(raw, scale).isoformat()
    if t == 0x2A:
        return datetime.datetime.combine(_date(raw[-3:]), _time_of_day(raw[:-3], scale)).isoformat(" ")
    if t == 0x2B:
        offset = struct.unpack("<h", raw[-2:])[0]
        utc = datetime.datetime.combine(_date(raw[-5:-2]), _time_of_day(raw[:-5], scale))
        zone = datetime.timezone(datetime.timedelta(minutes=offset))
        return (utc.replace(tzinfo=datetime.timezone.utc).astimezone(zone)).isoformat(" ")
    if t == 0x24:
        return str(uuid.UUID(bytes_le=raw)).upper()
    raise ProtocolError(f"parameter type 0x{t:02X} is not supported")


def loggable(value):
    if isinstance(value, bytes):
        return "0x" + value.hex().upper()
    if isinstance(value, decimal.Decimal):
        return str(value)
    return value
