#!/usr/bin/env python3
"""Writes cartridges/tests/opcodes.s: every Z80 opcode form, one per line, in the text our
disassembler gives, each followed by a comment with the bytes it must assemble to.

The disassembler's round-trip test assembles the listing with sdasz80, checks the bytes
against the comments, and disassembles them back into the same lines. The forms here come
from the Z80's regular opcode structure (x = op >> 6, y = (op >> 3) & 7, z = op & 7), not
from the disassembler's tables, so the two check each other.

    python3 tools/make_opcode_listing.py > cartridges/tests/opcodes.s
"""

R = ["b", "c", "d", "e", "h", "l", "(hl)", "a"]
RP = ["bc", "de", "hl", "sp"]
RP2 = ["bc", "de", "hl", "af"]
CC = ["nz", "z", "nc", "c", "po", "pe", "p", "m"]
ALU = ["add a, ", "adc a, ", "sub a, ", "sbc a, ", "and a, ", "xor a, ", "or a, ", "cp a, "]
ROT = ["rlc", "rrc", "rl", "rr", "sla", "sra", None, "srl"]  # sll has no sdasz80 name
N, NN, D = 0x5A, 0xC0DE, 0x05  # operands used throughout; displacements also vary

lines = []
address = 0x0100  # room below for backward jumps, which must not wrap


def emit(text, data):
    global address
    lines.append("        %-28s ; %s" % (text, " ".join("%02x" % b for b in data)))
    address += len(data)


def db(data):
    emit(".db " + ", ".join("0x%02x" % b for b in data), data)


def word(v):
    return [v & 0xFF, v >> 8]


def main_form(op):
    """Text and bytes of an unprefixed opcode (not CB, DD, ED, FD)."""
    x, y, z, p, q = op >> 6, (op >> 3) & 7, op & 7, (op >> 4) & 3, (op >> 3) & 1
    if x == 1:
        return ("halt" if op == 0x76 else "ld %s, %s" % (R[y], R[z])), [op]
    if x == 2:
        return ALU[y] + R[z], [op]
    if x == 0:
        if z == 0:
            if y == 0:
                return "nop", [op]
            if y == 1:
                return "ex af, af'", [op]
            offset = (y * 37 - 150) & 0xFF  # a spread of forward and backward jumps
            target = (address + 2 + (offset - 256 if offset > 127 else offset)) & 0xFFFF
            name = ["djnz", "jr", "jr nz,", "jr z,", "jr nc,", "jr c,"][y - 2]
            return "%s 0x%04x" % (name, target), [op, offset]
        if z == 1:
            if q == 0:
                return "ld %s, #0x%04x" % (RP[p], NN), [op] + word(NN)
            return "add hl, %s" % RP[p], [op]
        if z == 2:
            forms = ["ld (bc), a", "ld a, (bc)", "ld (de), a", "ld a, (de)", "ld (0x%04x), hl",
                     "ld hl, (0x%04x)", "ld (0x%04x), a", "ld a, (0x%04x)"]
            return (forms[y] % NN, [op] + word(NN)) if p >= 2 else (forms[y], [op])
        if z == 3:
            return ("inc " if q == 0 else "dec ") + RP[p], [op]
        if z in (4, 5):
            return ("inc " if z == 4 else "dec ") + R[y], [op]
        if z == 6:
            return "ld %s, #0x%02x" % (R[y], N), [op, N]
        return ["rlca", "rrca", "rla", "rra", "daa", "cpl", "scf", "ccf"][y], [op]
    if z == 0:
        return "ret " + CC[y], [op]
    if z == 1:
        return (["pop " + RP2[p], [op]] if q == 0 else
                [["ret", "exx", "jp (hl)", "ld sp, hl"][p], [op]])
    if z == 2:
        return "jp %s, 0x%04x" % (CC[y], NN), [op] + word(NN)
    if z == 3:
        forms = {0: ("jp 0x%04x" % NN, word(NN)), 2: ("out (0x%02x), a" % N, [N]),
                 3: ("in a, (0x%02x)" % N, [N]), 4: ("ex (sp), hl", []), 5: ("ex de, hl", []),
                 6: ("di", []), 7: ("ei", [])}
        text, rest = forms[y]
        return text, [op] + rest
    if z == 4:
        return "call %s, 0x%04x" % (CC[y], NN), [op] + word(NN)
    if z == 5:
        return (["push " + RP2[p], [op]] if q == 0 else ["call 0x%04x" % NN, [op] + word(NN)])
    if z == 6:
        return ALU[y] + "#0x%02x" % N, [op, N]
    return "rst 0x%02x" % (y * 8), [op]


def cb_text(op, operand):
    x, y, z = op >> 6, (op >> 3) & 7, op & 7
    if x == 0:
        return None if ROT[y] is None else "%s %s" % (ROT[y], operand)
    return "%s %d, %s" % (["bit", "res", "set"][x - 1], y, operand)


def ed_form(op):
    """Text and bytes of ED op, or None where sdasz80 has no distinct text for it."""
    x, y, z, p, q = op >> 6, (op >> 3) & 7, op & 7, (op >> 4) & 3, (op >> 3) & 1
    if x == 1:
        if z == 0 and y != 6:
            return "in %s, (c)" % R[y], [0xED, op]
        if z == 1 and y != 6:
            return "out (c), %s" % R[y], [0xED, op]
        if z == 2:
            return ("sbc hl, " if q == 0 else "adc hl, ") + RP[p], [0xED, op]
        if z == 3 and p != 2:
            text = ("ld (0x%04x), %s" if q == 0 else "ld %s, (0x%04x)")
            args = (NN, RP[p]) if q == 0 else (RP[p], NN)
            return text % args, [0xED, op] + word(NN)
        if op == 0x44:
            return "neg", [0xED, op]
        if op in (0x45, 0x4D):
            return ("retn" if op == 0x45 else "reti"), [0xED, op]
        if op in (0x46, 0x56, 0x5E):
            return "im %d" % {0x46: 0, 0x56: 1, 0x5E: 2}[op], [0xED, op]
        if z == 7 and y < 6:
            return ["ld i, a", "ld r, a", "ld a, i", "ld a, r", "rrd", "rld"][y], [0xED, op]
        return None
    if x == 2 and z <= 3 and y >= 4:
        names = [["ldi", "cpi", "ini", "outi"], ["ldd", "cpd", "ind", "outd"],
                 ["ldir", "cpir", "inir", "otir"], ["lddr", "cpdr", "indr", "otdr"]]
        return names[y - 4][z], [0xED, op]
    return None


def ed_length(op):
    return 4 if op in (0x63, 0x6B) else 2


def index_form(prefix, op):
    """Text and bytes of DD/FD op, or None where the prefix changes nothing."""
    ix = "ix" if prefix == 0xDD else "iy"
    halves = {4: ix + "h", 5: ix + "l"}
    x, y, z = op >> 6, (op >> 3) & 7, op & 7
    d = (op * 7 + 0x80) & 0xFF  # displacements across the whole range
    disp = "%d (%s)" % (d - 256 if d > 127 else d, ix)
    text = None
    data = [prefix, op]
    if op in (0x09, 0x19, 0x29, 0x39):
        text = "add %s, %s" % (ix, ["bc", "de", ix, "sp"][op >> 4])
    elif op == 0x21:
        text, data = "ld %s, #0x%04x" % (ix, NN), data + word(NN)
    elif op == 0x22:
        text, data = "ld (0x%04x), %s" % (NN, ix), data + word(NN)
    elif op == 0x2A:
        text, data = "ld %s, (0x%04x)" % (ix, NN), data + word(NN)
    elif op in (0x23, 0x2B):
        text = ("inc " if op == 0x23 else "dec ") + ix
    elif op in (0xE1, 0xE5):
        text = ("pop " if op == 0xE1 else "push ") + ix
    elif op == 0xE3:
        text = "ex (sp), " + ix
    elif op == 0xE9:
        text = "jp (%s)" % ix
    elif op == 0xF9:
        text = "ld sp, " + ix
    elif x == 0 and y in (4, 5, 6) and z in (4, 5, 6):
        target = disp if y == 6 else halves[y]
        if z == 6:
            text = "ld %s, #0x%02x" % (target, N)
            data = data + ([d] if y == 6 else []) + [N]
        else:
            text = ("inc " if z == 4 else "dec ") + target
            data = data + ([d] if y == 6 else [])
    elif x == 1 and op != 0x76 and (y == 6 or z == 6):
        text = "ld %s, %s" % (disp if y == 6 else R[y], disp if z == 6 else R[z])
        data = data + [d]
    elif x == 1 and (y in (4, 5) or z in (4, 5)) and op not in (0x64, 0x6D):
        text = "ld %s, %s" % (halves.get(y, R[y]), halves.get(z, R[z]))
    elif x == 2 and z == 6:
        text, data = ALU[y] + disp, data + [d]
    elif x == 2 and z in (4, 5):
        text = ALU[y] + halves[z]
    return None if text is None else (text, data)


def main():
    lines.append("; Every Z80 opcode form with the bytes it assembles to, for the disassembler's")
    lines.append("; round-trip test. Written by tools/make_opcode_listing.py: edit that, not this.")
    lines.append("        .module opcodes")
    lines.append("        .zxn                           ; accepts ixh, ixl, iyh, iyl")
    lines.append("        .area   _HEADER (ABS)")
    lines.append("        .org    0x%04x" % address)
    for op in range(256):
        if op not in (0xCB, 0xDD, 0xED, 0xFD):
            emit(*main_form(op))
    for op in range(256):
        text = cb_text(op, R[op & 7])
        emit(text, [0xCB, op]) if text else db([0xCB, op])
    for op in range(256):
        form = ed_form(op)
        if form:
            emit(*form)
        else:
            db([0xED, op] + word(NN)[: ed_length(op) - 2])
    for prefix in (0xDD, 0xFD):
        ix = "ix" if prefix == 0xDD else "iy"
        for op in range(256):
            if op == 0xCB:
                continue
            form = index_form(prefix, op)
            if form:
                emit(*form)
                continue
            db([prefix])  # the prefix alone, then the byte as an instruction of its own
            if op in (0xDD, 0xFD):
                emit("ld %s, #0x%04x" % ("ix" if op == 0xDD else "iy", NN), [op, 0x21] + word(NN))
            elif op == 0xED:
                emit("neg", [0xED, 0x44])
            else:
                emit(*main_form(op))
        for op in range(256):
            d = (op * 13 + 0x80) & 0xFF
            text = cb_text(op, "%d (%s)" % (d - 256 if d > 127 else d, ix))
            if text and (op & 7) == 6:
                emit(text, [prefix, 0xCB, d, op])
            else:
                db([prefix, 0xCB, d, op])
    lines.append("        .area   _DATA")
    print("\n".join(lines))


main()
