#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora (committed in corpus/); run again after changing them."""
from pathlib import Path

HERE = Path(__file__).resolve().parent


def bcd(value):
    return (value // 10) << 4 | value % 10


def record(minute, hour, day, month_byte, button):
    return bytes([0x04, bcd(minute), bcd(hour), bcd(day), month_byte]) + button.to_bytes(4, "little")


def reply(frame, length=9):
    return bytes([length]) + frame[:length]


IDENTIFY = bytes([0x55, 0x12, 0x0A, 0, 0, 0, 0, 0, 0])
END = bytes([0xFF] * 9)
CLOCK = bytes([26, 11, 7, 10, 30])  # 2026-12-08 10:30


def download(probe, *replies):
    return bytes([probe]) + CLOCK + b"".join(replies)


def readings(count, month_byte=0x11):
    return [reply(record(i % 60, 8 + i % 10, 1 + i % 28, month_byte, 0x12345678 + i))
            for i in range(count)]


DOWNLOADS = {
    "no-records": download(30, reply(IDENTIFY), reply(END)),
    "three-records": download(30, reply(IDENTIFY), *readings(3), reply(END)),
    "low-nibble-wand": download(25, reply(IDENTIFY), *readings(5, 0x0B), reply(END)),
    "ninety-nine-records": download(40, reply(IDENTIFY), *readings(99), reply(END)),
    "short-identify": download(30, reply(IDENTIFY, 8)),
    "silent": download(0),
    "short-first-record": download(30, reply(IDENTIFY), reply(END, 3)),
    "stops-after-ten": download(30, reply(IDENTIFY), *readings(10)),
    "invalid-fields": download(30, reply(IDENTIFY), reply(record(60, 24, 32, 0x13, 0)),
                               reply(bytes([0, 0x3A, 0xA5, 0x00, 0x1A, 1, 2, 3, 4])), reply(END)),
}

RECORDS = {
    "bcd-december": record(5, 17, 28, 0x12, 0x12345678) + bytes([0, 0x07, 0xDA, 12]),
    "low-nibble-b": record(5, 17, 28, 0x3B, 1) + bytes([1, 0x07, 0xD9, 2]),
    "feb-29-leap": record(0, 0, 29, 0x02, 0) + bytes([0, 0x07, 0xD8, 2]),
    "feb-29-common": record(0, 0, 29, 0x02, 0) + bytes([0, 0x07, 0xD9, 2]),
    "day-zero": record(7, 6, 0, 0x05, 0) + bytes([0, 0x07, 0xD9, 11]),
    "letters": bytes([0, 0x3A, 0xA5, 0xA5, 0x1A, 0, 0, 0, 0]) + bytes([0, 0x27, 0x0F, 0]),
    "end-marker": bytes([0xFF] * 9) + bytes([0xFF] * 4),
}


def main():
    for folder, seeds in (("download", DOWNLOADS), ("record", RECORDS)):
        out = HERE / "corpus" / folder
        out.mkdir(parents=True, exist_ok=True)
        for name, data in seeds.items():
            (out / name).write_bytes(data)


if __name__ == "__main__":
    main()
