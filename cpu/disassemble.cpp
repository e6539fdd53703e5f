// The Z80 disassembler: one table of format texts per opcode page, filled in by a small
// formatter that reads the operand bytes as the placeholders ask for them.
#include "cpu/disassemble.h"

#include <array>

namespace plexaro::z80 {
namespace {

// Placeholders in the format texts, each reading its bytes in instruction order:
//   %b  immediate byte "#0x12"        %w  immediate word "#0x1234"
//   %m  address word "0x1234"         %j  JR/DJNZ target, from a signed offset byte
//   %p  port byte "0x12"              %i  the index register, "ix" or "iy"
//   %x  indexed operand "5 (ix)", from a signed displacement byte
// A format of "=N" marks a form that sdasz80 cannot write: its N bytes are shown as ".db".

// clang-format off
constexpr const char* MainPage[256] = {
    /* 00 */ "nop", "ld bc, %w", "ld (bc), a", "inc bc", "inc b", "dec b", "ld b, %b", "rlca",
    /* 08 */ "ex af, af'", "add hl, bc", "ld a, (bc)", "dec bc", "inc c", "dec c", "ld c, %b", "rrca",
    /* 10 */ "djnz %j", "ld de, %w", "ld (de), a", "inc de", "inc d", "dec d", "ld d, %b", "rla",
    /* 18 */ "jr %j", "add hl, de", "ld a, (de)", "dec de", "inc e", "dec e", "ld e, %b", "rra",
    /* 20 */ "jr nz, %j", "ld hl, %w", "ld (%m), hl", "inc hl", "inc h", "dec h", "ld h, %b", "daa",
    /* 28 */ "jr z, %j", "add hl, hl", "ld hl, (%m)", "dec hl", "inc l", "dec l", "ld l, %b", "cpl",
    /* 30 */ "jr nc, %j", "ld sp, %w", "ld (%m), a", "inc sp", "inc (hl)", "dec (hl)", "ld (hl), %b", "scf",
    /* 38 */ "jr c, %j", "add hl, sp", "ld a, (%m)", "dec sp", "inc a", "dec a", "ld a, %b", "ccf",
    /* 40 */ "ld b, b", "ld b, c", "ld b, d", "ld b, e", "ld b, h", "ld b, l", "ld b, (hl)", "ld b, a",
    /* 48 */ "ld c, b", "ld c, c", "ld c, d", "ld c, e", "ld c, h", "ld c, l", "ld c, (hl)", "ld c, a",
    /* 50 */ "ld d, b", "ld d, c", "ld d, d", "ld d, e", "ld d, h", "ld d, l", "ld d, (hl)", "ld d, a",
    /* 58 */ "ld e, b", "ld e, c", "ld e, d", "ld e, e", "ld e, h", "ld e, l", "ld e, (hl)", "ld e, a",
    /* 60 */ "ld h, b", "ld h, c", "ld h, d", "ld h, e", "ld h, h", "ld h, l", "ld h, (hl)", "ld h, a",
    /* 68 */ "ld l, b", "ld l, c", "ld l, d", "ld l, e", "ld l, h", "ld l, l", "ld l, (hl)", "ld l, a",
    /* 70 */ "ld (hl), b", "ld (hl), c", "ld (hl), d", "ld (hl), e", "ld (hl), h", "ld (hl), l", "halt", "ld (hl), a",
    /* 78 */ "ld a, b", "ld a, c", "ld a, d", "ld a, e", "ld a, h", "ld a, l", "ld a, (hl)", "ld a, a",
    /* 80 */ "add a, b", "add a, c", "add a, d", "add a, e", "add a, h", "add a, l", "add a, (hl)", "add a, a",
    /* 88 */ "adc a, b", "adc a, c", "adc a, d", "adc a, e", "adc a, h", "adc a, l", "adc a, (hl)", "adc a, a",
    /* 90 */ "sub a, b", "sub a, c", "sub a, d", "sub a, e", "sub a, h", "sub a, l", "sub a, (hl)", "sub a, a",
    /* 98 */ "sbc a, b", "sbc a, c", "sbc a, d", "sbc a, e", "sbc a, h", "sbc a, l", "sbc a, (hl)", "sbc a, a",
    /* A0 */ "and a, b", "and a, c", "and a, d", "and a, e", "and a, h", "and a, l", "and a, (hl)", "and a, a",
    /* A8 */ "xor a, b", "xor a, c", "xor a, d", "xor a, e", "xor a, h", "xor a, l", "xor a, (hl)", "xor a, a",
    /* B0 */ "or a, b", "or a, c", "or a, d", "or a, e", "or a, h", "or a, l", "or a, (hl)", "or a, a",
    /* B8 */ "cp a, b", "cp a, c", "cp a, d", "cp a, e", "cp a, h", "cp a, l", "cp a, (hl)", "cp a, a",
    /* C0 */ "ret nz", "pop bc", "jp nz, %m", "jp %m", "call nz, %m", "push bc", "add a, %b", "rst 0x00",
    /* C8 */ "ret z", "ret", "jp z, %m", nullptr, "call z, %m", "call %m", "adc a, %b", "rst 0x08",
    /* D0 */ "ret nc", "pop de", "jp nc, %m", "out (%p), a", "call nc, %m", "push de", "sub a, %b", "rst 0x10",
    /* D8 */ "ret c", "exx", "jp c, %m", "in a, (%p)", "call c, %m", nullptr, "sbc a, %b", "rst 0x18",
    /* E0 */ "ret po", "pop hl", "jp po, %m", "ex (sp), hl", "call po, %m", "push hl", "and a, %b", "rst 0x20",
    /* E8 */ "ret pe", "jp (hl)", "jp pe, %m", "ex de, hl", "call pe, %m", nullptr, "xor a, %b", "rst 0x28",
    /* F0 */ "ret p", "pop af", "jp p, %m", "di", "call p, %m", "push af", "or a, %b", "rst 0x30",
    /* F8 */ "ret m", "ld sp, hl", "jp m, %m", "ei", "call m, %m", nullptr, "cp a, %b", "rst 0x38",
};

// The CB page and the DD CB / FD CB page share their operations: row op >> 3, operand
// op & 7 (a register for CB, the indexed operand when it is 6 for DD CB).
constexpr const char* BitOperations[32] = {
    "rlc ", "rrc ", "rl ", "rr ", "sla ", "sra ", nullptr, "srl ",
    "bit 0, ", "bit 1, ", "bit 2, ", "bit 3, ", "bit 4, ", "bit 5, ", "bit 6, ", "bit 7, ",
    "res 0, ", "res 1, ", "res 2, ", "res 3, ", "res 4, ", "res 5, ", "res 6, ", "res 7, ",
    "set 0, ", "set 1, ", "set 2, ", "set 3, ", "set 4, ", "set 5, ", "set 6, ", "set 7, ",
};
constexpr const char* Registers[8] = {"b", "c", "d", "e", "h", "l", "(hl)", "a"};
// clang-format on

struct Form {
    uint8_t opcode;
    const char* format;
};

// ED: every byte not listed here is a duplicate or has no meaning: two bytes of ".db".
constexpr Form EdForms[] = {
    {0x40, "in b, (c)"},  {0x41, "out (c), b"},  {0x42, "sbc hl, bc"}, {0x43, "ld (%m), bc"},
    {0x44, "neg"},        {0x45, "retn"},        {0x46, "im 0"},       {0x47, "ld i, a"},
    {0x48, "in c, (c)"},  {0x49, "out (c), c"},  {0x4A, "adc hl, bc"}, {0x4B, "ld bc, (%m)"},
    {0x4D, "reti"},       {0x4F, "ld r, a"},     {0x50, "in d, (c)"},  {0x51, "out (c), d"},
    {0x52, "sbc hl, de"}, {0x53, "ld (%m), de"}, {0x56, "im 1"},       {0x57, "ld a, i"},
    {0x58, "in e, (c)"},  {0x59, "out (c), e"},  {0x5A, "adc hl, de"}, {0x5B, "ld de, (%m)"},
    {0x5E, "im 2"},       {0x5F, "ld a, r"},     {0x60, "in h, (c)"},  {0x61, "out (c), h"},
    {0x62, "sbc hl, hl"}, {0x63, "=4"},          {0x67, "rrd"},        {0x68, "in l, (c)"},
    {0x69, "out (c), l"}, {0x6A, "adc hl, hl"},  {0x6B, "=4"},         {0x6F, "rld"},
    {0x72, "sbc hl, sp"}, {0x73, "ld (%m), sp"}, {0x78, "in a, (c)"},  {0x79, "out (c), a"},
    {0x7A, "adc hl, sp"}, {0x7B, "ld sp, (%m)"}, {0xA0, "ldi"},        {0xA1, "cpi"},
    {0xA2, "ini"},        {0xA3, "outi"},        {0xA8, "ldd"},        {0xA9, "cpd"},
    {0xAA, "ind"},        {0xAB, "outd"},        {0xB0, "ldir"},       {0xB1, "cpir"},
    {0xB2, "inir"},       {0xB3, "otir"},        {0xB8, "lddr"},       {0xB9, "cpdr"},
    {0xBA, "indr"},       {0xBB, "otdr"},
};

// DD and FD: the bytes with an indexed form. The others (and CB, decoded on its own page)
// leave the prefix as a one-byte instruction.
constexpr Form IndexForms[] = {
    {0x09, "add %i, bc"}, {0x19, "add %i, de"},  {0x21, "ld %i, %w"},   {0x22, "ld (%m), %i"},
    {0x23, "inc %i"},     {0x24, "inc %ih"},     {0x25, "dec %ih"},     {0x26, "ld %ih, %b"},
    {0x29, "add %i, %i"}, {0x2A, "ld %i, (%m)"}, {0x2B, "dec %i"},      {0x2C, "inc %il"},
    {0x2D, "dec %il"},    {0x2E, "ld %il, %b"},  {0x34, "inc %x"},      {0x35, "dec %x"},
    {0x36, "ld %x, %b"},  {0x39, "add %i, sp"},  {0x44, "ld b, %ih"},   {0x45, "ld b, %il"},
    {0x46, "ld b, %x"},   {0x4C, "ld c, %ih"},   {0x4D, "ld c, %il"},   {0x4E, "ld c, %x"},
    {0x54, "ld d, %ih"},  {0x55, "ld d, %il"},   {0x56, "ld d, %x"},    {0x5C, "ld e, %ih"},
    {0x5D, "ld e, %il"},  {0x5E, "ld e, %x"},    {0x60, "ld %ih, b"},   {0x61, "ld %ih, c"},
    {0x62, "ld %ih, d"},  {0x63, "ld %ih, e"},   {0x65, "ld %ih, %il"}, {0x66, "ld h, %x"},
    {0x67, "ld %ih, a"},  {0x68, "ld %il, b"},   {0x69, "ld %il, c"},   {0x6A, "ld %il, d"},
    {0x6B, "ld %il, e"},  {0x6C, "ld %il, %ih"}, {0x6E, "ld l, %x"},    {0x6F, "ld %il, a"},
    {0x70, "ld %x, b"},   {0x71, "ld %x, c"},    {0x72, "ld %x, d"},    {0x73, "ld %x, e"},
    {0x74, "ld %x, h"},   {0x75, "ld %x, l"},    {0x77, "ld %x, a"},    {0x7C, "ld a, %ih"},
    {0x7D, "ld a, %il"},  {0x7E, "ld a, %x"},    {0x84, "add a, %ih"},  {0x85, "add a, %il"},
    {0x86, "add a, %x"},  {0x8C, "adc a, %ih"},  {0x8D, "adc a, %il"},  {0x8E, "adc a, %x"},
    {0x94, "sub a, %ih"}, {0x95, "sub a, %il"},  {0x96, "sub a, %x"},   {0x9C, "sbc a, %ih"},
    {0x9D, "sbc a, %il"}, {0x9E, "sbc a, %x"},   {0xA4, "and a, %ih"},  {0xA5, "and a, %il"},
    {0xA6, "and a, %x"},  {0xAC, "xor a, %ih"},  {0xAD, "xor a, %il"},  {0xAE, "xor a, %x"},
    {0xB4, "or a, %ih"},  {0xB5, "or a, %il"},   {0xB6, "or a, %x"},    {0xBC, "cp a, %ih"},
    {0xBD, "cp a, %il"},  {0xBE, "cp a, %x"},    {0xE1, "pop %i"},      {0xE3, "ex (sp), %i"},
    {0xE5, "push %i"},    {0xE9, "jp (%i)"},     {0xF9, "ld sp, %i"},
};

template <size_t N>
constexpr std::array<const char*, 256> Page(const Form (&forms)[N]) {
    std::array<const char*, 256> page{};
    for (const Form& form : forms) page[form.opcode] = form.format;
    return page;
}

constexpr std::array<const char*, 256> EdPage = Page(EdForms);
constexpr std::array<const char*, 256> IndexPage = Page(IndexForms);

// The text being written; characters beyond its room are dropped.
struct Text {
    char* out;
    size_t size;
    size_t length;
};

void Put(Text& t, char c) {
    if (t.length + 1 < t.size) t.out[t.length++] = c;
}

void Put(Text& t, const char* s) {
    while (*s != '\0') Put(t, *s++);
}

void PutHex(Text& t, uint32_t value, int digits) {
    static constexpr char Digits[] = "0123456789abcdef";
    Put(t, "0x");
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        Put(t, Digits[(value >> shift) & 15]);
}

void PutSigned(Text& t, int32_t value) {
    if (value < 0) Put(t, '-');
    const uint32_t magnitude = static_cast<uint32_t>(value < 0 ? -value : value);
    if (magnitude >= 100) Put(t, static_cast<char>('0' + magnitude / 100));
    if (magnitude >= 10) Put(t, static_cast<char>('0' + magnitude / 10 % 10));
    Put(t, static_cast<char>('0' + magnitude % 10));
}

void PutBytes(Text& t, const uint8_t* bytes, uint32_t count) {
    Put(t, ".db ");
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0) Put(t, ", ");
        PutHex(t, bytes[i], 2);
    }
}

// The instruction's bytes as they are read; `used` counts them even past the end, so that
// a form cut short is noticed.
struct Reader {
    const uint8_t* bytes;
    uint32_t available;
    uint32_t used;
    uint16_t address;
    const char* index;     // "ix" or "iy" under a prefix
    int32_t displacement;  // of a DD CB / FD CB form, read before its opcode
    bool displacementRead;
};

uint32_t Next(Reader& r) {
    const uint32_t at = r.used++;
    return at < r.available ? r.bytes[at] : 0;
}

void PutIndexed(Text& t, Reader& r) {
    if (!r.displacementRead) r.displacement = static_cast<int8_t>(Next(r));
    PutSigned(t, r.displacement);
    Put(t, " (");
    Put(t, r.index);
    Put(t, ')');
}

void Format(Text& t, Reader& r, const char* format) {
    for (const char* f = format; *f != '\0'; ++f) {
        if (*f != '%') {
            Put(t, *f);
            continue;
        }
        switch (*++f) {
            case 'b':
                Put(t, '#');
                PutHex(t, Next(r), 2);
                break;
            case 'p': PutHex(t, Next(r), 2); break;
            case 'w': Put(t, '#'); [[fallthrough]];
            case 'm': {
                const uint32_t low = Next(r);
                PutHex(t, low | Next(r) << 8, 4);
                break;
            }
            case 'j': {
                const auto offset = static_cast<int8_t>(Next(r));
                PutHex(t, (r.address + r.used + static_cast<uint32_t>(offset)) & 0xFFFF, 4);
                break;
            }
            case 'i': Put(t, r.index); break;
            case 'x': PutIndexed(t, r); break;
            default: break;
        }
    }
}

// The format for the instruction at r.bytes, having read its prefix and opcode bytes, or
// null for a prefix that changes nothing; "=N" for a form shown as N bytes.
const char* Decode(Reader& r, Text& t) {
    const uint32_t op = Next(r);
    if (op == 0xCB) {
        const uint32_t cb = Next(r);
        if (BitOperations[cb >> 3] == nullptr) return "=2";
        Put(t, BitOperations[cb >> 3]);
        return Registers[cb & 7];
    }
    if (op == 0xED) {
        const char* format = EdPage[Next(r)];
        return format != nullptr ? format : "=2";
    }
    if (op != 0xDD && op != 0xFD) return MainPage[op];
    r.index = op == 0xDD ? "ix" : "iy";
    const uint32_t second = Next(r);
    if (second == 0xCB) {
        r.displacement = static_cast<int8_t>(Next(r));
        r.displacementRead = true;
        const uint32_t last = Next(r);
        const bool named = (last & 7) == 6 && BitOperations[last >> 3] != nullptr;
        if (!named) return "=4";
        Put(t, BitOperations[last >> 3]);
        return "%x";
    }
    return IndexPage[second];
}

}  // namespace

uint32_t Disassemble(const uint8_t* bytes, uint32_t available, uint16_t address, char* text,
                     size_t size) {
    Text t{text, size, 0};
    uint32_t length = 0;
    if (available > 0) {
        Reader r{bytes, available, 0, address, "", 0, false};
        const char* format = Decode(r, t);
        if (format == nullptr) {
            length = 1;
            t.length = 0;
            PutBytes(t, bytes, 1);
        } else if (format[0] == '=') {
            length = static_cast<uint32_t>(format[1] - '0');
            t.length = 0;
            PutBytes(t, bytes, length <= available ? length : 1);
        } else {
            Format(t, r, format);
            length = r.used;
        }
        if (length > available) {
            length = 1;
            t.length = 0;
            PutBytes(t, bytes, 1);
        }
    }
    if (size > 0) text[t.length] = '\0';
    return length;
}

}  // namespace plexaro::z80
