#!/usr/bin/env python3
"""The checks of scripts/board-vm, run as root inside its virtual machine.

Builds the evaluation board as a USB gadget on dummy_hcd (CDC ACM, then HID interfaces 2, 3, 4; control is
3, module 4, 2 belongs to something else) with lidora-gadget running the simulated firmware behind it, and
a foreign HID device with interfaces 0 to 3 on a second controller. Then runs board_vm_probe and
lidora-demo against the kernel's hidraw, usbhid and cdc_acm drivers and prints one line per check:
"ok <leg>/<check>: <what it shows>" or "FAIL <leg>/<check>: <what it shows>: <why>", and "note <text>" for
measured figures. Every check is declared in LINUX_CHECKS or WINDOWS_CHECKS; scripts/board-vm asks for the
list (--declared) and expects exactly one result for each.

With --windows, a Windows leg follows: the Windows build's board_vm_probe.exe and lidora-demo.exe under Wine
against the same gadget, through Wine's SetupAPI, hid.dll and COM ports (winebus.sys on hidraw). Its Wine
prefix was made on the host by scripts/board-vm and is used here under a writable layer in memory.

Usage: checks.py [--windows <Windows build folder>] <source folder> <build folder> <unpacked kernel package>
                 [check...]
       checks.py --declared [--windows] [check...]
Naming checks (as "linux/listing", "windows/listing" or "listing" for both legs) runs only the steps that
give them.
"""
import ctypes
import glob
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import traceback

# Every check of the Linux leg, in the order the steps give them.
LINUX_CHECKS = {
    "enumeration": "the board and another HID device enumerate on the USB",
    "listing": "the two board interfaces with ids, product string and report lengths, nothing else opened",
    "exclusive-open": "a second process is refused while the first holds the interface",
    "exchanges": "control and module answers valid and byte for byte the firmware's, also across several reports",
    "serial": "the board's port found by vendor and product, opened, and its console read: one line per report",
    "unplug-read": "a read blocked until the unplug ends because of it, within the time-out, no descriptor left "
                   "open",
    "unplug-write": "a write blocked until the unplug ends because of it, within the time-out, no descriptor left "
                    "open",
    "replug": "every level back",
    "replug-renumbered": "every level back, with other hidraw numbers",
    "time-out": "a silent board gives the time-out after 1500 ms and answers again afterwards",
    "permissions-rule": "with the udev rule a plugdev user opens the board's nodes and nothing else",
    "permissions-no-rule": "without the rule the program says why and runs in test mode",
    "silent-board": "the program beside a board that stays silent: not taken for connected, asked again and "
                    "again, every request refused in time",
    "silent-sensor": "the program beside a board whose sensor stays silent: the board taken, its identification "
                     "asked for once and not made up, every measurement refused in time",
    "program-opens-board": "the program run as the plugdev user opens the board once it answers",
    "program-commands": "the identification and calibration reads and the operation-mode commands reach the "
                        "board through the stack, byte for byte",
    "program-end-to-end": "unplug/replug cycles with one reconnect each, measured while the board is there, "
                          "refused while it is away, every demo state, no crash",
}
# The Windows leg's checks mirror the Linux ones where Windows has the same thing to show.
WINDOWS_CHECKS = {
    "enumeration": "the board's two interfaces reach Windows' HID class through Wine's bus",
    "listing": "the two board interfaces with ids, product string and report lengths, nothing else opened: "
               "not the other maker's interface 3, nor the board's interface 2, nor Wine's 0000:0000 device",
    "exclusive-open": "a second process is refused while the first holds the interface",
    "exchanges": "control and module answers valid and byte for byte the firmware's, also across several reports",
    "serial": "the board's COM port found by vendor and product, opened, and its console read: one line per "
              "report",
    "unplug-read": "a read blocked until the unplug ends because of it, within the time-out, no handle left open",
    "replug": "every level back",
    "time-out": "a silent board gives the time-out after 1500 ms and answers again afterwards",
    "program-end-to-end": "unplug/replug cycles with one reconnect each, every request measured while the board "
                          "is there and refused while it is away, every demo state, no crash",
}
NO_TARGET = "#ERR;;No target system connected."

DECLARING = sys.argv[1:2] == ["--declared"]
ARGUMENTS = sys.argv[2:] if DECLARING else sys.argv[1:]
WINDOWS_BUILD = ""
if ARGUMENTS[:1] == ["--windows"]:
    WINDOWS_BUILD, ARGUMENTS = (("yes", ARGUMENTS[1:]) if DECLARING else (ARGUMENTS[1], ARGUMENTS[2:]))
SOURCE, BUILD, KERNEL = ("", "", "") if DECLARING else ARGUMENTS[:3]
NAMED = ARGUMENTS if DECLARING else ARGUMENTS[3:]
PROBE = f"{BUILD}/tools/boardvm/board_vm_probe"
GADGET = f"{BUILD}/sim/lidora-gadget"
DEMO = f"{BUILD}/app/lidora-demo"
GADGETS = "/sys/kernel/config/usb_gadget"
BOARD_SERIAL = "4c-31-44-07"
EVERY_STATE = {"STATE_NO_OBJECT", "STATE_OBJECT_TOO_CLOSE", "STATE_OBJECT_PRESENCE", "STATE_OBJECT_FAR",
               "STATE_STATIC"}
USER_ID = 4242
PLUGDEV = 46
# A vendor-defined collection with one 64-byte input and one 64-byte output report, no report ids.
REPORT_DESCRIPTOR = bytes.fromhex("0600ff0901a101150026ff00750895400901810209019102c0")
ENV = dict(os.environ, QT_QPA_PLATFORM="offscreen", ASAN_OPTIONS="detect_leaks=0:abort_on_error=1")


class Leg:
    """One platform's checks: their names carry the leg's as a prefix ("linux/listing")."""

    def __init__(self, name, checks):
        self.name = name
        self.checks = checks
        self.reported = set()

    def report(self, check, ok, why=""):
        self.reported.add(check)
        line = f"{self.name}/{check}: {self.checks[check]}"
        print(f"ok {line}" if ok else f"FAIL {line}: {why}", flush=True)


LINUX = Leg("linux", LINUX_CHECKS)
WINDOWS = Leg("windows", WINDOWS_CHECKS)
report = LINUX.report


def note(text):
    print(f"note {text}", flush=True)


def write(path, value):
    with open(path, "wb" if isinstance(value, bytes) else "w") as file:
        file.write(value)


def wait_until(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


def make_gadget(name, vendor, product, serial, functions):
    root = f"{GADGETS}/{name}"
    os.makedirs(f"{root}/strings/0x409")
    write(f"{root}/idVendor", vendor)
    write(f"{root}/idProduct", product)
    write(f"{root}/strings/0x409/serialnumber", serial)
    write(f"{root}/strings/0x409/manufacturer", "Nox Sensor Systems" if name == "board" else "Other Maker")
    write(f"{root}/strings/0x409/product", "Lidora 1D Evaluation Board" if name == "board" else "Some Keypad")
    os.makedirs(f"{root}/configs/c.1/strings/0x409")
    for index, function in enumerate(functions):
        path = f"{root}/functions/{function}"
        os.makedirs(path)
        if function.startswith("hid"):
            write(f"{path}/protocol", "0")
            write(f"{path}/subclass", "0")
            write(f"{path}/report_length", "64")
            write(f"{path}/report_desc", REPORT_DESCRIPTOR)
        os.symlink(path, f"{root}/configs/c.1/{function}")
    return f"{root}/UDC"


def hidraw_nodes():
    """{(vendor, interface number): node} of every hidraw node present."""
    nodes = {}
    for entry in glob.glob("/sys/class/hidraw/hidraw*"):
        # Entries vanish while they are looked at during an unplug, also under realpath's feet.
        try:
            interface = os.path.dirname(os.path.realpath(f"{entry}/device"))
            number = open(f"{interface}/bInterfaceNumber").read().strip()
            vendor = open(f"{os.path.dirname(interface)}/idVendor").read().strip()
        except OSError:
            continue
        nodes[(vendor, number)] = f"/dev/{os.path.basename(entry)}"
    return nodes


def board_nodes():
    nodes = hidraw_nodes()
    return [nodes.get(("7a3c", number)) for number in ("02", "03", "04")]


def board_tty():
    for entry in glob.glob("/sys/class/tty/ttyACM*"):
        try:
            if open(f"{os.path.realpath(entry + '/device')}/../idVendor").read().strip() == "7a3c":
                return f"/dev/{os.path.basename(entry)}"
        except OSError:
            pass
    return None


def board_present():
    tty = board_tty()
    return all(node and os.path.exists(node) for node in board_nodes()) and tty and os.path.exists(tty)


class Gadget:
    """lidora-gadget and its request channel."""

    def __init__(self, udc):
        self.process = subprocess.Popen(
            [GADGET, "--udc", udc, "--controller", "dummy_udc.0"], stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, text=True, env=ENV)
        self.ready = self.process.stdout.readline().strip() == "ready"

    def request(self, request):
        """The lines the gadget said before confirming the request, or None when it did not confirm it."""
        self.process.stdin.write(request + "\n")
        self.process.stdin.flush()
        said = []
        for line in self.process.stdout:
            if line.strip() == f"done {request}":
                return said
            said.append(line.strip())
        return None

    def ask(self, request, wait=True):
        done = self.request(request) == []
        if request == "unplug" and wait:
            done = wait_until(lambda: not any(board_nodes()), 10) and done
        if request == "replug" and wait:
            done = wait_until(board_present, 20) and done
        return done

    def frames(self):
        """The request frames the board's module channel took since the last call, in hexadecimal."""
        said = self.request("frames") or [""]
        return said[-1].split()[1:]


class Probe:
    """board_vm_probe, or with wine its Windows build under Wine (winedebug: Wine's trace channels)."""

    def __init__(self, *arguments, user=None, wine=None, winedebug="-all"):
        command = [PROBE, *arguments]
        env = ENV
        if user:
            command = ["setpriv", f"--reuid={USER_ID}", f"--regid={USER_ID}", f"--groups={PLUGDEV}",
                       "--inh-caps=-all", *command]
        if wine:
            command = ["wine", wine.probe, *arguments]
            env = dict(wine.env, WINEDEBUG=winedebug)
        self.wine = wine
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, env=env)

    def line(self):
        return self.process.stdout.readline().strip()

    def finish(self, timeout=None):
        """Its output lines and standard error; one that has not ended in time is killed, and what it said so
        far tells where it hung. Under Wine a probe takes 15 to 25 s to start and end alone."""
        timeout = timeout or (60 if self.wine else 30)
        try:
            out, err = self.process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            out, err = self.process.communicate()
            err += f"\n(killed: still running after {timeout} s)"
        return out.strip().splitlines(), err


def run_probe(*arguments, user=None, wine=None, winedebug="-all"):
    return Probe(*arguments, user=user, wine=wine, winedebug=winedebug).finish()


class OpenWatch:
    """Which of the given device nodes were opened while the watch was on (inotify)."""

    def __init__(self, nodes):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK)
        self.nodes = {self.libc.inotify_add_watch(self.fd, node.encode(), 0x20): node for node in nodes}

    def opened(self):
        names = set()
        try:
            data = os.read(self.fd, 65536)
        except BlockingIOError:
            data = b""
        offset = 0
        while offset < len(data):
            watch, _, _, length = struct.unpack_from("iIII", data, offset)
            names.add(self.nodes[watch])
            offset += 16 + length
        os.close(self.fd)
        return sorted(names)


def check_listing():
    nodes = hidraw_nodes()
    others = [node for key, node in nodes.items() if key[0] != "7a3c" or key[1] == "02"]
    watch = OpenWatch(others)
    lines, errors = run_probe("list")
    opened = watch.opened()
    found = [line for line in lines if line.startswith("interface ")]
    expected = [f"interface {nodes[('7a3c', number)]}#vid_7a3c&pid_0c08&mi_{number} vendor 7a3c product 0c08 "
                f"in 65 out 65 name Nox Sensor Systems Lidora 1D Evaluation Board" for number in ("03", "04")]
    report("listing", found == expected and not opened,
           f"listed {found}, expected {expected}, opened {opened}, {errors.strip()}")


def check_exclusive_open(leg=LINUX, wine=None):
    holder = Probe("open", "mi_03", "hold", wine=wine)
    held = holder.line()
    second, _ = run_probe("open", "mi_03", wine=wine)
    _, errors = holder.finish()
    after, _ = run_probe("open", "mi_03", wine=wine)
    leg.report("exclusive-open", held == "opened" and second == ["refused"] and after == ["opened"],
               f"first {held}, second {second}, after release {after}, {errors.strip()[-300:]}")


def check_exchanges(leg=LINUX, wine=None):
    lines, errors = run_probe("exchange", wine=wine)
    for line in lines[:-1]:
        note(f"{leg.name} exchange: {line[:90]}")
    leg.report("exchanges", bool(lines) and lines[-1].startswith("exchanged all")
           and all(line.startswith("same valid ") for line in lines[:-1]), f"{lines} {errors.strip()}")
    if lines:
        note(lines[-1])


def consecutive(sequence):
    """Sequence numbers as the HID com driver gives them to the reports of one interface: 0 to 14, rolling."""
    return all((after - before) % 15 == 1 for before, after in zip(sequence, sequence[1:]))


def check_serial(leg=LINUX, wine=None):
    lines, errors = run_probe("serial", wine=wine)
    port = wine.com_port(board_tty()) if wine else os.path.basename(board_tty())
    console = [line[len("console "):] for line in lines if line.startswith("console ")]
    reports = [re.fullmatch(r"(control|module) report (\d+)", line) for line in console]
    sequences = {name: [int(match.group(2)) for match in reports if match and match.group(1) == name]
                 for name in ("control", "module")}
    # The exchange step sends one report to the control interface and six to the module: one for the
    # firmware number, three for the register block, one to read it back, one for the identification.
    leg.report("serial", lines[:1] in (["serial " + port + " opened"], ["serial /dev/" + port + " opened"])
           and len(lines) > 1 and lines[1].startswith("exchanged all") and all(reports)
           and len(sequences["control"]) == 1 and len(sequences["module"]) == 6
           and consecutive(sequences["module"]), f"{lines} {errors.strip()}")
    note(f"{leg.name} serial: the console said {console}")


def check_unplug_during(step, gadget, stall, leg=LINUX, wine=None):
    watched = len(wine.lines) if wine else 0
    if stall:
        gadget.ask("stall")
    probe = Probe(step, wine=wine)
    blocking = re.fullmatch(r"blocking at (\d+)", probe.line())
    # The probe's clock against this one's: the same CLOCK_MONOTONIC on Linux; under Wine the offset is taken
    # when the line arrives (late by the pipe's delay at most, which only makes the transfer seem later).
    offset = time.monotonic() * 1000 - int(blocking.group(1)) if wine and blocking else 0
    started = blocking is not None
    # Early in the transfer: its time-out runs from its start, and under TCG Wine takes the device away up to
    # a second after the kernel.
    time.sleep(0.2)
    unplugged_at = time.monotonic() * 1000 - offset
    unplugged = gadget.ask("unplug")
    lines, errors = probe.finish()
    gadget.ask("normal")
    # Under TCG Wine's bus takes the board away seconds after the kernel, and a board back before then
    # never came back in Wine: the board stays away until Wine has seen it go, as a hand would.
    if wine:
        wine.board_seen(False, watched, 30)
    replugged = gadget.ask("replug")
    result = lines[-1] if lines else ""
    match = re.match(r"result (\d+) after \d+ ms, ended at (\d+), product string fails (\d+) ms later, "
                     r"handles left 0$", result)
    ended = int(match.group(2)) - unplugged_at if match else float("nan")
    # 5: the transfer failed (the device is gone); a time-out would be 4. Only the unplug may end it: a
    # transfer that failed before it, at once or on a time-out, tells nothing about unplugging.
    leg.report(step, started and unplugged and replugged and match is not None and match.group(1) == "5"
           and 0 <= ended < 1500 and int(match.group(3)) < 1500,
           f"{lines}, ended {ended:.0f} ms after the unplug, {errors.strip()[-300:]}")
    if match:
        note(f"{leg.name} {step}: the blocked transfer ended {ended:.0f} ms after the unplug, the node was gone "
             f"{match.group(3)} ms later")


def check_replug(gadget, foreign_udc):
    for renumber in (False, True):
        probe = Probe("replug")
        ready = probe.line() == "ready"
        before = board_nodes()
        gadget.ask("unplug")
        if renumber:
            # The other device, plugged in again first, takes the lowest free numbers.
            write(foreign_udc, "\n")
            wait_until(lambda: len(hidraw_nodes()) == 0, 10)
            write(foreign_udc, "dummy_udc.1")
            wait_until(lambda: len(hidraw_nodes()) == 1, 10)
        gadget.ask("replug")
        after = board_nodes()
        lines, errors = probe.finish()
        back = bool(lines) and lines[-1].startswith("back yes")
        report("replug-renumbered" if renumber else "replug", ready and back and (before != after) == renumber,
               f"{lines} {errors.strip()[-300:]} nodes {before} then {after}")
        if back:
            note(f"replug: {lines[-1]}")


def check_timeouts(gadget, leg=LINUX, wine=None):
    gadget.ask("silent")
    probe = Probe("silent", wine=wine)
    unanswered = probe.line()
    waiting = probe.line() == "waiting"
    gadget.ask("normal")
    try:
        probe.process.stdin.write("go\n")
        probe.process.stdin.flush()
    except BrokenPipeError:  # The probe has ended already; what it said tells why.
        pass
    lines, _ = probe.finish()
    match = re.match(r"unanswered valid 0 error -?\d+ after (\d+) ms", unanswered)
    leg.report("time-out", match is not None and 1490 <= int(match.group(1)) < 2250 and waiting and bool(lines)
           and lines[-1].startswith("answered again all"), f"{unanswered} / {lines}")
    note(f"{leg.name} silent board: {unanswered}; then {lines[-1] if lines else ''}")


def user_can_open():
    script = ("import glob, os\nfor n in sorted(glob.glob('/dev/hidraw*') + glob.glob('/dev/ttyACM*')):\n"
              "    try: os.close(os.open(n, os.O_RDWR | os.O_NONBLOCK)); print(n)\n    except OSError: pass\n")
    result = subprocess.run(["setpriv", f"--reuid={USER_ID}", f"--regid={USER_ID}", f"--groups={PLUGDEV}",
                             "--inh-caps=-all", sys.executable, "-c", script], capture_output=True, text=True)
    return result.stdout.split()


def apply_rules(with_rule):
    rules = "/run/udev/rules.d"
    os.makedirs(rules, exist_ok=True)
    if with_rule:
        shutil.copy(f"{SOURCE}/hid/udev/70-lidora.rules", rules)
    elif os.path.exists(f"{rules}/70-lidora.rules"):
        os.remove(f"{rules}/70-lidora.rules")
        # Without the rule nothing gives the nodes back to root: devtmpfs' defaults do.
        for node in glob.glob("/dev/hidraw*") + glob.glob("/dev/ttyACM*"):
            os.chown(node, 0, 0)
            os.chmod(node, 0o600)
    subprocess.run(["udevadm", "control", "--reload"], check=False)
    subprocess.run(["udevadm", "trigger", "--action=add", "--subsystem-match=hidraw", "--subsystem-match=tty"],
                   check=False)
    subprocess.run(["udevadm", "settle", "--timeout=20"], check=False)


class Demo:
    """lidora-demo as the plugdev user, or with wine its Windows build under Wine, with an automation client."""

    def __init__(self, user, wine=None):
        self.folder = tempfile.mkdtemp(prefix="lidora-demo-")
        shutil.copy(f"{SOURCE}/app/test_data.txt", self.folder)
        if user:
            os.chown(self.folder, USER_ID, USER_ID)
        env = dict(ENV, HOME=self.folder, XDG_CONFIG_HOME=f"{self.folder}/config",
                   XDG_CONFIG_DIRS=f"{self.folder}/xdg", XDG_RUNTIME_DIR=self.folder)
        command = [DEMO]
        if wine:
            # Its settings live in the prefix's registry, which is the guest's own.
            env = wine.env
            command = ["wine", wine.demo]
        if user:
            command = ["setpriv", f"--reuid={USER_ID}", f"--regid={USER_ID}", f"--groups={PLUGDEV}",
                       "--inh-caps=-all", *command]
        self.errors = open(f"{self.folder}/stderr.txt", "w+")
        self.process = subprocess.Popen(command, cwd=self.folder, env=env, stdout=subprocess.DEVNULL,
                                        stderr=self.errors)
        self.client = None

    def connect(self, want_serial, seconds=60):
        """The #VER record of the first connection whose serial number field is want_serial (or any)."""
        end = time.monotonic() + seconds
        record = ""
        while time.monotonic() < end and self.process.poll() is None:
            # One client at a time: the program turns a second one away.
            if self.client:
                self.client.close()
                self.client = None
            try:
                self.client = socket.create_connection(("127.0.0.1", 39999), timeout=10)
            except OSError:
                time.sleep(0.3)
                continue
            self.lines = self.client.makefile("rb")
            record = self.lines.readline().decode().strip()
            if want_serial is None or record.split(";")[1:2] == [want_serial]:
                return record
            time.sleep(1)
        return record

    def send(self, command):
        self.client.sendall(command.encode() + b"\n")

    def measure(self):
        """One measurement request and what it brings: (#DEMODATA, #OBJ) or (#ERR,); a request not answered
        within the client's 10 s time-out brings ("no answer: ...",)."""
        self.send("m")
        try:
            first = self.lines.readline().decode().strip()
            if not first.startswith("#DEMODATA"):
                return (first,)
            return (first, self.lines.readline().decode().strip())
        except OSError as error:
            return (f"no answer: {error}",)

    def stop(self):
        if self.client:
            self.client.close()
        self.process.terminate()
        try:
            status = self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            status = "hung"
        self.errors.seek(0)
        text = self.errors.read()
        shutil.rmtree(self.folder, ignore_errors=True)
        return status, text


def check_permissions():
    apply_rules(True)
    nodes = hidraw_nodes()
    board = sorted([nodes[("7a3c", number)] for number in ("02", "03", "04")] + [board_tty()])
    granted = user_can_open()
    lines, errors = run_probe("list", user=True)
    report("permissions-rule", granted == board and len([line for line in lines if line.startswith("interface")])
           == 2 and "Cannot open" not in errors, f"user opens {granted}, board {board}, listing {lines} "
           f"{errors.strip()}")
    apply_rules(False)
    demo = Demo(user=True)
    record = demo.connect(None, 30)
    time.sleep(1)
    status, text = demo.stop()
    report("permissions-no-rule", record.startswith("#VER;;;") and "Permission denied" in text
           and "70-lidora.rules" in text, f"{record!r}, exit {status}, {text[-300:]}")
    apply_rules(True)


def measured(answer):
    return (len(answer) == 2 and answer[0].startswith("#DEMODATA;") and len(answer[0].split(";")) == 13
            and answer[1].startswith("#OBJ;"))


def commands_sent(frames):
    """The module commands among the frames the board took: identification, calibration, operation mode."""
    return [frame for frame in frames if frame[:2] in ("07", "08", "09")]


# Request frames (protocol id, request and answer sizes, payload): the identification, calibration block 2
# and the mode commands with the bytes 1, 0 and the mode.
IDENTIFICATION_FRAME = "080000000e"
CALIBRATION_FRAME = "090001000e02"
MODE_FRAMES = {mode: f"07000300000100{mode:02x}" for mode in range(3)}
# Several times what the program takes on a busy machine; a program that takes longer has not come back.
RECONNECT_LIMIT_S = 15
# Wine's bus takes each of the board's interfaces away and back in turn, 2 to 10 s each under TCG.
WINE_RECONNECT_LIMIT_S = 60


def check_program(gadget, cycles):
    """One run of the program beside the board as the plugdev user: first with the board silent, then with
    its sensor silent, then answering, then unplugged and plugged in again and again."""
    gadget.frames()
    gadget.ask("silent")
    demo = Demo(user=True)
    started = time.monotonic()
    try:
        # A board that takes every request and answers none is not a board to measure with.
        record = demo.connect(None, 60)
        # Each of the stack's checks of a silent board holds the program up for its 1500 ms time-out, one
        # after another: its answers come late (8 s has been seen), but they must come.
        demo.client.settimeout(30)
        silent_answers, slowest = [], 0.0
        began = time.monotonic()
        while demo.process.poll() is None and time.monotonic() - began < 30 and (
                time.monotonic() - began < 5 or len(silent_answers) < 2):
            asked = time.monotonic()
            silent_answers.append(demo.measure())
            slowest = max(slowest, time.monotonic() - asked)
        silent_frames = gadget.frames()
        asked_again = len([frame for frame in silent_frames if frame.startswith("67")])
        report("silent-board", record.startswith("#VER;;;") and demo.process.poll() is None
               and len(silent_answers) >= 2 and all(answer == (NO_TARGET,) for answer in silent_answers)
               and asked_again >= 2,
               f"{record!r}, answers {sorted(set(silent_answers))}, the board was asked for its firmware "
               f"{asked_again} times")
        note(f"silent board: {len(silent_answers)} requests refused, the slowest after {slowest:.1f} s; the "
             f"program asked the board {asked_again} times in {time.monotonic() - started:.0f} s")

        # A controller that answers and a sensor that does not: the program takes the board and asks for
        # the identification, which never comes (the window warns "Could not retrieve serial number.").
        gadget.ask("silent-sensor")
        sensor_frames = []
        end = time.monotonic() + 30
        while IDENTIFICATION_FRAME not in sensor_frames and time.monotonic() < end:
            time.sleep(0.5)
            sensor_frames += gadget.frames()
        record = demo.connect(None, 30)
        sensor_answers = [demo.measure() for _ in range(3)]
        sensor_frames += gadget.frames()
        report("silent-sensor", commands_sent(sensor_frames).count(IDENTIFICATION_FRAME) == 1
               and record.startswith("#VER;;;") and all(answer == (NO_TARGET,) for answer in sensor_answers)
               and demo.process.poll() is None,
               f"{record!r}, answers {sensor_answers}, the board took {commands_sent(sensor_frames)}")
        note(f"silent sensor: the board took {commands_sent(sensor_frames)} and answered none of them")

        # The program reads the identification when it takes the board; it takes it again after a replug.
        gadget.ask("normal")
        gadget.ask("unplug")
        gadget.frames()
        gadget.ask("replug")
        record = demo.connect(BOARD_SERIAL, 60)
        report("program-opens-board", record.startswith(f"#VER;{BOARD_SERIAL};"), f"{record!r}")

        # The mode commands are carried out in order, each before the measurement after it.
        answers = [demo.measure()]
        for command in "ddpb":
            demo.send(command)
            answers.append(demo.measure())
        commands = commands_sent(gadget.frames())
        # Whether the program sends the mode it shows when it takes the board is its own choice.
        if commands[1:2] == [MODE_FRAMES[2]]:
            del commands[1]
        expected = [IDENTIFICATION_FRAME, CALIBRATION_FRAME, MODE_FRAMES[0], MODE_FRAMES[1], MODE_FRAMES[2]]
        report("program-commands", commands == expected and all(measured(answer) for answer in answers),
               f"the board took {commands}, expected {expected}; answers {answers}")

        end_to_end(demo, gadget, cycles)
    finally:
        alive = demo.process.poll() is None
        status, text = demo.stop()
    note(f"program: alive {alive} until stopped, exit {status}, its standard error ends {text[-300:]!r}")


def end_to_end(demo, gadget, cycles, leg=LINUX, reconnect_limit=RECONNECT_LIMIT_S, wine=None):
    """The program measuring while the board comes and goes: every request is measured while the board is
    there and refused while it is away, and every replug brings the program back. Under Wine the board
    stays away until Wine's listing has lost it (see check_unplug_during)."""
    started = time.monotonic()
    states, broken, counts, reconnect_times = set(), [], {"measured": 0, "refused": 0}, []

    def exchange(phase, due):
        answer = demo.measure()
        kind = "measured" if measured(answer) else "refused" if answer == (NO_TARGET,) else None
        if kind is None or due not in (kind, "either"):
            broken.append((phase, answer))
            return None
        counts[kind] += 1
        if kind == "measured":
            states.add(answer[0].split(";")[8])
        return kind

    def exchange_for(seconds, phase, due, until=lambda: False):
        end = time.monotonic() + seconds
        while not broken and not until():
            exchange(phase, due)
            if time.monotonic() >= end:
                return

    exchange_for(2, "before", "measured")
    for cycle in range(cycles):
        if broken or demo.process.poll() is not None:
            break
        watched = len(wine.lines) if wine else 0
        gadget.ask("unplug")
        exchange_for(0.3, f"unplugged {cycle}", "refused")
        if wine:
            exchange_for(30, f"unplugged {cycle}", "refused", lambda: wine.board_seen(False, watched, 0))
        gadget.ask("replug")
        replugged = time.monotonic()
        # The stack takes 2 to 6 s under TCG to find the board again; until then requests are refused.
        while not broken and time.monotonic() - replugged < reconnect_limit:
            if exchange(f"replugged {cycle}", "either") == "measured":
                reconnect_times.append(time.monotonic() - replugged)
                break
        if len(reconnect_times) < cycle + 1:
            broken.append((f"replugged {cycle}", f"no measurement within {reconnect_limit} s"))
            break
        exchange_for(0.5, f"back {cycle}", "measured")
    # The scene takes the object through every state once in 32 s; two loops at most.
    exchange_for(70, "after", "measured", lambda: states >= EVERY_STATE)
    alive = demo.process.poll() is None
    leg.report("program-end-to-end", alive and not broken and len(reconnect_times) == cycles
           and states >= EVERY_STATE,
           f"alive {alive}, {len(reconnect_times)} reconnects in {cycles} cycles, broken {broken[:3]}, "
           f"states {sorted(states)}, {counts}")
    note(f"{leg.name} program: {counts['measured']} measurements and {counts['refused']} refusals in "
         f"{time.monotonic() - started:.0f} s over {cycles} cycles, reconnected after "
         f"{min(reconnect_times, default=0):.1f} to {max(reconnect_times, default=0):.1f} s; states "
         f"{sorted(states)}")


def windows_path(path):
    """The path as Wine names it: drive Z: is the root of the file system."""
    return "Z:" + path.replace("/", "\\")


def cmake_cache_value(build, name):
    with open(f"{build}/CMakeCache.txt") as cache:
        for line in cache:
            if line.startswith(f"{name}:"):
                return line.split("=", 1)[1].strip()
    return ""


class Wine:
    """Wine in the guest for the Windows leg. The prefix made on the host lies under a writable layer in
    memory; the Qt, QCustomPlot and compiler DLLs come from where the Windows build found them. Wine's services
    (winebus.sys among them) live as long as a program of the prefix runs: a probe that watches the board
    runs from Wine's start to the leg's end and says when the board comes and goes."""

    def __init__(self, build):
        self.probe = f"{build}/tools/boardvm/board_vm_probe.exe"
        self.demo = f"{build}/app/lidora-demo.exe"
        self.prefix = "/root/wine"
        prefixes = [path for path in cmake_cache_value(build, "CMAKE_PREFIX_PATH").split(";") if path]
        runtime = subprocess.run(["x86_64-w64-mingw32-g++-posix", "-print-file-name=libstdc++-6.dll"],
                                 capture_output=True, text=True).stdout.strip()
        folders = [f"{prefix}/{sub}" for prefix in prefixes for sub in ("bin", "lib")]
        folders += [os.path.dirname(runtime), "/usr/x86_64-w64-mingw32/lib"]
        plugins = [f"{prefix}/plugins" for prefix in prefixes if os.path.isdir(f"{prefix}/plugins/platforms")]
        self.env = dict(ENV, WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        WINEPATH=";".join(windows_path(folder) for folder in folders if os.path.isdir(folder)),
                        QT_PLUGIN_PATH=windows_path(plugins[0]) if plugins else "",
                        # Qt's offscreen platform on Windows reads its fonts from a folder.
                        QT_QPA_FONTDIR=windows_path("/usr/share/fonts/truetype/dejavu"))
        self.watcher = None
        self.lines = []
        self.started = 0.0

    def start(self):
        layer = "/run/wine-layer"
        for folder in (f"{layer}/upper", f"{layer}/work", self.prefix):
            os.makedirs(folder, exist_ok=True)
        host_prefix = f"{os.path.dirname(KERNEL)}/wine-prefix"
        subprocess.run(["modprobe", "-d", KERNEL, "overlay"], check=True)
        subprocess.run(["mount", "-t", "overlay", "overlay", "-o",
                        f"lowerdir={host_prefix},upperdir={layer}/upper,workdir={layer}/work", self.prefix],
                       check=True)
        self.started = time.monotonic()
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        # Wine's desktop process starts with the first program that needs it, takes over that program's
        # output and ends some seconds after the last such program: a probe that started it kept its step
        # waiting on its output until then. A minimized Notepad keeps one desktop up for the whole leg.
        subprocess.run(["wine", "start", "/min", "notepad"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        self.watcher = subprocess.Popen(["wine", self.probe, "watch"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=self.env)
        threading.Thread(target=self.follow, daemon=True).start()

    def follow(self):
        for line in self.watcher.stdout:
            self.lines.append(line.strip())

    def board_seen(self, present, after_line, seconds):
        """Whether the watcher said the board was present (or gone) in a line after the given count."""
        word = "present" if present else "gone"

        def seen():
            return any(line.startswith(f"board {word}") for line in self.lines[after_line:])

        wait_until(lambda: seen() or self.watcher.poll() is not None, seconds)
        return seen()

    def replug_seen(self, after_line):
        """Whether the watcher said the board was gone after the given count, and then present for good: Wine
        takes the old interfaces away and adds the new ones one by one, so both may be listed for a moment
        before the last old one goes."""
        if not self.board_seen(False, after_line, 30):
            return False

        def settled():
            count = len(self.lines)
            return self.lines[-1].startswith("board present") and not wait_until(
                lambda: len(self.lines) != count, 5)

        return wait_until(settled, WINE_RECONNECT_LIMIT_S)

    def com_port(self, tty):
        """The COM port Wine made of the tty: the device name its dosdevices link points to."""
        for link in glob.glob(f"{self.prefix}/dosdevices/com*"):
            if os.path.realpath(link) == tty:
                return os.path.basename(link).upper()
        return "none"

    def stop(self):
        if self.watcher:
            self.watcher.stdin.close()
            self.watcher.wait(timeout=30)
        subprocess.run(["wineserver", "-k"], env=self.env, check=False)


def check_windows_enumeration(wine):
    # Wine's bus comes up slowly under TCG: 30 to 90 s have been seen, and 130 to 230 s while the Linux leg
    # ran beside it or the host's two cores were busy with other builds.
    seen = wine.board_seen(True, 0, max(5.0, 240 - (time.monotonic() - wine.started)))
    WINDOWS.report("enumeration", seen, f"the watcher said {wine.lines}")
    note(f"windows: the watcher said {wine.lines[:1]}, {time.monotonic() - wine.started:.0f} s after Wine's "
         f"start")
    return seen


def check_windows_listing(wine):
    # Wine's file trace names every device the probe opens, as the system sees it.
    lines, errors = run_probe("list", wine=wine, winedebug="trace+file")
    found = [line for line in lines if line.startswith("interface ")]
    opened = sorted({name.lower() for name in
                     re.findall(r'NtCreateFile .*?name=L"\\\\\?\?\\\\(hid#[^"]*)"', errors, re.I)})
    board = [name for name in opened if re.match(r"hid#vid_7a3c&pid_0c08&mi_0[34]#", name)]
    listed = all(re.fullmatch(rf"interface \\\\\?\\hid#vid_7a3c&pid_0c08&mi_{number}#\S+ vendor 7a3c "
                              rf"product 0c08 in 65 out 65 name .*Lidora 1D Evaluation Board", line, re.I)
                 for line, number in zip(found, ("03", "04")))
    WINDOWS.report("listing", len(found) == 2 and listed and len(board) == 2 and board == opened,
                   f"listed {found}, opened {opened}")
    note(f"windows listing: {found}")


def check_windows_unplug_read(gadget, wine):
    count = len(wine.lines)
    check_unplug_during("unplug-read", gadget, False, WINDOWS, wine)
    # The next steps need the board back in Wine, whose bus takes it away and back seconds after the kernel.
    wine.replug_seen(count)
    note(f"windows unplug-read: the watcher said {wine.lines[count:]}")


def check_windows_replug(gadget, wine):
    probe = Probe("replug", str(WINE_RECONNECT_LIMIT_S), wine=wine)
    ready = probe.line() == "ready"
    count = len(wine.lines)
    gadget.ask("unplug")
    gone = wine.board_seen(False, count, 20)
    gadget.ask("replug")
    present = wine.replug_seen(count)
    lines, errors = probe.finish(WINE_RECONNECT_LIMIT_S + 30)
    back = bool(lines) and lines[-1].startswith("back yes")
    WINDOWS.report("replug", ready and gone and present and back,
                   f"{lines} {errors.strip()[-300:]}, Wine saw the board gone {gone}, back {present}")
    if back:
        note(f"windows replug: {lines[-1]}")


def check_windows_program(gadget, wine, cycles):
    """The Windows program beside the board: it takes the board, then measures while the board comes and goes."""
    demo = Demo(user=False, wine=wine)
    try:
        record = demo.connect(BOARD_SERIAL, 90)
        if record.startswith(f"#VER;{BOARD_SERIAL};"):
            end_to_end(demo, gadget, cycles, WINDOWS, WINE_RECONNECT_LIMIT_S, wine)
        else:
            WINDOWS.report("program-end-to-end", False, f"the program did not take the board: {record!r}")
    finally:
        alive = demo.process.poll() is None
        status, text = demo.stop()
    note(f"windows program: alive {alive} until stopped, exit {status}, its standard error ends {text[-300:]!r}")


# The steps in the order they run, each with the checks it gives.
STEPS = [
    ("listing", ["listing"]),
    ("exclusive_open", ["exclusive-open"]),
    ("exchanges", ["exchanges"]),
    ("serial", ["serial"]),
    ("unplug_read", ["unplug-read"]),
    ("unplug_write", ["unplug-write"]),
    ("replug", ["replug", "replug-renumbered"]),
    ("timeouts", ["time-out"]),
    ("permissions", ["permissions-rule", "permissions-no-rule"]),
    ("program", ["silent-board", "silent-sensor", "program-opens-board", "program-commands",
                 "program-end-to-end"]),
]


WINDOWS_STEPS = [
    ("listing", ["listing"]),
    ("exclusive_open", ["exclusive-open"]),
    ("exchanges", ["exchanges"]),
    ("serial", ["serial"]),
    ("unplug_read", ["unplug-read"]),
    ("replug", ["replug"]),
    ("timeouts", ["time-out"]),
    ("program", ["program-end-to-end"]),
]


def selected_steps(leg, steps, names):
    """The steps of the leg that give one of the named checks (all of them when none is named, or the leg)."""
    if not names or leg.name in names:
        return steps
    wanted = {name.split("/")[-1] for name in names if "/" not in name or name.split("/")[0] == leg.name}
    return [(step, checks) for step, checks in steps if wanted & set(checks)]


def declared(names):
    """(leg, check) for every check the named ones (or all) make this run give."""
    checks = [(LINUX, "enumeration")]
    checks += [(LINUX, check) for _, step_checks in selected_steps(LINUX, STEPS, names) for check in step_checks]
    windows = selected_steps(WINDOWS, WINDOWS_STEPS, names) if WINDOWS_BUILD else []
    if windows:
        checks += [(WINDOWS, "enumeration")] + [(WINDOWS, check) for _, step_checks in windows
                                                for check in step_checks]
    return checks


def unknown_names(names):
    legs = {LINUX.name: LINUX.checks, WINDOWS.name: WINDOWS.checks}
    unknown = []
    for name in names:
        leg, _, check = name.rpartition("/")
        if name in legs:
            leg = name
        elif (leg and check not in legs.get(leg, {})) or (not leg and check not in LINUX.checks
                                                        and check not in WINDOWS.checks):
            unknown.append(name)
            continue
        if leg == WINDOWS.name and not WINDOWS_BUILD:
            unknown.append(f"{name} (the Windows leg needs a Windows build: --windows)")
    return unknown


def run_steps(leg, steps, run):
    for step, checks in steps:
        began = time.monotonic()
        try:
            run[step]()
        except Exception as error:  # One step that breaks must not hide the others, nor its own reason.
            traceback.print_exc()
            for check in checks:
                if check not in leg.reported:
                    leg.report(check, False, f"the step stopped: {error!r}")
        note(f"{leg.name} {step} took {time.monotonic() - began:.1f} s")


def main():
    if DECLARING:
        unknown = unknown_names(NAMED)
        if unknown:
            sys.exit(f"checks.py: no check is named {', '.join(unknown)}")
        print("\n".join(f"{leg.name}/{check}" for leg, check in declared(NAMED)))
        return
    started = time.monotonic()
    subprocess.run(["modprobe", "-d", KERNEL, "dummy_hcd", "num=2"], check=True)
    subprocess.run(["modprobe", "-d", KERNEL, "-a", "libcomposite", "usbhid", "hid_generic", "cdc_acm",
                    "usb_f_hid", "usb_f_acm", "usb_f_serial"], check=True)
    subprocess.run(["mount", "-t", "configfs", "none", "/sys/kernel/config"], check=True)
    board_udc = make_gadget("board", "0x7a3c", "0x0c08", BOARD_SERIAL, ["acm.gs0", "hid.0", "hid.1", "hid.2"])
    # The kernel offers four HID functions in all: the other device has a HID interface 3 behind a serial
    # port and a generic serial function.
    foreign_udc = make_gadget("foreign", "0x1d6b", "0x0104", "0001", ["acm.gs1", "gser.gs2", "hid.3"])
    gadget = Gadget(board_udc)
    plugged = gadget.ready and wait_until(board_present, 20)
    write(foreign_udc, "dummy_udc.1")
    wait_until(lambda: len(hidraw_nodes()) == 4, 20)
    # udev's database carries the ids that the serial port listing asks for, as on every desktop.
    subprocess.Popen(["/lib/systemd/systemd-udevd"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    apply_rules(True)
    report("enumeration", plugged and len(hidraw_nodes()) == 4, f"hidraw nodes {hidraw_nodes()}")
    note(f"guest ready {time.monotonic() - started:.1f} s after the checks started")
    if not plugged:
        return
    wine = Wine(WINDOWS_BUILD) if WINDOWS_BUILD and selected_steps(WINDOWS, WINDOWS_STEPS, NAMED) else None
    run = {
        "listing": check_listing,
        "exclusive_open": check_exclusive_open,
        "exchanges": check_exchanges,
        "serial": check_serial,
        "unplug_read": lambda: check_unplug_during("unplug-read", gadget, False),
        "unplug_write": lambda: check_unplug_during("unplug-write", gadget, True),
        "replug": lambda: check_replug(gadget, foreign_udc),
        "timeouts": lambda: check_timeouts(gadget),
        "permissions": check_permissions,
        "program": lambda: check_program(gadget, 8),
    }
    linux_steps = selected_steps(LINUX, STEPS, NAMED)
    # Wine starts once the Linux leg is done. Its bus opens every hidraw node, which the Linux listing would
    # take for the probe's doing, and holds them, so that a board plugged in again gets new numbers; and
    # under TCG it lags the Linux leg's many unplugs by minutes, while on its own it is up in 30 to 75 s.
    run_steps(LINUX, linux_steps, run)
    if wine:
        wine.start()
    if wine:
        windows_run = {
            "listing": lambda: check_windows_listing(wine),
            "exclusive_open": lambda: check_exclusive_open(WINDOWS, wine),
            "exchanges": lambda: check_exchanges(WINDOWS, wine),
            "serial": lambda: check_serial(WINDOWS, wine),
            "unplug_read": lambda: check_windows_unplug_read(gadget, wine),
            "replug": lambda: check_windows_replug(gadget, wine),
            "timeouts": lambda: check_timeouts(gadget, WINDOWS, wine),
            "program": lambda: check_windows_program(gadget, wine, 3),
        }
        began = time.monotonic()
        windows_steps = selected_steps(WINDOWS, WINDOWS_STEPS, NAMED)
        if check_windows_enumeration(wine):
            run_steps(WINDOWS, windows_steps, windows_run)
        else:
            for _, checks in windows_steps:
                for check in checks:
                    WINDOWS.report(check, False, "not run: Wine's HID bus never listed the board")
        wine.stop()
        note(f"windows leg took {time.monotonic() - began:.1f} s")
    gadget.process.stdin.close()
    try:
        gadget.process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        # Where in the kernel it hangs says why; the traceback that follows says that it did.
        with open(f"/proc/{gadget.process.pid}/stack") as stack:
            note(f"the board's gadget did not end; in the kernel: {stack.read().split()}")
        raise


main()
