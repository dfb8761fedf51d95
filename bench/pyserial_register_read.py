#!/usr/bin/env python3
"""The reference for the register-read round trip: a minimal pyserial client
that writes the 8-byte request for register 1 and reads the 8-byte answer.
Usage: pyserial_register_read.py DEVICE COUNT; prints the median in microseconds."""
import statistics
import sys
import time

import serial

REQUEST = bytes([0x42, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x45])


def main():
    device, count = sys.argv[1], int(sys.argv[2])
    port = serial.Serial(device, 38400, timeout=2.0)
    times = []
    for _ in range(count):
        start = time.perf_counter()
        port.reset_input_buffer()
        port.write(REQUEST)
        answer = port.read(8)
        times.append(time.perf_counter() - start)
        if len(answer) != 8:
            sys.exit("short answer")
    port.close()
    print(f"{statistics.median(times) * 1e6:.1f}")


if __name__ == "__main__":
    main()
