#pragma once
// The command dispatcher behind opcode 0x05 and the helpers its handlers share.
#include <cstdint>
#include <string>
#include <vector>

class TG2Engine;
class TG2Thread;

// Calls the handler of the code with the thread's argument frame; an undefined code does
// nothing. The thread closes the frame afterwards.
void g2DispatchCommand(TG2Engine& engine, TG2Thread& thread, uint32_t code);
// Every defined command code, ascending.
std::vector<uint32_t> g2CommandCodes();
// The shadow colour derived from a text colour (its alpha kept).
uint32_t g2ShadowColor(uint32_t argb);
// The first character of s: a Shift-JIS pair as one code with the lead byte high, else a byte.
uint32_t g2SymbolCode(const std::string& s);
