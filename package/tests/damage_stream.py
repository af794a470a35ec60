#!/usr/bin/env python3
"""Copies a zlib stream with its Adler-32 checksum changed: damage_stream.py IN OUT"""
import sys

data = bytearray(open(sys.argv[1], "rb").read())
data[-1] ^= 0x01
open(sys.argv[2], "wb").write(data)
