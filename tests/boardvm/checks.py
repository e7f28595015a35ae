#!/usr/bin/env python3
"""The checks of scripts/board-vm, run as root inside its virtual machine.

Builds the evaluation board as a USB gadget on dummy_hcd (CDC ACM, then HID interfaces 2, 3, 4; control is
3, module 4, 2 belongs to something else) with lidora-gadget running the simulated firmware behind it, and
a foreign HID device with interfaces 0 to 3 on a second controller. Then runs board_vm_probe and
lidora-demo against the kernel's hidraw, usbhid and cdc_acm drivers and prints one line per check:
"ok <leg>/<check>: <what it shows>" or "FAIL <leg>/<check>: <what it shows>: <why>", and "note <text>" for
measured figures. Every check is declared in CHECKS; scripts/board-vm asks for that list (--declared) and
expects exactly one result for each.

Usage: checks.py <source folder> <build folder> <unpacked kernel package> [check...]
       checks.py --declared [check...]
Naming checks runs only the steps that give them.
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
import time
import traceback

# The bench's legs each prefix their checks' names; this file is the Linux one.
LEG = "linux"
# Every check, in the order the steps give them.
CHECKS = {
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
NO_TARGET = "#ERR;;No target system connected."

DECLARING = sys.argv[1:2] == ["--declared"]
SOURCE, BUILD, KERNEL = ("", "", "") if DECLARING else sys.argv[1:4]
PROBE = f"{BUILD}/tests/boardvm/board_vm_probe"
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


REPORTED = set()


def report(check, ok, why=""):
    REPORTED.add(check)
    line = f"{LEG}/{check}: {CHECKS[check]}"
    print(f"ok {line}" if ok else f"FAIL {line}: {why}", flush=True)


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
    def __init__(self, *arguments, user=None):
        command = [PROBE, *arguments]
        if user:
            command = ["setpriv", f"--reuid={USER_ID}", f"--regid={USER_ID}", f"--groups={PLUGDEV}",
                       "--inh-caps=-all", *command]
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, env=ENV)

    def line(self):
        return self.process.stdout.readline().strip()

    def finish(self, timeout=30):
        out, err = self.process.communicate(timeout=timeout)
        return out.strip().splitlines(), err


def run_probe(*arguments, user=None):
    return Probe(*arguments, user=user).finish()


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


def check_exclusive_open():
    holder = Probe("open", "mi_03", "hold")
    held = holder.line()
    second, _ = run_probe("open", "mi_03")
    holder.finish()
    after, _ = run_probe("open", "mi_03")
    report("exclusive-open", held == "opened" and second == ["refused"] and after == ["opened"],
           f"first {held}, second {second}, after release {after}")


def check_exchanges():
    lines, errors = run_probe("exchange")
    for line in lines[:-1]:
        note(f"exchange: {line[:90]}")
    report("exchanges", bool(lines) and lines[-1].startswith("exchanged all")
           and all(line.startswith("same valid ") for line in lines[:-1]), f"{lines} {errors.strip()}")
    if lines:
        note(lines[-1])


def consecutive(sequence):
    """Sequence numbers as the HID com driver gives them to the reports of one interface: 0 to 14, rolling."""
    return all((after - before) % 15 == 1 for before, after in zip(sequence, sequence[1:]))


def check_serial():
    lines, errors = run_probe("serial")
    port = os.path.basename(board_tty())
    console = [line[len("console "):] for line in lines if line.startswith("console ")]
    reports = [re.fullmatch(r"(control|module) report (\d+)", line) for line in console]
    sequences = {name: [int(match.group(2)) for match in reports if match and match.group(1) == name]
                 for name in ("control", "module")}
    # The exchange step sends one report to the control interface and six to the module: one for the
    # firmware number, three for the register block, one to read it back, one for the identification.
    report("serial", lines[:1] in (["serial " + port + " opened"], ["serial /dev/" + port + " opened"])
           and len(lines) > 1 and lines[1].startswith("exchanged all") and all(reports)
           and len(sequences["control"]) == 1 and len(sequences["module"]) == 6
           and consecutive(sequences["module"]), f"{lines} {errors.strip()}")
    note(f"serial: the console said {console}")


def check_unplug_during(step, gadget, stall):
    if stall:
        gadget.ask("stall")
    probe = Probe(step)
    started = probe.line().startswith("blocking at ")
    time.sleep(0.5)
    unplugged_at = time.monotonic() * 1000
    unplugged = gadget.ask("unplug")
    lines, errors = probe.finish()
    gadget.ask("normal")
    replugged = gadget.ask("replug")
    result = lines[-1] if lines else ""
    match = re.match(r"result (\d+) after \d+ ms, ended at (\d+), product string fails (\d+) ms later, "
                     r"hidraw nodes open 0$", result)
    ended = int(match.group(2)) - unplugged_at if match else float("nan")
    # 5: the transfer failed (the device is gone); a time-out would be 4. Only the unplug may end it: a
    # transfer that failed before it, at once or on a time-out, tells nothing about unplugging.
    report(step, started and unplugged and replugged and match is not None and match.group(1) == "5"
           and 0 <= ended < 1500 and int(match.group(3)) < 1500,
           f"{lines}, ended {ended:.0f} ms after the unplug, {errors.strip()[-300:]}")
    if match:
        note(f"{step}: the blocked transfer ended {ended:.0f} ms after the unplug, the node was gone "
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


def check_timeouts(gadget):
    gadget.ask("silent")
    probe = Probe("silent")
    unanswered = probe.line()
    waiting = probe.line() == "waiting"
    gadget.ask("normal")
    probe.process.stdin.write("go\n")
    probe.process.stdin.flush()
    lines, _ = probe.finish()
    match = re.match(r"unanswered valid 0 error -?\d+ after (\d+) ms", unanswered)
    report("time-out", match is not None and 1490 <= int(match.group(1)) < 2250 and waiting and bool(lines)
           and lines[-1].startswith("answered again all"), f"{unanswered} / {lines}")
    note(f"silent board: {unanswered}; then {lines[-1] if lines else ''}")


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
    """lidora-demo as the plugdev user, with an automation client."""

    def __init__(self, user):
        self.folder = tempfile.mkdtemp(prefix="lidora-demo-")
        shutil.copy(f"{SOURCE}/app/test_data.txt", self.folder)
        if user:
            os.chown(self.folder, USER_ID, USER_ID)
        env = dict(ENV, HOME=self.folder, XDG_CONFIG_HOME=f"{self.folder}/config",
                   XDG_CONFIG_DIRS=f"{self.folder}/xdg", XDG_RUNTIME_DIR=self.folder)
        command = [DEMO]
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


def end_to_end(demo, gadget, cycles):
    """The program measuring while the board comes and goes: every request is measured while the board is
    there and refused while it is away, and every replug brings the program back."""
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
        gadget.ask("unplug")
        exchange_for(0.3, f"unplugged {cycle}", "refused")
        gadget.ask("replug")
        replugged = time.monotonic()
        # The stack takes 2 to 6 s under TCG to find the board again; until then requests are refused.
        while not broken and time.monotonic() - replugged < RECONNECT_LIMIT_S:
            if exchange(f"replugged {cycle}", "either") == "measured":
                reconnect_times.append(time.monotonic() - replugged)
                break
        if len(reconnect_times) < cycle + 1:
            broken.append((f"replugged {cycle}", f"no measurement within {RECONNECT_LIMIT_S} s"))
            break
        exchange_for(0.5, f"back {cycle}", "measured")
    # The scene takes the object through every state once in 32 s; two loops at most.
    exchange_for(70, "after", "measured", lambda: states >= EVERY_STATE)
    alive = demo.process.poll() is None
    report("program-end-to-end", alive and not broken and len(reconnect_times) == cycles
           and states >= EVERY_STATE,
           f"alive {alive}, {len(reconnect_times)} reconnects in {cycles} cycles, broken {broken[:3]}, "
           f"states {sorted(states)}, {counts}")
    note(f"program: {counts['measured']} measurements and {counts['refused']} refusals in "
         f"{time.monotonic() - started:.0f} s over {cycles} cycles, reconnected after "
         f"{min(reconnect_times, default=0):.1f} to {max(reconnect_times, default=0):.1f} s; states "
         f"{sorted(states)}")


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


def selected_steps(names):
    """The steps that give one of the named checks (all of them when none is named)."""
    wanted = {name.split("/")[-1] for name in names}
    return [(step, checks) for step, checks in STEPS if not wanted or wanted & set(checks)]


def declared(names):
    return ["enumeration"] + [check for _, checks in selected_steps(names) for check in checks]


def main():
    if DECLARING:
        unknown = {name.split("/")[-1] for name in sys.argv[2:]} - set(CHECKS)
        if unknown:
            sys.exit(f"checks.py: no check is named {' '.join(sorted(unknown))}")
        print("\n".join(f"{LEG}/{check}" for check in declared(sys.argv[2:]) if check in CHECKS))
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
    for step, checks in selected_steps(sys.argv[4:]):
        began = time.monotonic()
        try:
            run[step]()
        except Exception as error:  # One step that breaks must not hide the others, nor its own reason.
            traceback.print_exc()
            for check in checks:
                if check not in REPORTED:
                    report(check, False, f"the step stopped: {error!r}")
        note(f"{step} took {time.monotonic() - began:.1f} s")
    gadget.process.stdin.close()
    gadget.process.wait(timeout=10)


main()
