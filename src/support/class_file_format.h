// The numbers of the class-file format, shared by the class-file reader, the writer and the dumper.
// The dumper links nothing of the compiler, so this header holds constants only.
#pragma once

#include <cstdint>

constexpr uint32_t CLASS_MAGIC = 0xCAFEBABE;
// The only major version read; the files written are 45.3.
constexpr uint16_t CLASS_MAJOR_VERSION = 45;
constexpr uint16_t CLASS_MINOR_VERSION = 3;

// Constant-pool tags.
constexpr uint8_t CONSTANT_UTF8 = 1;
constexpr uint8_t CONSTANT_INTEGER = 3;
constexpr uint8_t CONSTANT_FLOAT = 4;
constexpr uint8_t CONSTANT_LONG = 5;
constexpr uint8_t CONSTANT_DOUBLE = 6;
constexpr uint8_t CONSTANT_CLASS = 7;
constexpr uint8_t CONSTANT_STRING = 8;
constexpr uint8_t CONSTANT_FIELD = 9;
constexpr uint8_t CONSTANT_METHOD = 10;
constexpr uint8_t CONSTANT_INTERFACE_METHOD = 11;
constexpr uint8_t CONSTANT_NAME_AND_TYPE = 12;

// Access flags. 0x0020 is ACC_SUPER on a class and ACC_SYNCHRONIZED on a method. 0x1000 has two
// readings: ACC_FP_MODE, a method's declared floating-point mode (strictfp together with ACC_STRICT,
// else widefp, the two modifiers the scanner knows), which the dumper names and a method of a class
// file may carry; and ACC_SYNTHETIC, a compiler-made member, as the class-file reader takes it. The
// files written carry ACC_STRICT for strictfp and no flag for widefp.
constexpr uint16_t ACC_PUBLIC = 0x0001;
constexpr uint16_t ACC_PRIVATE = 0x0002;
constexpr uint16_t ACC_PROTECTED = 0x0004;
constexpr uint16_t ACC_STATIC = 0x0008;
constexpr uint16_t ACC_FINAL = 0x0010;
constexpr uint16_t ACC_SUPER = 0x0020;
constexpr uint16_t ACC_SYNCHRONIZED = 0x0020;
constexpr uint16_t ACC_VOLATILE = 0x0040;
constexpr uint16_t ACC_TRANSIENT = 0x0080;
constexpr uint16_t ACC_NATIVE = 0x0100;
constexpr uint16_t ACC_INTERFACE = 0x0200;
constexpr uint16_t ACC_ABSTRACT = 0x0400;
constexpr uint16_t ACC_STRICT = 0x0800;
constexpr uint16_t ACC_FP_MODE = 0x1000;
constexpr uint16_t ACC_SYNTHETIC = 0x1000;

// The flags a class, a field and a method may carry; others make a class file bad.
constexpr uint16_t CLASS_ACCESS_FLAGS = ACC_PUBLIC | ACC_FINAL | ACC_SUPER | ACC_INTERFACE | ACC_ABSTRACT;
constexpr uint16_t FIELD_ACCESS_FLAGS =
    ACC_PUBLIC | ACC_PRIVATE | ACC_PROTECTED | ACC_STATIC | ACC_FINAL | ACC_VOLATILE | ACC_TRANSIENT;
constexpr uint16_t METHOD_ACCESS_FLAGS = ACC_PUBLIC | ACC_PRIVATE | ACC_PROTECTED | ACC_STATIC | ACC_FINAL |
                                         ACC_SYNCHRONIZED | ACC_NATIVE | ACC_ABSTRACT | ACC_STRICT | ACC_FP_MODE;
static_assert(CLASS_ACCESS_FLAGS == 0x0631 && FIELD_ACCESS_FLAGS == 0x00DF && METHOD_ACCESS_FLAGS == 0x1D3F);
