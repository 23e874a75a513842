#pragma once
// The one-byte opcodes of compiled script code and the size of each opcode's operand, which the
// code scanners and the disassembler use to step over instructions.
#include <cstdint>

enum G2Opcode : uint8_t {
    kOpText = 0x01,        // string: message text; ends the step
    kOpPushString = 0x02,  // string
    kOpPushInt = 0x03,     // int32
    kOpPop = 0x04,
    kOpCommand = 0x05,  // int32 command code; ends the step
    kOpFrame = 0x06,    // opens a command's argument frame
    kOpJump = 0x07,
    kOpJumpZero = 0x08,
    kOpJumpNotZero = 0x09,
    kOpCall = 0x0a,  // int32 target, then a return-point tag
    kOpNop = 0x0b,   // int32, dropped
    kOpSkip = 0x0c,  // int32 L, then int32 n and n bytes
    kOpCase = 0x0d,
    kOpReturn = 0x0e,
    kOpTrace = 0x0f,  // string
    kOpFileGoto = 0x10,
    kOpFileCall = 0x11,  // then a return-point tag
    kOpPushInt2 = 0x13,
    kOpTag = 0x14,  // int32 return-point tag
    kOpLabelGoto = 0x15,
    kOpLabelCall = 0x16,  // then a return-point tag
    kOpPosition = 0x20,   // int32 read-point id
    kOpSavePoint0 = 0x21,
    kOpSavePoint1 = 0x22,
    kOpVarInt0 = 0x40,
    kOpVarBool0 = 0x41,
    kOpVarString0 = 0x42,
    kOpVarInt1 = 0x44,
    kOpVarBool1 = 0x45,
    kOpVarString1 = 0x46,
    kOpVarInt2 = 0x51,
    kOpVarBool2 = 0x52,
    kOpVarString2 = 0x53,
    kOpNeg = 0x82,
    kOpAdd = 0x83,
    kOpSub = 0x84,
    kOpMul = 0x85,
    kOpDiv = 0x86,
    kOpMod = 0x87,
    kOpOr = 0x88,
    kOpAnd = 0x89,
    kOpNot = 0x8a,
    kOpXor = 0x8b,
    kOpLogicalNot = 0x8c,
    kOpGreater = 0x8d,
    kOpLess = 0x8e,
    kOpShiftRight = 0x8f,
    kOpShiftLeft = 0x90,
    kOpLogicalOr = 0x91,
    kOpLogicalAnd = 0x92,
    kOpEqual = 0x93,
    kOpNotEqual = 0x94,
    kOpGreaterEqual = 0x95,
    kOpLessEqual = 0x96,
    kOpIncrement = 0x97,
    kOpDecrement = 0x98,
    kOpAssign = 0x9a,
    kOpAssignMul = 0x9b,
    kOpAssignDiv = 0x9c,
    kOpAssignMod = 0x9d,
    kOpAssignAdd = 0x9e,
    kOpAssignSub = 0x9f,
    kOpAssignShiftLeft = 0xa0,
    kOpAssignShiftRight = 0xa1,
    kOpAssignAnd = 0xa2,
    kOpAssignOr = 0xa3,
    kOpAssignXor = 0xa4,
    kOpElement = 0xf0,
};

// The operand size of an opcode as the program's table gives it: below 99 a fixed number of
// bytes; 99 or more means (size - 99) fixed bytes, then an int32 length n and n bytes. Opcodes
// outside the table have size 0.
int g2OperandSize(uint8_t opcode);
// Whether the opcode is in the size table (71 entries).
bool g2InSizeTable(uint8_t opcode);
