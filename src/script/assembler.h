#pragma once
// A readable assembly text for compiled scripts, and back. Tests, fuzz seeds and the demo story
// are written in it; g2asm (tools/) is its command-line form.
//
//   ; a comment runs to the end of the line
//   .header "text"            free text before the tables (.trailer: after them)
//   .readpoints 12            the script's read-point count
//   .label "name", TARGET     a label table entry; entries keep the order of the text
//   .index TARGET             the next entry of the index table (tag 0, 1, ...)
//   START:                    a label at this code offset, also entered in the label table
//   @loop:                    a local symbol only
//   .byte 0x80, 1, 2          raw code bytes
//   push 5 / pushs "s" / text "s" / trace "s" / push2 5
//   jmp T / jz T / jnz T / call T [, TAG] / tag N / nop N
//   filegoto / filecall [TAG] / sgoto / scall [TAG] / ret / case / frame / pop
//   pos N / save0 N / save1 N                     position markers and save points
//   vi0 N / vb0 N / vs0 N (also 1 and 2)         variable references of area 0, 1, 2
//   skip "bytes"                                   a skipped block
//   neg add sub mul div mod or and not xor lnot gt lt shr shl lor land eq ne ge le inc dec
//   set setmul setdiv setmod setadd setsub setshl setshr setand setor setxor elem
//   cmd CODE                  the command opcode alone
//   cmd CODE, ARG, ...        frame, one push per argument (a number, a "string" or a
//                             variable such as vi0:3), then the command
//
// TARGET is a symbol or a number (an offset from the first code byte; -1 is the end). Strings
// are bytes: \\ \" \n \t and \xNN escape, every other byte stands for itself.
#include <cstdint>
#include <string>
#include <vector>

#include "script/script.h"

// False with a message ("line N: ...") when the text cannot be assembled.
bool assembleScript(const std::string& text, G2ScriptImage& out, std::string& error);
// The text that assembles back to the same image, byte for byte: code bytes that do not form a
// whole instruction come out as .byte lines.
std::string disassembleScript(const G2ScriptImage& image);
// The G2CD file bytes of an image.
std::vector<uint8_t> scriptFileBytes(const G2ScriptImage& image);
