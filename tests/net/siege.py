# Hostile peers against a lobby server on loopback, and one well-behaved peer that keeps logging
# in among them. The hostile ones never log in: four send 64 KB frames of nested JSON as fast
# as the server reads them, twelve connect and say nothing, and each opens a new connection as
# soon as the server drops one. Prints one JSON line of figures; exits 0 when every login of
# the well-behaved peer took under a second (and, given --pid, the server's memory never grew by
# --max-mb over what it held when the siege began).
import argparse
import json
import socket
import sys
import threading
import time

from lobby_frames import frame, read_frame

parser = argparse.ArgumentParser()
parser.add_argument("port", type=int)
parser.add_argument("--seconds", type=float, default=10)
parser.add_argument("--flooders", type=int, default=4)
parser.add_argument("--holders", type=int, default=12)
parser.add_argument("--hostile-address", default="127.0.0.1")
parser.add_argument("--pid", type=int, default=0)
parser.add_argument("--max-mb", type=float, default=128)
args = parser.parse_args()

stop = threading.Event()
counts = {"hostile_connections": 0, "flood_bytes": 0}
lock = threading.Lock()


def nested(size):
    # An object with a string code and arrays nested a few deep, filled to size bytes.
    head, tail = '{"code":"chat","x":[[[[', "]]]]}"
    body = ",".join(["[[],[],[]]"] * ((size - len(head) - len(tail)) // 11))
    return head + body + tail


FLOOD = frame(nested(64 * 1024 - 16))


def hostile_socket():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind((args.hostile_address, 0))
    s.settimeout(2)
    s.connect(("127.0.0.1", args.port))
    with lock:
        counts["hostile_connections"] += 1
    return s


def flooder():
    while not stop.is_set():
        try:
            s = hostile_socket()
            while not stop.is_set():
                s.sendall(FLOOD)
                with lock:
                    counts["flood_bytes"] += len(FLOOD)
        except OSError:
            time.sleep(0.001)


def holder():
    while not stop.is_set():
        try:
            s = hostile_socket()
            s.settimeout(0.2)
            while not stop.is_set():
                try:
                    if not s.recv(4096):
                        break  # dropped: open another at once
                except socket.timeout:
                    pass
            s.close()
        except OSError:
            time.sleep(0.001)


def login():
    # Seconds from connecting to "login_complete", or None when the server never let it in.
    start = time.monotonic()
    try:
        s = socket.create_connection(("127.0.0.1", args.port), timeout=5)
        s.settimeout(5)
        want = "auth"
        while True:
            code = json.loads(read_frame(s)).get("code")
            if code == "auth" and want == "auth":
                s.sendall(frame('{"code":"auth","name":"mahjong","version":"2010/01/01"}'))
                want = "auth_complete"
            elif code == "auth_complete" and want == "auth_complete":
                s.sendall(frame('{"code":"login","name":"good"}'))
                want = "login_complete"
            elif code == "login_complete":
                s.close()
                return time.monotonic() - start
    except (OSError, ValueError):
        return None


def resident_mb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return None


samples = []


def watch():
    while not stop.is_set():
        samples.append(resident_mb(args.pid))
        time.sleep(0.02)


base = resident_mb(args.pid) if args.pid else None
threads = [threading.Thread(target=flooder, daemon=True) for _ in range(args.flooders)]
if args.pid:
    threads.append(threading.Thread(target=watch, daemon=True))
threads += [threading.Thread(target=holder, daemon=True) for _ in range(args.holders)]
for t in threads:
    t.start()
time.sleep(1)  # let the siege settle first

times = []
end = time.monotonic() + args.seconds
while time.monotonic() < end:
    times.append(login())
    time.sleep(0.25)
stop.set()

done = [t for t in times if t is not None]
result = {
    "logins": len(times),
    "logged_in": len(done),
    "slowest_login_s": round(max(done), 3) if done else None,
    "hostile_connections": counts["hostile_connections"],
    "flood_mb": round(counts["flood_bytes"] / 1048576.0, 1),
}
ok = len(done) == len(times) and len(times) > 0 and max(done) < 1.0
if args.pid:
    seen = [m for m in samples if m is not None]
    peak = max(seen) if seen and base is not None else None
    result["resident_mb_before"] = round(base, 1) if base is not None else None
    result["resident_mb_peak"] = round(peak, 1) if peak is not None else None
    result["growth_mb"] = round(peak - base, 1) if peak is not None else None
    ok = ok and peak is not None and peak - base < args.max_mb
print(json.dumps(result))
sys.exit(0 if ok else 1)
