// The whole state of code generation for the class being generated: its constant pool and body
// buffer, the code of the method in progress with its stack depth and local slots, and the
// bookkeeping of its methods. One global instance, `classGen`, outside `global` (like the
// scanner's state): it is cleared when a class's generation begins (beginClassGenState), kept
// whole in the class record when the class's methods are done (keepClassGenState), brought back
// whole by the class-file writer (restoreClassGenState), and saved and restored whole around the
// generation of every outermost class, so nothing of one class leaks into another.
#pragma once

#include <cstdint>

#include "codegen/constant_pool.h"
#include "codegen/method_code.h"
#include "codegen/output_buffers.h"

struct ClassDef;

struct ClassGenState {
  ClassDef* cls;  // the class being generated: the subject of dependency lines

  ConstantPool pool;
  OutputBuffer body;  // from the access flags to the last class attribute

  // The method in progress. Statement and expression generation keep stackDepth as they emit and
  // raise maxStack to it; both are 0 when emitCode starts. The Code attribute writer then takes
  // the larger of maxStack and the depth the finished code reaches (stack_depth.h).
  MethodCode code;
  int32_t stackDepth;
  int32_t maxStack;
  int32_t maxLocals;        // set from the method's scope before its code is generated
  uint8_t methodHasCode;    // the method gets a Code attribute
  // The class's source file had an error when the class's generation began: nothing is put in the
  // body buffer (the file is not written), each body is only checked.
  uint8_t nothingWritten;
  // The body in progress is only checked, its flow analysed for the reports, and no code is made:
  // nothingWritten, or the body itself failed (ParserContext::bodyFailed).
  uint8_t checkOnly;
  int32_t blankFinalCount;  // blank final fields numbered for the current method (numberBlankFinals)

  // Pool indexes of attribute names, 0 until first used.
  uint16_t codeName;
  uint16_t exceptionsName;
  uint16_t lineNumberTableName;
  uint16_t localVariableTableName;
  uint16_t constantValueName;
  uint16_t syntheticName;
  uint16_t deprecatedName;

  BufferPosition methodsCountPosition;
  int32_t methodCount;  // method_info records written into the body buffer so far
};

extern ClassGenState classGen;

// Clears the state and sets up the pool and the body buffer for `cls`.
void beginClassGenState(ClassDef* cls);
// Copies the state into a block of the generation arena and links it from the class.
void keepClassGenState(ClassDef* cls);
// Brings back what keepClassGenState kept for the class.
void restoreClassGenState(const ClassDef* cls);

// Operand-stack bookkeeping of the method in progress (stackDepth and maxStack): raiseStackDepth
// grows the depth by `slots` and the maximum follows it; adjustStackDepth moves the depth by
// `delta` (never below 0) and the maximum follows it; foldStackDepth brings the maximum up to
// the current depth.
void raiseStackDepth(int32_t slots);
void adjustStackDepth(int32_t delta);
void foldStackDepth();
