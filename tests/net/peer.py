# A lobby client written apart from the program: it logs in to a lobby server on loopback,
# checks the frames it gets byte for byte, sends malformed frames on side connections, chats
# and changes the rule. Prints "ok" and exits 0 when everything matched.
import json
import socket
import struct
import sys

from lobby_frames import frame, read_frame

port = int(sys.argv[1])


def expect(got, want):
    if got != want:
        raise SystemExit("got %r, want %r" % (got, want))


s = socket.create_connection(("127.0.0.1", port), timeout=5)
expect(read_frame(s), b'{"code":"auth","name":"mahjong","version":"2010\\/01\\/01"}')
s.sendall(frame('{"code":"auth","name":"mahjong","version":"2010/01/01"}'))
expect(read_frame(s), b'{"code":"auth_complete"}')

# Malformed frames on side connections leave this one served. A head that can never be a frame
# makes the server close that side connection itself.
for bad in [struct.pack("<i", 0), struct.pack("<i", -1), struct.pack("<i", 70000) + b"x" * 10,
            struct.pack("<i", -2**31)]:
    side = socket.create_connection(("127.0.0.1", port), timeout=5)
    read_frame(side)  # the server's auth
    side.sendall(bad)
    try:
        expect(side.recv(16), b"")
    except ConnectionResetError:
        pass
    side.close()
side = socket.create_connection(("127.0.0.1", port), timeout=5)
side.sendall(struct.pack("<i", 5)[:2])
side.close()

s.sendall(frame('{"code":"login","name":"py"}'))
expect(read_frame(s), b'{"code":"add_client","name":"py","user_id":2}')
expect(read_frame(s), b'{"code":"login_complete","user_id":2}')
expect(read_frame(s), b'{"code":"lobby"}')
# Then the rule as it stands, option by option.
rule = [json.loads(read_frame(s)) for _ in range(7)]
expect([r["rule"] for r in rule], [2, 4, 7, 9, 12, 15, 17])

# Split at every byte: a rule change in single bytes, then one with invalid JSON before it.
for b in frame('{"code":"rule","rule":3,"label":"hanchan"}'):
    s.send(bytes([b]))
expect(read_frame(s), b'{"code":"rule","label":"hanchan","rule":3}')
s.sendall(frame("{not json") + frame('{"code":7}') + frame('{"code":"chat","name":"py","message":"hi"}'))
s.sendall(frame('{"code":"rule","rule":"3"}') + frame('{"code":"rule","rule":1e999}') + frame('[1,2]') +
          frame('{"code":"chat","name":5,"message":"x"}') + frame('{"code":"rule","rule":99}'))
s.sendall(frame('{"code":"rule","rule":13,"label":"kuitan_nasi"}'))
expect(read_frame(s), b'{"code":"rule","label":"kuitan_nasi","rule":13}')
s.close()
print("ok")
