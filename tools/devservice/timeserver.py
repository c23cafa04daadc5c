"""A small SNTP server (RFC 4330) on 127.0.0.1, so that the client's time
request never needs to leave the machine: it answers every client request
with this computer's clock, stratum 2."""

import socket
import struct
import threading
import time

# Seconds from 1 January 1900 to 1 January 1970.
EPOCH_DELTA = 2208988800


def ntp_timestamp(unix_seconds):
    """64-bit NTP time; the seconds wrap at 2036 into the next era."""
    seconds = int(unix_seconds) + EPOCH_DELTA
    fraction = int((unix_seconds - int(unix_seconds)) * (1 << 32)) & 0xFFFFFFFF
    return ((seconds & 0xFFFFFFFF) << 32) | fraction


def answer(request, now):
    """The answer to one datagram, or None when it is no client request."""
    if len(request) < 48:
        return None
    version = (request[0] >> 3) & 7
    mode = request[0] & 7
    if mode != 3 or not 1 <= version <= 4:
        return None
    stamp = ntp_timestamp(now)
    origin = request[40:48]  # the client's transmit time, handed back untouched
    header = struct.pack("!BBbb", (0 << 6) | (version << 3) | 4, 2, 6, -20)
    return (header + struct.pack("!II", 0, 0) + b"LOCL" + struct.pack("!Q", ntp_timestamp(now - 30)) + origin
            + struct.pack("!QQ", stamp, stamp))


class TimeServer:
    """Answers on its own thread until close()."""

    def __init__(self, host, port, log):
        self.log = log
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.bind((host, port))
        self.sock.settimeout(0.2)
        self.port = self.sock.getsockname()[1]
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        while not self.stopping.is_set():
            try:
                request, sender = self.sock.recvfrom(512)
            except socket.timeout:
                continue
            except OSError:
                break
            reply = answer(request, time.time())
            if reply is None:
                self.log("time request from %s:%d ignored: no SNTP client request" % sender)
                continue
            self.sock.sendto(reply, sender)
            self.log("time answered to %s:%d" % sender)

    def close(self):
        self.stopping.set()
        self.thread.join(2)
        self.sock.close()


def open_beside(host, port, log):
    """A time server on the HTTP port's number when that UDP port is free, else on any."""
    for wanted in (port, 0):
        try:
            return TimeServer(host, wanted, log)
        except OSError:
            continue
    return None
