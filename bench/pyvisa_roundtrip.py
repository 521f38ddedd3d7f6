"""pyvisa-py's round trip on the same server, measured the way bench_roundtrip measures ours.

Usage: /usr/bin/python3 bench/pyvisa_roundtrip.py PORT [SECONDS]
"""
import sys
import time

import pyvisa


def measure(inst, query, seconds):
    inst.query(query)  # warm up the connection
    n = 0
    start = time.perf_counter()
    while time.perf_counter() - start < seconds:
        inst.write_raw(query.encode())
        inst.read_raw()
        n += 1
    return (time.perf_counter() - start) / n * 1e6


def main():
    port = int(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 2.0
    rm = pyvisa.ResourceManager("@py")
    inst = rm.open_resource(f"TCPIP::127.0.0.1::{port}::SOCKET",
                            read_termination="\n", write_termination="", timeout=5000)
    for name, query in (("Idn", "*IDN?\n"), ("Fetch", "fetch?\n")):
        print(f"pyvisa-py_{name:<18} {measure(inst, query, seconds):10.1f} us per round trip")
    inst.close()
    rm.close()


if __name__ == "__main__":
    main()
