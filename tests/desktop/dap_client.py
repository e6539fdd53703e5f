#!/usr/bin/env python3
"""An editor's side of a debug session with the window's machine, over the Debug Adapter
Protocol's wire format on 127.0.0.1: on the C test cartridge, a line breakpoint stops the
window, its variables read, a step and a step back, continue; a second client meanwhile is
turned away; after the first disconnects, a new one attaches and finds the window running.

Usage: dap_client.py PORT CTEST.sg CTEST_SOURCES SCREENSHOT_COMMAND
(the command runs, through the shell, while the machine stands at the breakpoint)."""
import json
import os
import socket
import subprocess
import sys
import time

port, cartridge, sources, screenshot = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
game_c = os.path.join(sources, "game.c")
TIMEOUT = 30


class Client:
    def __init__(self):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=TIMEOUT)
        self.pending = b""
        self.seq = 0
        self.events = []

    def message(self):
        """The next message, or None once the other side has closed."""
        while True:
            head, sep, rest = self.pending.partition(b"\r\n\r\n")
            if sep:
                length = int(head.split(b"Content-Length:")[1].split(b"\r\n")[0])
                if len(rest) >= length:
                    self.pending = rest[length:]
                    return json.loads(rest[:length])
            chunk = self.sock.recv(65536)
            if not chunk:
                return None
            self.pending += chunk

    def request(self, command, **arguments):
        self.seq += 1
        body = json.dumps({"seq": self.seq, "type": "request", "command": command,
                           "arguments": arguments}).encode()
        self.sock.sendall(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        while True:
            message = self.message()
            if message is None:
                raise AssertionError(f"{command}: the adapter closed the connection")
            if message["type"] == "event":
                self.events.append(message)
            elif message.get("request_seq") == self.seq:
                if not message["success"]:
                    raise AssertionError(f"{command} failed: {message.get('message')}")
                return message.get("body", {})

    def event(self, name):
        for i, message in enumerate(self.events):
            if message["event"] == name:
                return self.events.pop(i)
        while True:
            message = self.message()
            if message is None:
                raise AssertionError(f"no '{name}' event before the connection closed")
            if message["type"] == "event" and message["event"] == name:
                return message
            if message["type"] == "event":
                self.events.append(message)

    def evaluate(self, expression):
        frame = self.request("stackTrace", threadId=1)["stackFrames"][0]["id"]
        return int(self.request("evaluate", expression=expression, frameId=frame,
                                context="watch")["result"].split()[0], 0)

    def line(self):
        return self.request("stackTrace", threadId=1)["stackFrames"][0]["line"]

    def start(self, how="launch"):
        capabilities = self.request("initialize", adapterID="plexaro", linesStartAt1=True)
        assert capabilities.get("supportsStepBack"), capabilities
        if how == "launch":
            self.request("launch", program=cartridge, sourceFolders=[sources])
        else:
            self.request("attach", sourceFolders=[sources])  # to whatever the window runs
        self.event("initialized")


def step(text):
    print("ok -", text, flush=True)


editor = Client()
editor.start()
step("attached and launched into the window")

other = Client()  # while the first is attached: told why, and let go
said = other.event("output")["body"]["output"]
assert "another debugger" in said, said
other.event("terminated")
assert other.message() is None
step("a second client is turned away: " + said.strip())

verified = editor.request("setBreakpoints", source={"path": game_c}, breakpoints=[{"line": 77}])
assert verified["breakpoints"][0]["verified"], verified
editor.request("configurationDone")
stopped = editor.event("stopped")["body"]
assert stopped["reason"] == "breakpoint", stopped
assert editor.line() == 77
rounds = editor.evaluate("rounds")
scopes = editor.request("scopes", frameId=0)["scopes"]
globals_ = next(s for s in scopes if s["name"] == "Globals")["variablesReference"]
names = [v["name"] for v in editor.request("variables", variablesReference=globals_)["variables"]]
assert "total" in names and "hero" in names, names
step(f"stopped at game.c:77 with rounds = {rounds}; globals {', '.join(names)}")

subprocess.run(screenshot, shell=True, check=True)
time.sleep(1)  # the window stands still meanwhile: the breakpoint holds its machine
assert editor.evaluate("rounds") == rounds
step("screenshot taken while stopped; a second later the machine has not moved")

editor.request("next")
assert editor.event("stopped")["body"]["reason"] == "step"
assert editor.line() == 78, editor.line()
total = editor.evaluate("total")
editor.request("stepBack")
assert editor.event("stopped")["body"]["reason"] == "step"
assert editor.line() == 77, editor.line()
step(f"next to line 78 (total = {total}) and stepBack to 77")

editor.request("continue")
assert editor.event("stopped")["body"]["reason"] == "breakpoint"
assert editor.evaluate("rounds") == (rounds + 1) % 256
step("continue stops at the next round's breakpoint")

editor.request("setBreakpoints", source={"path": game_c}, breakpoints=[])
editor.request("continue")
editor.request("disconnect")
assert editor.message() is None or True
editor.sock.close()
step("disconnected")

time.sleep(1)
again = Client()
again.start("attach")
kept = [e for e in again.events if e["event"] == "output" and "goes on" in e["body"]["output"]]
assert kept, "attaching loaded the window's cartridge again rather than keeping it"
again.request("configurationDone")
again.request("pause")
assert again.event("stopped")["body"]["reason"] == "pause"
later = again.evaluate("rounds")
assert later != (rounds + 1) % 256, later
again.request("continue")
again.request("disconnect")
again.sock.close()
step(f"a new client attaches and finds the window's game running on (rounds = {later}) and leaves it so")
