# Hostile peers against a lobby server on loopback, and one well-behaved peer that keeps logging
# in among them. The hostile ones come from several source addresses (127.0.0.2 onwards, which
# Linux routes over loopback) and never log in: from each address, holders connect and say
# nothing, keepers answer "auth" and send a login without a name, and flooders send a 64 KB frame
# of nested JSON; each opens a new connection as soon as the server drops one (at most 20 a second
# from one thread). The first hostile address also opens 200 silent connections a second, kept
# for four seconds each. Every address runs in a process of its
# own, so that the well-behaved peer's timing is not the hostile threads'. That peer logs in every
# quarter second, in turn from an address of its own (127.0.0.1) and from the first hostile one.
# Prints one JSON line of figures; exits 0 when every login of the well-behaved peer got in within
# --max-login-s (a second by default: the lobby's target; the test programs, which share a busy
# machine with sanitizers on, give the handshake's 3 s, past which a peer counts as locked out) and,
# given --pid, the server's memory never grew by --max-mb over what it held when the siege began.
import argparse
import json
import multiprocessing
import resource
import socket
import sys
import threading
import time

from lobby_frames import frame, read_frame

parser = argparse.ArgumentParser()
parser.add_argument("port", type=int)
parser.add_argument("--seconds", type=float, default=10)
parser.add_argument("--addresses", type=int, default=8, help="hostile source addresses, 1 to 200")
parser.add_argument("--holders", type=int, default=3, help="silent connections kept from each address")
parser.add_argument("--keepers", type=int, default=3, help="nameless logins kept from each address")
parser.add_argument("--flooders", type=int, default=1, help="64 KB frame senders from each address")
parser.add_argument("--silent-rate", type=float, default=200, help="new silent connections a second")
parser.add_argument("--reconnect-ms", type=float, default=50, help="least time between one thread's connections")
parser.add_argument("--pid", type=int, default=0)
parser.add_argument("--max-mb", type=float, default=128)
parser.add_argument("--max-login-s", type=float, default=1.0)
args = parser.parse_args()
if not 1 <= args.addresses <= 200:
    parser.error("--addresses must be 1 to 200")

FRESH = "127.0.0.1"
HOSTILE = ["127.0.0.%d" % (2 + i) for i in range(args.addresses)]
AUTH = frame('{"code":"auth","name":"mahjong","version":"2010/01/01"}')
NAMELESS = frame('{"code":"login"}')
KINDS = ["connections", "flood_bytes"]


def nested(size):
    # An object with a string code and arrays nested a few deep, filled to size bytes.
    head, tail = '{"code":"chat","x":[[[[', "]]]]}"
    body = ",".join(["[[],[],[]]"] * ((size - len(head) - len(tail)) // 11))
    return head + body + tail


FLOOD = frame(nested(64 * 1024 - 16))


def besiege(address, until, counts, slot, silent_rate):
    # One hostile address: its threads run until the given time (time.monotonic is system-wide).
    lock = threading.Lock()

    def count(kind, n=1):
        with lock:
            counts[slot * len(KINDS) + KINDS.index(kind)] += n

    last = threading.local()

    def connect(timeout=2, paced=True):
        # A thread connects again as soon as it is dropped, but no sooner than --reconnect-ms.
        wait = getattr(last, "at", 0) + args.reconnect_ms / 1000.0 - time.monotonic()
        if paced and wait > 0:
            time.sleep(wait)
        last.at = time.monotonic()
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        try:
            s.bind((address, 0))
            s.settimeout(timeout)
            s.connect(("127.0.0.1", args.port))
        except OSError:
            s.close()
            raise
        count("connections")
        return s

    def hold(s):
        # Until the server drops the connection (or the siege ends); reads what it says.
        s.settimeout(0.2)
        while time.monotonic() < until:
            try:
                if not s.recv(4096):
                    return
            except socket.timeout:
                pass

    def holder():
        while time.monotonic() < until:
            try:
                s = connect()
                hold(s)
                s.close()
            except OSError:
                time.sleep(0.001)

    def keeper():
        while time.monotonic() < until:
            try:
                s = connect()
                if read_frame(s).find(b'"auth"') >= 0:
                    s.sendall(AUTH)
                    if read_frame(s).find(b"auth_complete") >= 0:
                        s.sendall(NAMELESS)
                hold(s)
                s.close()
            except (OSError, ValueError):
                time.sleep(0.001)

    def flooder():
        # The server reads a frame's head before its body: one frame a connection floods it as
        # much as a stream of them, without this machine copying what is never read.
        while time.monotonic() < until:
            try:
                s = connect()
                s.sendall(FLOOD)
                count("flood_bytes", len(FLOOD))
                hold(s)
                s.close()
            except OSError:
                time.sleep(0.001)

    def silent():
        # Opens connections at the rate and keeps each for a few seconds, unread.
        kept = []
        step = 1.0 / silent_rate
        due = time.monotonic()
        while time.monotonic() < until:
            due += step
            try:
                kept.append((time.monotonic(), connect(timeout=0.5, paced=False)))
            except OSError:
                pass
            while kept and kept[0][0] < time.monotonic() - 4:
                kept.pop(0)[1].close()
            time.sleep(max(0.0, due - time.monotonic()))
        for _, s in kept:
            s.close()

    threads = [threading.Thread(target=f, daemon=True)
               for f, n in [(holder, args.holders), (keeper, args.keepers), (flooder, args.flooders)]
               for _ in range(n)]
    if silent_rate > 0:
        threads.append(threading.Thread(target=silent, daemon=True))
    for t in threads:
        t.start()
    for t in threads:
        t.join(max(0.0, until - time.monotonic()) + 3)


def login(source):
    # Seconds from connecting to "login_complete", or None when the server never let it in.
    start = time.monotonic()
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    try:
        s.bind((source, 0))
        s.settimeout(5)
        s.connect(("127.0.0.1", args.port))
        want = "auth"
        while True:
            code = json.loads(read_frame(s)).get("code")
            if code == "auth" and want == "auth":
                s.sendall(AUTH)
                want = "auth_complete"
            elif code == "auth_complete" and want == "auth_complete":
                s.sendall(frame('{"code":"login","name":"good"}'))
                want = "login_complete"
            elif code == "login_complete":
                return time.monotonic() - start
    except (OSError, ValueError):
        return None
    finally:
        s.close()


def resident_mb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return None


# Each connection takes a descriptor in this machine's table: the silent ones need a few hundred.
soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, min(hard, 4096)), hard))

stop = threading.Event()
samples = []


def watch():
    while not stop.is_set():
        samples.append(resident_mb(args.pid))
        time.sleep(0.02)


base = resident_mb(args.pid) if args.pid else None
if args.pid:
    watcher = threading.Thread(target=watch, daemon=True)
    watcher.start()
until = time.monotonic() + 1 + args.seconds
fork = multiprocessing.get_context("fork")
counts = fork.Array("q", len(KINDS) * len(HOSTILE))
sieges = [fork.Process(target=besiege, args=(a, until, counts, i, args.silent_rate if i == 0 else 0), daemon=True)
          for i, a in enumerate(HOSTILE)]
for p in sieges:
    p.start()
time.sleep(1)  # let the siege settle first

times = {FRESH: [], HOSTILE[0]: []}
turn = 0
while time.monotonic() < until:
    source = [FRESH, HOSTILE[0]][turn % 2]
    turn += 1
    times[source].append(login(source))
    time.sleep(0.25)
stop.set()
for p in sieges:
    p.join(5)
    if p.is_alive():
        p.kill()


def figures(results):
    done = [t for t in results if t is not None]
    return len(results), len(done), round(max(done), 3) if done else None


ok = True
result = {"addresses": len(HOSTILE)}
for name, source in [("fresh", FRESH), ("hostile", HOSTILE[0])]:
    n, done, slowest = figures(times[source])
    result["logins_" + name] = n
    result["logged_in_" + name] = done
    result["slowest_%s_s" % name] = slowest
    ok = ok and n > 0 and done == n and slowest < args.max_login_s
total = [0] * len(KINDS)
for i in range(len(HOSTILE)):
    for k in range(len(KINDS)):
        total[k] += counts[i * len(KINDS) + k]
result["hostile_connections"] = total[0]
result["flood_mb"] = round(total[1] / 1048576.0, 1)
if args.pid:
    seen = [m for m in samples if m is not None]
    peak = max(seen) if seen and base is not None else None
    result["resident_mb_before"] = round(base, 1) if base is not None else None
    result["resident_mb_peak"] = round(peak, 1) if peak is not None else None
    result["growth_mb"] = round(peak - base, 1) if peak is not None else None
    ok = ok and peak is not None and peak - base < args.max_mb
print(json.dumps(result))
sys.exit(0 if ok else 1)
