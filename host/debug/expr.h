// Expressions a user types for a condition (`--break 'loop if a == 3'`, a watchpoint's filter,
// a debug adapter's condition or evaluate): parsed once into a compact form, then evaluated as
// often as a breakpoint is hit, without allocating.
//
// What they are made of:
//   numbers     42 (decimal), 0x2A, $2A, 2Ah (an h number starts with a digit: 0FFh)
//   registers   a f b c d e h l i r, af bc de hl ix iy sp pc (any case);
//               flags zf cf sf hf pf (or vf) nf, 1 when set; @a, @hl: the register even
//               where the name hook has a variable of that name
//   symbols     _score, main+3: a symbol's value is its address
//   memory      [expr] or byte[expr]: the byte there; word[expr]: the 16-bit word (low first)
//   operators   as in C, tightest first: unary - ~ ! & *, then * / %, + -, << >>,
//               < <= > >=, == !=, &, ^, |, &&, ||; parentheses
// Arithmetic is on 64-bit signed integers; comparisons and && || ! give 0 or 1; a division
// by zero makes the evaluation fail.
//
// Names that are neither registers nor symbols go to the context's name hook (a debug adapter's
// C variables): it gives a value, or a place in memory whose bytes are the value. On a place,
// `&name` is its address, `*name` reads what a pointer points to, `name[i]` an array's (or a
// pointer's) element; `s.field` is one name, for the hook to resolve. A name the hook knows
// wins over a symbol or a register of the same name (a C loop's `i` is the variable), as
// in C the variable is what the name means.
//
//     Expr condition;
//     std::string error;
//     if (!ParseExpr("[_lives] == 0 && pc == _die", condition, error)) fail(error);
//     ...
//     const ExprResult result = EvaluateExpr(condition);   // on the running machine
//     if (result.ok && result.value != 0) stop();
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plexaro {

inline constexpr uint32_t ExprMaxOps = 64;
inline constexpr uint32_t ExprMaxNames = 8;
inline constexpr uint32_t ExprNameBytes = 192;

// A name as the hook resolves it.
struct ExprPlace {
    bool isPlace;      // false: `value` is all there is (an enum, a register variable)
    int64_t value;     // when not a place
    uint16_t address;  // when a place: where its bytes are, low byte first
    uint8_t size;      // 1, 2 or 4
    bool isSigned;     // the bytes read as a signed number (an array's: its elements')
    uint8_t stride;    // an array: its elements' size (the name's value is then its address)
    uint8_t pointee;   // a pointer: the size of what it points to (1, 2 or 4), else 0
    bool pointeeSigned = false;
};

// What the evaluation reads. Null members read the live machine: the CPU's registers
// (z80::GetRegister's indexes) and memory as the CPU sees it; no name hook.
struct ExprContext {
    uint32_t (*reg)(uint32_t index, void* user);
    uint8_t (*peek)(uint16_t address, void* user);
    // False when the name means nothing here (a local outside its function).
    bool (*name)(std::string_view name, ExprPlace& place, void* user);
    void* user;
};

// One instruction of the compact form (a stack machine); see expr.cpp.
struct ExprOp {
    uint8_t code;
    uint8_t a;
    uint16_t b;
    int32_t value;
};

struct Expr {
    uint32_t count;
    ExprOp ops[ExprMaxOps];
    uint32_t nameCount;
    uint16_t nameStart[ExprMaxNames];  // into names, each ended by a 0
    char names[ExprNameBytes];
};

struct ExprResult {
    bool ok;
    int64_t value;
    const char* error;  // when not ok: "division by zero", "unknown name", ...
};

// False, with what is wrong in `error`, for text that does not parse or names what neither
// the symbols nor the context's hook know. `context` may be null (no hook).
bool ParseExpr(std::string_view text, Expr& expr, std::string& error,
               const ExprContext* context = nullptr);
ExprResult EvaluateExpr(const Expr& expr, const ExprContext* context = nullptr);

}  // namespace plexaro
