"""The simulated counter's server speaks what other instrument tools speak."""

import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

BIN_DIR = os.environ.get("ZC_BIN_DIR", "")
READING = re.compile(r"^[+-]\d\.\d{11}E[+-]\d{3}$")
CONFIGURE = [
    "FUNC 'FREQ 1'",
    "FREQuency:ARM:STARt:SOURce IMM",
    "FREQuency:ARM:STOP:SOURce TIMer",
    "FREQuency:ARM:STOP:TIMer 0.1",
    "INIT:CONT ON",
]


class SimServer:
    """zc4100-sim on a free loopback port, stopped with SIGTERM."""

    def __init__(self, serial="IO00000042"):
        self.dir = tempfile.mkdtemp()
        port_file = os.path.join(self.dir, "port")
        self.proc = subprocess.Popen(
            [os.path.join(BIN_DIR, "zc4100-sim"), "--port", "0", "--port-file", port_file,
             "--serial", serial, "--seed", "3"])
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if os.path.exists(port_file) and open(port_file).read().strip():
                break
            time.sleep(0.02)
        self.port = int(open(port_file).read().strip())

    def stop(self):
        self.proc.terminate()
        code = self.proc.wait(timeout=10)
        shutil.rmtree(self.dir, ignore_errors=True)
        return code


class PyVisaInterop(unittest.TestCase):
    def setUp(self):
        import pyvisa  # Debian's python3-pyvisa-py
        self.server = SimServer()
        self.rm = pyvisa.ResourceManager("@py")
        self.inst = self.rm.open_resource(
            f"TCPIP::127.0.0.1::{self.server.port}::SOCKET",
            read_termination="\n", write_termination="\n", timeout=5000)

    def tearDown(self):
        self.inst.close()
        self.rm.close()
        self.assertEqual(self.server.stop(), 0)

    def test_identifies_configures_and_reads(self):
        self.assertEqual(self.inst.query("*IDN?"), "Zarnith,ZC4100,IO00000042,1.03")
        for command in CONFIGURE:
            self.inst.write(command)
        self.assertEqual(self.inst.query("FUNC?"), '"FREQ"')
        readings = [self.inst.query("fetch?") for _ in range(5)]
        for text in readings:
            self.assertRegex(text, READING)
            self.assertAlmostEqual(float(text), 10e6, delta=1e3)
        self.assertEqual(self.inst.query("SYST:ERR?"), '+0,"No error"')

    def test_error_queue_reports_unknown_header(self):
        self.inst.write("FROB:NICATE 3")
        self.assertTrue(self.inst.query("SYST:ERR?").startswith("-113,"))


@unittest.skipUnless(shutil.which("lxi"), "lxi-tools is not installed")
class LxiInterop(unittest.TestCase):
    def setUp(self):
        self.server = SimServer(serial="LX00000007")

    def tearDown(self):
        self.assertEqual(self.server.stop(), 0)

    def lxi(self, command):
        out = subprocess.run(
            ["lxi", "scpi", "--raw", "-a", "127.0.0.1", "-p", str(self.server.port), "-t", "5",
             command], capture_output=True, text=True, timeout=30, check=True)
        return out.stdout.strip()

    def test_identifies_configures_and_reads(self):
        self.assertEqual(self.lxi("*IDN?"), "Zarnith,ZC4100,LX00000007,1.03")
        for command in CONFIGURE:
            self.lxi(command)
        reading = self.lxi("fetch?")
        self.assertRegex(reading, READING)
        self.assertAlmostEqual(float(reading), 10e6, delta=1e3)


if __name__ == "__main__":
    unittest.main()
