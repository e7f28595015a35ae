#!/usr/bin/env python3
"""The checks of scripts/board-vm, run as root inside its virtual machine.

Builds the evaluation board as a USB gadget on dummy_hcd (CDC ACM, then HID interfaces 2, 3, 4; control is
3, module 4, 2 belongs to something else) with lidora-gadget running the simulated firmware behind it, and
a foreign HID device with interfaces 0 to 3 on a second controller. Then runs board_vm_probe and
lidora-demo against the kernel's hidraw, usbhid and cdc_acm drivers and prints one line per check:
"ok <check>" or "FAIL <check>: <why>", and "note <text>" for measured figures.

Usage: checks.py <source folder> <build folder> <unpacked kernel package>
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

SOURCE, BUILD, KERNEL = sys.argv[1:4]
PROBE = f"{BUILD}/tests/boardvm/board_vm_probe"
GADGET = f"{BUILD}/sim/lidora-gadget"
DEMO = f"{BUILD}/app/lidora-demo"
GADGETS = "/sys/kernel/config/usb_gadget"
BOARD_SERIAL = "4c-31-44-07"
USER_ID = 4242
PLUGDEV = 46
# A vendor-defined collection with one 64-byte input and one 64-byte output report, no report ids.
REPORT_DESCRIPTOR = bytes.fromhex("0600ff0901a101150026ff00750895400901810209019102c0")
ENV = dict(os.environ, QT_QPA_PLATFORM="offscreen", ASAN_OPTIONS="detect_leaks=0:abort_on_error=1")


def report(ok, check, why=""):
    print(f"ok {check}" if ok else f"FAIL {check}: {why}", flush=True)


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

    def ask(self, request, wait=True):
        self.process.stdin.write(request + "\n")
        self.process.stdin.flush()
        done = self.process.stdout.readline().strip() == f"done {request}"
        if request == "unplug" and wait:
            done = wait_until(lambda: not any(board_nodes()), 10) and done
        if request == "replug" and wait:
            done = wait_until(board_present, 20) and done
        return done


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
    report(found == expected and not opened,
           "listing: the two board interfaces with ids, product string and report lengths, nothing else opened",
           f"listed {found}, expected {expected}, opened {opened}, {errors.strip()}")


def check_exclusive_open():
    holder = Probe("open", "mi_03", "hold")
    held = holder.line()
    second, _ = run_probe("open", "mi_03")
    holder.finish()
    after, _ = run_probe("open", "mi_03")
    report(held == "opened" and second == ["refused"] and after == ["opened"],
           "exclusive open: a second process is refused while the first holds the interface",
           f"first {held}, second {second}, after release {after}")


def check_exchanges():
    lines, errors = run_probe("exchange")
    for line in lines[:-1]:
        note(f"exchange: {line[:90]}")
    report(bool(lines) and lines[-1].startswith("exchanged all") and all(
        line.startswith("same") for line in lines[:-1]),
           "exchanges: control and module answers byte for byte, also across several reports",
           f"{lines} {errors.strip()}")
    if lines:
        note(lines[-1])


def check_unplug_during(step, gadget, stall):
    if stall:
        gadget.ask("stall")
    probe = Probe(step)
    started = probe.line() == "blocking"
    time.sleep(0.5)
    unplugged = gadget.ask("unplug")
    lines, errors = probe.finish()
    gadget.ask("normal")
    replugged = gadget.ask("replug")
    result = lines[-1] if lines else ""
    match = re.match(r"result (\d+) after (\d+) ms, product string fails (\d+) ms later, hidraw nodes open 0$",
                     result)
    # 5: the transfer failed (the device is gone); a time-out would be 4.
    report(started and unplugged and replugged and match is not None and match.group(1) == "5"
           and int(match.group(2)) < 1500 and int(match.group(3)) < 1500,
           f"unplug during a blocked {'read' if step == 'unplug-read' else 'write'}: device gone within the "
           f"time-out, no descriptor left open", f"{lines} {errors.strip()[-300:]}")
    if match:
        note(f"{step}: the blocked transfer ended {match.group(2)} ms after it started (about 0.5 s before the "
             f"unplug), the node was gone {match.group(3)} ms later")


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
        report(ready and back and (before != after) == renumber,
               "replug: every level back" + (", with other hidraw numbers" if renumber else ""),
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
    report(match is not None and 1490 <= int(match.group(1)) < 2250 and waiting and bool(lines)
           and lines[-1].startswith("answered again all"),
           "time-out: a silent board gives the time-out after 1500 ms and answers again afterwards",
           f"{unanswered} / {lines}")
    note(f"silent board: {unanswered}; then {lines[-1] if lines else ''}")


def check_serial():
    lines, errors = run_probe("serial")
    port = os.path.basename(board_tty())
    report(lines in (["serial " + port + " opened"], ["serial /dev/" + port + " opened"]),
           "serial: the board's port found by vendor and product and opened", f"{lines} {errors.strip()}")


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
            try:
                self.client = socket.create_connection(("127.0.0.1", 39999), timeout=10)
            except OSError:
                time.sleep(0.3)
                continue
            self.lines = self.client.makefile("rb")
            record = self.lines.readline().decode().strip()
            if want_serial is None or record.split(";")[1:2] == [want_serial]:
                return record
            self.client.close()
            time.sleep(1)
        return record

    def measure(self):
        """One measurement request and what it brings: (#DEMODATA, #OBJ) or (#ERR,)."""
        self.client.sendall(b"m\n")
        try:
            first = self.lines.readline().decode().strip()
        except OSError as error:
            return (f"no answer: {error}",)
        if not first.startswith("#DEMODATA"):
            return (first,)
        return (first, self.lines.readline().decode().strip())

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
    report(granted == board and len([line for line in lines if line.startswith("interface")]) == 2
           and "Cannot open" not in errors,
           "permissions: with the udev rule a plugdev user opens the board's nodes and nothing else",
           f"user opens {granted}, board {board}, listing {lines} {errors.strip()}")
    apply_rules(False)
    demo = Demo(user=True)
    record = demo.connect(None, 30)
    time.sleep(1)
    status, text = demo.stop()
    report(record.startswith("#VER;;;") and "Permission denied" in text and "70-lidora.rules" in text,
           "permissions: without the rule the program says why and runs in test mode",
           f"{record!r}, exit {status}, {text[-300:]}")
    apply_rules(True)


def check_program(gadget, cycles):
    demo = Demo(user=True)
    started = time.monotonic()
    states, answered, refused, broken, requests = set(), 0, 0, [], 0

    def measure_for(seconds, phase):
        nonlocal answered, refused, requests
        end = time.monotonic() + seconds
        while time.monotonic() < end and not broken:
            requests += 1
            answer = demo.measure()
            if len(answer) == 2 and answer[1].startswith("#OBJ;"):
                answered += 1
                states.add(answer[0].split(";")[8])
            elif answer == ("#ERR;;No target system connected.",):
                refused += 1
            else:
                broken.append((phase, answer))

    try:
        record = demo.connect(BOARD_SERIAL, 60)
        # The program runs as the plugdev user, with the udev rule.
        report(record.startswith(f"#VER;{BOARD_SERIAL};"), "permissions: the program run as that user opens the board",
               f"{record!r}")
        measure_for(2, "before")
        for cycle in range(cycles):
            if broken or demo.process.poll() is not None:
                break
            gadget.ask("unplug")
            measure_for(0.3, f"unplugged {cycle}")
            gadget.ask("replug")
            measure_for(2, f"replugged {cycle}")
        measure_for(max(0.0, 36 - (time.monotonic() - started)), "after")
    finally:
        alive = demo.process.poll() is None
        status, text = demo.stop()
    every_state = {"STATE_NO_OBJECT", "STATE_OBJECT_TOO_CLOSE", "STATE_OBJECT_PRESENCE", "STATE_OBJECT_FAR",
                   "STATE_STATIC"}
    report(record.startswith(f"#VER;{BOARD_SERIAL};") and alive and not broken and states >= every_state
           and answered + refused == requests,
           f"program end to end: {cycles} unplug/replug cycles, every request answered, every demo state, no crash",
           f"{record!r}, alive {alive} (exit {status}), broken {broken[:3]}, states {sorted(states)}, "
           f"{answered} measured + {refused} refused of {requests}, {text[-400:]}")
    note(f"program: {requests} requests in {time.monotonic() - started:.0f} s over {cycles} cycles: "
         f"{answered} measurements, {refused} refused while the board was away")


def main():
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
    report(plugged and len(hidraw_nodes()) == 4, "the board and another HID device enumerate on the USB",
           f"hidraw nodes {hidraw_nodes()}")
    note(f"guest ready {time.monotonic() - started:.1f} s after the checks started")
    if not plugged:
        return
    for check in (check_listing, check_exclusive_open, check_exchanges, lambda: check_serial(),
                  lambda: check_unplug_during("unplug-read", gadget, False),
                  lambda: check_unplug_during("unplug-write", gadget, True),
                  lambda: check_replug(gadget, foreign_udc), lambda: check_timeouts(gadget),
                  check_permissions, lambda: check_program(gadget, 20)):
        began = time.monotonic()
        try:
            check()
        except Exception as error:  # One check that breaks must not hide the others.
            report(False, getattr(check, "__name__", "check"), repr(error))
        note(f"took {time.monotonic() - began:.1f} s")
    gadget.process.stdin.close()
    gadget.process.wait(timeout=10)


main()
