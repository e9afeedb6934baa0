"""The real 32-bit vernix.exe on ReactOS, an NT kernel of its own with real NDIS miniport drivers,
booted in qemu without KVM. One boot with three cards of three models: the guest (run.cmd)
registers them as Windows' network setup would, runs vernix.exe as the checks below need and
leaves what each run did on the data disk. Expected values come from what qemu was told (the
cards' models and addresses, the processor) and from the network class key, never from the
program. Exit status 77 (skipped) where no image or qemu is here, a failure under CI."""

import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "accept"))

from vxaccept import (CAPTION, DEVNULL, Result, decode, ethernet_text,  # noqa: E402
                      expected_host_name, listed, machine_number, report_bytes)

BUILD = os.path.abspath(os.environ.get("VERNIX_BUILD", "build/windows-x86"))
IMAGE_DIR = os.environ.get("VERNIX_REACTOS_DIR",
                           os.path.join(HERE, "..", "..", "..", "shared", "reactos"))
QEMU = "qemu-system-i386"
# The processor qemu is told to be: family 6, model 6, stepping 3, no serial number.
CPU, MODEL = "qemu32", "603"
# Each card's model, its address, and the description ReactOS's miniport for it gives.
CARDS = [("pcnet", "00:0c:29:ab:cd:ef", "AMD PCnet Am79C970 PCI Ethernet Adapter"),
         ("e1000", "00:50:56:c0:00:08", "Intel 82540EM PCI Ethernet Adapter"),
         ("rtl8139", "02:00:4c:4f:4f:50", "Realtek RTL8139 PCI Ethernet Adapter")]
ADDRESS_OF = {description: bytes.fromhex(mac.replace(":", "")) for _, mac, description in CARDS}
TOOLS = ["vernix.exe"] + ["tests/tools/%s.exe" % tool
                          for tool in ("vxkeys", "vxbox", "vxstation", "vxcard")]
# Only to end a guest that hangs: on an idle machine the boot takes about a minute and the
# runs another, beside the whole suite about five.
BOOT_LIMIT_S = 1800


def missing_prerequisite():
    for path in [os.path.join(IMAGE_DIR, "livecd.iso.xz")] + [
            os.path.join(BUILD, tool) for tool in TOOLS]:
        if not os.path.exists(path):
            return "missing " + os.path.abspath(path)
    for tool in (QEMU, "mkfs.fat", "mcopy"):
        if shutil.which(tool) is None:
            return "missing %s (Debian: qemu-system-x86, dosfstools, mtools)" % tool
    return None


def livecd(work):
    """The image, decompressed once into the build tree."""
    packed = os.path.join(IMAGE_DIR, "livecd.iso.xz")
    iso = os.path.join(work, "livecd.iso")
    if not os.path.exists(iso) or os.path.getmtime(iso) < os.path.getmtime(packed):
        with open(iso + ".part", "wb") as out:
            subprocess.run(["xz", "-dc", packed], stdout=out, check=True)
        os.replace(iso + ".part", iso)
    return iso


def data_disk(path):
    """An MBR with one FAT16 partition from 1 MiB on, holding \\vxguest: the guest script (CR LF
    lines) and the programs it runs."""
    size = 32 << 20
    with open(path, "wb") as disk:
        disk.truncate(size)
        disk.seek(446)
        disk.write(struct.pack("<B3sB3sII", 0, b"\x20\x21\x00", 0x0E, b"\xfe\xff\xff", 2048,
                               size // 512 - 2048))
        disk.seek(510)
        disk.write(b"\x55\xaa")
    subprocess.run(["mkfs.fat", "-F", "16", "--offset", "2048", "-n", "VXGUEST", path],
                   stdout=DEVNULL, check=True)
    with open(os.path.join(HERE, "run.cmd"), "rb") as script, \
            open(path + ".run.cmd", "wb") as crlf:
        crlf.write(script.read().replace(b"\n", b"\r\n"))
    image = path + "@@1M"
    subprocess.run(["mmd", "-i", image, "::/vxguest"], check=True)
    subprocess.run(["mcopy", "-i", image, path + ".run.cmd", "::/vxguest/run.cmd"], check=True)
    subprocess.run(["mcopy", "-i", image] + [os.path.join(BUILD, tool) for tool in TOOLS] +
                   ["::/vxguest/"], check=True)


def boot(work):
    """Boots the livecd with the cards until the guest says it is done, answering the debug
    kernel's prompts on COM1; returns the guest's out folder, copied from the data disk."""
    blank, disk = os.path.join(work, "blank.img"), os.path.join(work, "data.img")
    with open(blank, "wb") as f:
        f.truncate(16 << 20)   # first: a disk without a boot signature, so the CD boots
    data_disk(disk)
    com1 = os.path.join(work, "com1.sock")
    command = [QEMU, "-accel", "tcg", "-m", "1024", "-cpu", CPU, "-display", "none",
               "-no-reboot", "-boot", "d", "-cdrom", livecd(work),
               "-drive", "file=%s,format=raw,if=ide,index=0" % blank,
               "-drive", "file=%s,format=raw,if=ide,index=1" % disk,
               "-chardev", "socket,id=com1,path=%s,server=on,wait=on" % com1,
               "-serial", "chardev:com1",
               "-monitor", "unix:%s,server=on,wait=off" % os.path.join(work, "monitor.sock")]
    for n, (model, mac, _) in enumerate(CARDS):
        command += ["-netdev", "user,id=n%d,restrict=on" % n,
                    "-device", "%s,netdev=n%d,mac=%s,romfile=" % (model, n, mac)]
    with open(os.path.join(work, "qemu.log"), "wb") as log:
        qemu = subprocess.Popen(command, stdin=DEVNULL, stdout=log, stderr=log)
    try:
        said = serve_com1(qemu, com1, os.path.join(work, "com1.log"))
        if said != "done":
            monitor(work, "screendump " + os.path.join(work, "screen.ppm"))
        monitor(work, "quit")
        qemu.wait(timeout=60)
    finally:
        if qemu.poll() is None:
            qemu.kill()
            qemu.wait()
    if said != "done":
        raise AssertionError("%s; COM1 is in %s, the screen in screen.ppm beside it"
                             % (said, os.path.join(work, "com1.log")))
    out = os.path.join(work, "out")
    shutil.rmtree(out, ignore_errors=True)
    subprocess.run(["mcopy", "-s", "-n", "-i", disk + "@@1M", "::/vxguest/out", work],
                   check=True, env=dict(os.environ, MTOOLS_SKIP_CHECK="1"))
    return out


def monitor(work, command):
    """One command to qemu's monitor."""
    with socket.socket(socket.AF_UNIX) as link:
        link.settimeout(30)
        link.connect(os.path.join(work, "monitor.sock"))
        link.sendall(command.encode() + b"\n")
        answer = b""
        try:   # its greeting's prompt, then the one after the command
            while answer.count(b"(qemu)") < 2:
                answer += link.recv(4096) or b"(qemu)(qemu)"
        except OSError:   # quit closes the monitor
            pass


def serve_com1(qemu, path, log_path):
    """Reads the kernel's debug log until the guest's last word, answering an assertion's
    "(boipt)?" with i (ignore) and the debugger's "kdb:>" with cont. Returns "done", or what
    went wrong."""
    start = time.monotonic()
    while not os.path.exists(path):
        if qemu.poll() is not None:
            return "qemu ended with status %d before COM1 was there" % qemu.returncode
        time.sleep(0.1)
    link = socket.socket(socket.AF_UNIX)
    link.connect(path)
    link.settimeout(5)
    pending = b""
    with link, open(log_path, "wb") as log:
        while time.monotonic() - start < BOOT_LIMIT_S:
            try:
                data = link.recv(4096)
            except socket.timeout:
                continue
            if not data:
                return "qemu closed COM1 (status %r)" % qemu.poll()
            log.write(data)
            pending += data
            if b"vxguest: done" in pending:
                return "done"
            if b"vxguest: flush failed" in pending:
                return "the guest could not flush its data disk"
            if re.search(rb"\(boipt\)\? *$", pending):
                link.sendall(b"i\r")
                pending = b""
            elif re.search(rb"kdb:> *$", pending):
                link.sendall(b"cont\r")
                pending = b""
            pending = pending[-4096:]
    return "no \"vxguest: done\" on COM1 after %d s" % BOOT_LIMIT_S


class ReactOS(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        work = os.path.join(BUILD, "reactos")
        os.makedirs(work, exist_ok=True)
        cls.out = boot(work)
        # The cards as the guest registered them from the network class key: (GUID, desc).
        cls.cards = [tuple(line.split(" ", 2)[1:]) for line in cls.text("cards3.txt").split("\n")
                     if line]
        host = cls.text("hostname.txt").strip()
        cls.host = expected_host_name(host)

    @classmethod
    def text(cls, name):
        with open(os.path.join(cls.out, name), "rb") as f:
            return decode(f.read())

    def number(self, entry):
        return machine_number(ADDRESS_OF[self.cards[entry][1]])

    def report(self, run, entry):
        """The report of a run that took card number entry: its name and bytes as expected."""
        name = "vernix_%s_%s.txt" % (MODEL, self.number(entry))
        self.assertEqual(os.listdir(os.path.join(self.out, run)), [name])
        with open(os.path.join(self.out, run, name), "rb") as f:
            self.assertEqual(f.read(), report_bytes(
                MODEL, self.number(entry), self.host, ethernet_text(ADDRESS_OF[self.cards[0][1]])))
        return 'VERNIX information has been written to "C:\\vxguest\\%s".' % name

    def stored(self, run):
        values = dict(re.findall(r"^\s+(\w+)\s+REG_SZ\s+(.*?)\s*$", self.text(run + ".stored"),
                                 re.M))
        return values.get("ServiceName"), values.get("PermanentAddress")

    def assertRun(self, run, entry, boxed):
        """The run ended with status 0, reported card number entry and announced it: in a box
        that the guest read and closed, or on standard output."""
        self.assertEqual(self.text(run + ".status").strip(), "0", self.text(run + ".err"))
        message = self.report(run, entry)
        shown = self.text(run + ".box") if boxed else ""
        self.assertEqual(shown, "caption: %s\ntext: %s\n" % (CAPTION, message) if boxed else "")
        self.assertEqual(message in self.text(run + ".out"), not boxed)

    def test_the_three_models_are_listed_with_their_numbers(self):
        self.assertEqual(sorted(desc for _, desc in self.cards), sorted(ADDRESS_OF))
        self.assertEqual(listed(self.output("three")), [
            "%d : %s : %s" % (n + 1, self.number(n), desc) for n, (_, desc) in
            enumerate(self.cards)])

    def output(self, run):
        return Result(0, self.text(run + ".out"), "")

    def test_one_card_is_taken_without_a_prompt_stored_and_announced(self):
        self.assertNotIn("Select a card", self.text("one.out"))
        self.assertEqual(listed(self.output("one")),
                         ["1 : %s : %s" % (self.number(0), self.cards[0][1])])
        self.assertRun("one", 0, boxed=True)
        guid = self.cards[0][0]
        self.assertEqual(self.stored("one"),
                         (guid, "%s %s" % (ethernet_text(ADDRESS_OF[self.cards[0][1]]), guid)))

    def test_a_key_at_the_console_chooses_another_card_offered_next_time(self):
        self.assertIn("Select a card which will always be in your computer [1]",
                      self.text("three.out"))
        self.assertIn("typed 2 consumed 1", self.text("three.log"))
        self.assertRun("three", 1, boxed=True)
        guid = self.cards[1][0]
        self.assertEqual(self.stored("three"),
                         (guid, "%s %s" % (ethernet_text(ADDRESS_OF[self.cards[1][1]]), guid)))
        self.assertIn("Select a card which will always be in your computer [2]",
                      self.text("again.out"))
        self.assertRun("again", 1, boxed=True)

    def test_nobody_watching_the_stored_card_is_taken_without_waiting(self):
        # On a window station nobody sees: the message on standard output.
        self.assertRun("hidden", 1, boxed=False)
        # On the desktop without a console: no prompt waits, the box is still shown.
        self.assertRun("detached", 1, boxed=True)
        for run in ("hidden", "detached"):
            self.assertEqual(self.stored(run), self.stored("three"))

    def test_each_adapter_without_a_dos_name_gets_one_for_the_run_alone(self):
        # As the system comes, no adapter has a DOS name: each is defined, and gone after.
        self.assertWalk("hidden", defined=[0, 1, 2])
        self.assertEqual(self.devices("devices1.txt"), self.devices("devices0.txt"))
        self.assertRun("defined", 1, boxed=False)

    def test_a_dos_name_defined_by_another_program_is_used_and_left_in_place(self):
        last = self.cards[2][0]
        self.assertEqual(self.devices("devices2.txt"),
                         sorted(self.devices("devices0.txt") + [last.upper()]))
        self.assertWalk("defined", defined=[0, 1])
        self.assertEqual(self.text("last.txt"), "defined \\Device\\%s\n" % last)
        self.assertEqual(self.devices("devices3.txt"), self.devices("devices2.txt"))

    def devices(self, name):
        """A list of DOS device names as a set is compared: the names in upper case (they are
        compared without case, and ReactOS lists a defined one so), in text order (ReactOS
        lists them in another order from one call to the next)."""
        return sorted(self.text(name).upper().split("\n")[:-1])

    def assertWalk(self, run, defined):
        """The adapter walk's diagnostics for each card, in the form they take under Wine: the
        name the walk defined, or the target path of the name that was there."""
        walk = re.findall(r"^Processing subkey \[\d+\]\n(?:  .*\n)*Medium: .*$",
                          self.text(run + ".err"), re.M)
        self.assertEqual(len(walk), 3, self.text(run + ".err"))
        for entry, block in enumerate(walk):
            device = re.escape("\\Device\\" + self.cards[entry][0])
            name = "  Defined: " + device if entry in defined else \
                "  path  1: 46:0X[0-9A-F]+: " + device
            self.assertRegex(block, r"^Processing subkey \[%d\]\n  Service: %s\n  BuffLen: 80\n"
                             r"%s\nMedium: 802\.3 \(Ethernet\)\.$"
                             % (entry + 1, re.escape(self.cards[entry][0]), name))


def main():
    reason = missing_prerequisite()
    if reason is not None:
        if os.environ.get("CI") == "true":
            print("reactos: cannot run under CI: " + reason)
            return 1
        print("reactos: skipped: " + reason)
        return 77
    started = time.monotonic()
    result = unittest.TextTestRunner(verbosity=2).run(
        unittest.defaultTestLoader.loadTestsFromTestCase(ReactOS))
    print("reactos: the stage took %.0f s" % (time.monotonic() - started))
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
