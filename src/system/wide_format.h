// printf-style formatting of UTF-16 texts, with the wide conventions of the Windows runtime.
//
// A directive is '%', flags (- + space # 0), a width (digits or '*'), a precision ('.' then
// digits or '*'), a length and a type. A negative '*' width left-justifies with its magnitude; a
// negative '*' precision counts as none.
// - Integers d i u x X o, with the lengths h, hh, l, ll, I (ptrdiff_t / size_t), I32, I64, z, j
//   and t. p prints every hexadecimal digit of the address, in capitals.
// - Floating values f F e E g G a A take a double (also with l), or a long double with L.
// - Texts: s, ls, ws, lS and wS take a wide (char16_t) string; S, hs and hS a narrow (UTF-8) one.
//   c, lc, wc, lC and wC take a wide character, C, hc and hC a narrow (ASCII) one, passed as int;
//   a narrow byte beyond ASCII prints U+FFFD. A null string prints "(null)". A precision cuts a
//   string to that many units; a wide string is read no further, a narrow one to its terminator.
// - "%%" prints '%'.
// Any other directive, "%n" included, prints its own text (from '%' to the last unit read) and
// takes no argument: it is read whole before any argument is taken. A width or precision beyond
// the output's capacity costs nothing: padding and digits stop at the capacity.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats into `out` (always terminated when capacity > 0), cutting the text at capacity - 1
// units; returns the units written.
size_t FormatWideV(char16_t* out, size_t capacity, const char16_t* format, va_list args);
size_t FormatWide(char16_t* out, size_t capacity, const char16_t* format, ...);
