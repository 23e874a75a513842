# Hostile peers against a lobby server on loopback, and one well-behaved peer that keeps logging
# in among them. The hostile ones come from several source addresses (127.0.0.2 onwards, which
# Linux routes over loopback) and never log in. From each address: holders connect and say
# nothing; keepers answer "auth" and send a login without a name; flooders send a 64 KB frame of
# nested JSON; authers answer "auth" and then say nothing; tricklers answer "auth" and then send a
# login a byte every --trickle-ms; splitters send a well-formed handshake one byte a packet, all
# of it but the login's last byte (a login would take one of the lobby's few user places, which
# this siege is not about); --mixed gives each address so many connections more whose kinds take
# turns over the addresses: silent, auther, trickler, splitter. Each opens a new connection as
# soon as the server drops one, but no sooner than --reconnect-ms after its last. The first
# hostile address also opens --silent-rate silent connections a second, kept for four seconds
# each; --racers threads open silent connections from the well-behaved peer's own address as fast
# as they can, each closed once the next is open. The addresses are dealt among at most 32
# processes, so that the well-behaved peer's timing is not the hostile threads'. That peer logs in
# every quarter second, in turn from an address of its own (127.0.0.1) and from the first hostile
# one. Prints one JSON line of figures; exits 0 when every login of the well-behaved peer got in
# within --max-login-s (a second by default: the lobby's target; the test programs, which share a
# busy machine with sanitizers on, give the handshake's 3 s, past which a peer counts as locked
# out) and, given --pid, the server's memory never grew by --max-mb over what it held when the
# siege began.
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
parser.add_argument("--authers", type=int, default=0, help="connections from each address that answer auth only")
parser.add_argument("--tricklers", type=int, default=0, help="logins trickled from each address")
parser.add_argument("--splitters", type=int, default=0, help="handshakes sent a byte a packet from each address")
parser.add_argument("--mixed", type=int, default=0, help="connections of every kind in turn from each address")
parser.add_argument("--trickle-ms", type=float, default=100, help="time between a trickled login's bytes")
parser.add_argument("--racers", type=int, default=0, help="threads reconnecting at once from the well-behaved peer's address")
parser.add_argument("--silent-rate", type=float, default=200, help="new silent connections a second")
parser.add_argument("--reconnect-ms", type=float, default=50, help="least time between one thread's connections")
parser.add_argument("--pid", type=int, default=0)
parser.add_argument("--max-mb", type=float, default=128)
parser.add_argument("--max-login-s", type=float, default=1.0)
args = parser.parse_args()
if not 1 <= args.addresses <= 200:
    parser.error("--addresses must be 1 to 200")
for name in ["holders", "keepers", "flooders", "authers", "tricklers", "splitters", "mixed", "racers"]:
    if not 0 <= getattr(args, name) <= 64:
        parser.error("--%s must be 0 to 64" % name)

FRESH = "127.0.0.1"
HOSTILE = ["127.0.0.%d" % (2 + i) for i in range(args.addresses)]
AUTH = frame('{"code":"auth","name":"mahjong","version":"2010/01/01"}')
NAMELESS = frame('{"code":"login"}')
LOGIN = frame('{"code":"login","name":"siege"}')
MIXED = ["holder", "auther", "trickler", "splitter"]
PROCESSES = 32
KINDS = ["connections", "flood_bytes"]


def nested(size):
    # An object with a string code and arrays nested a few deep, filled to size bytes.
    head, tail = '{"code":"chat","x":[[[[', "]]]]}"
    body = ",".join(["[[],[],[]]"] * ((size - len(head) - len(tail)) // 11))
    return head + body + tail


FLOOD = frame(nested(64 * 1024 - 16))


def besiege(plan, until, counts, silent_rate):
    # Hostile addresses of one process, each with its kinds of connection: their threads run
    # until the given time (time.monotonic is system-wide).
    lock = threading.Lock()
    last = threading.local()

    def count(slot, kind, n=1):
        with lock:
            counts[slot * len(KINDS) + KINDS.index(kind)] += n

    def connect(address, slot, timeout=2, paced=True):
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
        count(slot, "connections")
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

    def authed(s):
        # Answers the server's "auth"; true once "auth_complete" came back.
        if read_frame(s).find(b'"auth"') < 0:
            return False
        s.sendall(AUTH)
        return read_frame(s).find(b"auth_complete") >= 0

    def holder(s, slot):
        pass

    def keeper(s, slot):
        if authed(s):
            s.sendall(NAMELESS)

    def flooder(s, slot):
        # The server reads a frame's head before its body: one frame a connection floods it as
        # much as a stream of them, without this machine copying what is never read.
        s.sendall(FLOOD)
        count(slot, "flood_bytes", len(FLOOD))

    def auther(s, slot):
        authed(s)

    def trickler(s, slot):
        if not authed(s):
            return
        for i in range(len(LOGIN) - 1):
            if time.monotonic() >= until:
                return
            s.sendall(LOGIN[i:i + 1])
            time.sleep(args.trickle_ms / 1000.0)

    def splitter(s, slot):
        # Each byte its own packet: no coalescing, and a pause the server's reads can fall in.
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

        def bytewise(data):
            for i in range(len(data)):
                s.sendall(data[i:i + 1])
                time.sleep(0.0005)

        if read_frame(s).find(b'"auth"') < 0:
            return
        bytewise(AUTH)
        if read_frame(s).find(b"auth_complete") >= 0:
            bytewise(LOGIN[:-1])

    def run(kind, address, slot):
        act = {"holder": holder, "keeper": keeper, "flooder": flooder, "auther": auther, "trickler": trickler,
               "splitter": splitter}[kind]
        while time.monotonic() < until:
            try:
                s = connect(address, slot)
                try:
                    act(s, slot)
                    hold(s)
                finally:
                    s.close()
            except (OSError, ValueError):
                time.sleep(0.001)

    def racer(address, slot):
        # Opens connections back to back, each closed once the next is open.
        s = None
        while time.monotonic() < until:
            try:
                t = connect(address, slot, paced=False)
            except OSError:
                continue
            if s:
                s.close()
            s = t
        if s:
            s.close()

    def silent(address, slot):
        # Opens connections at the rate and keeps each for a few seconds, unread.
        kept = []
        step = 1.0 / silent_rate
        due = time.monotonic()
        while time.monotonic() < until:
            due += step
            try:
                kept.append((time.monotonic(), connect(address, slot, timeout=0.5, paced=False)))
            except OSError:
                pass
            while kept and kept[0][0] < time.monotonic() - 4:
                kept.pop(0)[1].close()
            time.sleep(max(0.0, due - time.monotonic()))
        for _, s in kept:
            s.close()

    threads = []
    for address, slot, kinds in plan:
        for kind in kinds:
            target, targs = (racer, (address, slot)) if kind == "racer" else (run, (kind, address, slot))
            threads.append(threading.Thread(target=target, args=targs, daemon=True))
        if slot == 0 and silent_rate > 0:
            threads.append(threading.Thread(target=silent, args=(address, slot), daemon=True))
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
counts = fork.Array("q", len(KINDS) * (len(HOSTILE) + 1))
# Each address's kinds of connection; the racers count as the last slot.
plans = [[] for _ in range(min(PROCESSES, len(HOSTILE) + (args.racers > 0)))]
for i, address in enumerate(HOSTILE):
    kinds = (["holder"] * args.holders + ["keeper"] * args.keepers + ["flooder"] * args.flooders +
             ["auther"] * args.authers + ["trickler"] * args.tricklers + ["splitter"] * args.splitters +
             [MIXED[(i * args.mixed + j) % len(MIXED)] for j in range(args.mixed)])
    plans[i % len(plans)].append((address, i, kinds))
if args.racers:
    plans[-1].append((FRESH, len(HOSTILE), ["racer"] * args.racers))
sieges = [fork.Process(target=besiege, args=(plan, until, counts, args.silent_rate), daemon=True) for plan in plans]
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
result = {"addresses": len(HOSTILE),
          "per_address": args.holders + args.keepers + args.flooders + args.authers + args.tricklers +
          args.splitters + args.mixed}
if args.racers:
    result["racers"] = args.racers
for name, source in [("fresh", FRESH), ("hostile", HOSTILE[0])]:
    n, done, slowest = figures(times[source])
    result["logins_" + name] = n
    result["logged_in_" + name] = done
    result["slowest_%s_s" % name] = slowest
    ok = ok and n > 0 and done == n and slowest < args.max_login_s
total = [0] * len(KINDS)
for i in range(len(HOSTILE) + 1):
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
