#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Writes the hand-made seed inputs of the fuzz targets into fuzz/corpus/<target>/.

Each seed follows the layout its target reads (see the target's source); the fuzzer mutates from
there. Run it again after changing a target's input layout.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def save(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


def string_form(text):
    """32-bit count of UTF-16 units, then the units big-endian; None is the count -1."""
    if text is None:
        return struct.pack(">i", -1)
    units = text.encode("utf-16-be")
    return struct.pack(">i", len(units) // 2) + units


def attribute_list(entries):
    out = struct.pack(">i", len(entries))
    for name, value in entries:
        out += string_form(name) + string_form(value)
    return out


# 1. attribute lists
save("attribute_list", "empty", attribute_list([]))
save("attribute_list", "server", attribute_list([("TORV_SERVER_IP", "10.1.2.3"), ("TORV_SERVER_URL", "/reports")]))
save("attribute_list", "null-and-empty", attribute_list([("a", None), (None, ""), ("", "x")]))
save("attribute_list", "non-ascii", attribute_list([("\u20ac uro", "caf\u00e9 \u4e2d"), ("zero\0cut", "v")]))
save("attribute_list", "duplicate", attribute_list([("k", "1"), ("k", "2"), ("j", "3")]))
save("attribute_list", "short", attribute_list([("name", "value")])[:-3])


# 2. data input: text length, text (decodeUTF), script length, script, stream bytes
def data_input(text, script, stream):
    return bytes([len(text)]) + text + bytes([len(script)]) + bytes(script) + stream


save("data_input", "typed", data_input(b"plain", [0, 1, 2, 3, 10], bytes(range(1, 40))))
save("data_input", "utf", data_input(b"\xc3\xa9\xe2\x82\xac\xc0\x80", [4, 4, 4],
                                     b"\x00\x03abc\xff\xff\x00\x00\x00\x02AB\x00\x02\xc0\x80"))
save("data_input", "strings", data_input(b"\xed\xa0\x80", [5, 5, 5],
                                         string_form("hi") + string_form(None) + struct.pack(">i", 1 << 30)))
save("data_input", "arrays", data_input(b"x", [11, 8, 4, 7, 12, 13, 14, 11, 0, 4, 4, 11, 20, 30, 2], bytes(range(50))))
save("data_input", "mark-skip", data_input(b"", [7, 0, 6, 5, 8, 0, 6, 255, 9, 40, 8, 9, 200], bytes(range(100))))

# 3. client exports: mode (not a multiple of 4), handle choice, then create (structured attributes,
#    all host functions given), then calls; mode 0 runs the callback streams directly
save("client_exports", "streams-direct", [0, 0, 0, 5, 1, 2, 3, 4, 5, 2, 1, 4, 0, 8, 9, 3, 1, 2, 3, 10, 11, 4, 2, 0, 0x10, 0])
create = [1, 0, 0, 1, 2, ord("i"), ord("p"), 3, ord("1"), ord("."), ord("2"), 1, 1]
call = lambda op, *rest: [0, 1, op] + list(rest)
save("client_exports", "create-destroy", create + call(11))
save("client_exports", "negotiate", create + call(0, 1) + [0] * 40 + call(1, 1, 0, 1) + [0] * 8)
save("client_exports", "streams", create + call(2) + call(3, 20) + call(4) + call(6, 65) + call(7, 3, 1, 2, 3, 1)
     + call(8) + call(9) + call(5) + [250, 2, ord("\xc0") & 0xff, 0x80])
save("client_exports", "two-handles", create + [1] + create[2:] + call(0, 1) + [240, 0, 3, 0x80, 0x41, 0x42])


# 4. component: step bytes as component_fuzzer.cpp reads them
def wide(text):
    chars = "0123456789-+ \t9"
    out = [len(text)]
    for c in text:
        out.append(chars.index(c) if c in chars else 0)
    return out


def wide_any(text):
    """A data text: its length takes two bytes."""
    out = [len(text) >> 8, len(text) & 0xFF]
    for c in text:
        out += [200, ord(c) & 0xFF]
    return out


surface = [40, 40, 0, 0, 4]
scale_one = [6, 64]
save("component", "set-get", [0, 3] + wide("2") + [1] + [1, 3, 1, 15] + [1, 1, 1, 3] + [3])
save("component", "paint", [6] + surface + wide_any("PDF417 0123") + [6, 0, 6, 0] + scale_one + [1])
save("component", "print", [7] + surface + wide_any("hello") + [6, 0, 6, 0] + scale_one + [6, 0, 6, 0])
save("component", "autosize", [0, 0] + wide("5") + [1, 0, 1] + wide("2") + [1, 5, 20, 20, 0, 0, 0]
     + wide_any("abc") + [0])
save("component", "too-long", [6] + surface + wide_any("x\u00e9" * 750) + [6, 0, 6, 0] + scale_one + [1])
save("component", "read-me", [2, 1, 20] + list(struct.pack(">5i", 4, 3, 2, 1, 1)) + [6] + surface
     + wide_any("data") + [6, 0, 6, 0] + scale_one + [1])


# 5. encoder: writer, module width, header flag, option count, options, length and buffer choices, data
def encoder(options, data, module=1, header=1, length_choice=3, buffer_choice=1, protocol=0, later=()):
    """options: their count, then the option bytes as setOptions reads them; later: the options
    set between encoding and writing (protocol bit 0)."""
    later_bytes = [len(later)] + list(later) if protocol & 1 else []
    return bytes([1, module, header] + options + [length_choice, buffer_choice, protocol] + later_bytes) + data


save("encoder", "text", encoder([0], b"Hello, World! 123"))
save("encoder", "numeric", encoder([0], b"0123456789012345678901234567890123456789"))
save("encoder", "binary", encoder([0], bytes(range(256))[::7], module=2, header=0))
save("encoder", "options", encoder([3, 0, 5, 2, 6, 0, 1, 1, 1, 10], b"mixed Text 42 \x01\x02"))
save("encoder", "rows-columns", encoder([2, 2, 1, 20, 3, 4, 1, 3, 2, 1], b"x" * 60))
save("encoder", "short-buffer", encoder([0], b"abc", buffer_choice=0))
save("encoder", "out-of-order", encoder([0], b"order", protocol=2))
save("encoder", "options-after-encode", encoder([1, 0, 1, 0], b"later options " * 3, protocol=1,
                                                later=[2, 0, 1, 8, 2, 2, 3, 1, 2]))


# 6. picture loader: surface, padding, eight coordinates, source flag, then the block
def bmp(width, height, header=True, info=40, top_down=False, palette=2):
    stride = ((width + 31) // 32) * 4
    pixels = b"".join(bytes([(0xAA if y % 2 else 0x55)] * stride) for y in range(height))
    colours = b"\x00\x00\x00\x00\xff\xff\xff\x00"[: 4 * palette]
    info_header = struct.pack("<IiiHHIIiiII", info, width, -height if top_down else height, 1, 1, 0, len(pixels),
                              0, 0, palette, 0) + b"\0" * (info - 40)
    body = info_header + colours
    if not header:
        return body + pixels
    offset = 14 + len(body)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + body + pixels


front = [20, 20, 3, 0, 0, 36, 36, 16, 16, 40, 40, 1]
save("picture_loader", "file", bytes(front) + bmp(17, 5))
save("picture_loader", "top-down", bytes(front[:-1] + [0]) + bmp(33, 3, top_down=True))
save("picture_loader", "v4-header", bytes(front) + bmp(8, 8, info=108, palette=0))
save("picture_loader", "no-file-header", bytes(front) + bmp(9, 2, header=False))


# 7. pdf417 command: argument count, arguments each ended by a zero byte, then the data bytes
def command(arguments, data=b""):
    return bytes([len(arguments)]) + b"".join(a.encode() + b"\0" for a in arguments) + data


save("pdf417_command", "plain", command(["hello"], b"hello"))
save("pdf417_command", "all-options", command(["-o", "x.BMP", "-r", "10", "-c", "8", "-l", "auto", "-x", "3", "-y",
                                               "4", "--dpi", "300", "--scale", "2.5", "--print", "--quiet-zone", "0", "-q",
                                               "--plugin", "p.so", "--", "text"], "caf\u00e9 \u20ac".encode()))
save("pdf417_command", "refused", command(["--rows", "2", "--columns", "31", "--format", "gif", "-f", "-"],
                                          b"\xc3\x28 \xed\xa0\x80 \xf0\x9f\x98\x80 \x00"))
save("pdf417_command", "help", command(["-h", "--level", "9"], "\U0001F600 \u0152".encode()))
