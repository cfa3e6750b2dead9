"""Drives an engine through a command stream one command at a time, as
pebble-match does: each line is written alone, and after GO or ISREADY the
whole reply is read before the next line goes. The replies go to standard
output as the engine wrote them.

    python3 scripts/lib/drive_engine.py STREAM ENGINE [ARGUMENT...]

Exits 1 when the engine ends early or with a status other than 0.
"""
import subprocess
import sys


def read_reply(output, keyword):
    """The reply to keyword, whole: READYOK at its K, BESTSHOT at its spin digit."""
    reply = b""
    while True:
        byte = output.read(1)
        if not byte:
            sys.exit(f"drive_engine: the engine closed its output after {reply!r}")
        reply += byte
        if keyword == "ISREADY" and reply.endswith(b"READYOK"):
            return reply
        if keyword == "GO" and reply.startswith(b"BESTSHOT") and reply.count(b" ") == 3 and byte in b"01":
            return reply


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as stream:
        lines = stream.read().split(b"\n")
    engine = subprocess.Popen(sys.argv[2:], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    for line in lines:
        if not line:
            continue
        engine.stdin.write(line + b"\n")
        engine.stdin.flush()
        words = line.split()
        keyword = words[0].decode("ascii", "replace").upper() if words else ""
        if keyword in ("GO", "ISREADY"):
            sys.stdout.buffer.write(read_reply(engine.stdout, keyword))
    engine.stdin.close()
    sys.stdout.buffer.write(engine.stdout.read())
    status = engine.wait()
    if status != 0:
        sys.exit(f"drive_engine: the engine exited with status {status}")


if __name__ == "__main__":
    main()
