// One debugger evaluation from the text to the result: the compiler's parser and attribution
// build the expression in the scope of the stopped frame while frame_evaluation reads its
// variables, fields and elements, and constant folding computes the value; the last diagnostic is
// captured for the error text. The JNI entries of evaluation_entries.cpp are thin wrappers of
// these; tests call them over the model view.
#pragma once

#include <cstddef>
#include <cstdint>

#include "evaluate/vm_view.h"

struct ExprNode;

enum EvalResultKind : int32_t {
  EVAL_FAILURE = 0,
  EVAL_OBJECT = 1,  // an object, a string or null
  EVAL_INTEGRAL = 2,
  EVAL_DOUBLE = 3,
  EVAL_CHAR = 4,
  EVAL_BOOLEAN = 5,
  EVAL_FLOAT = 6,
};

// The stack an evaluation keeps free below its deepest level of nesting: room for the work done
// between two levels (a diagnostic with its message file read: 8 KB, 11 KB in the sanitizer
// build, where frames are larger) and for the guard pages a virtual machine keeps at the end of
// its threads' stacks (16 KB on JDK 17).
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t EVALUATION_STACK_RESERVE = 96 * 1024;
#else
constexpr size_t EVALUATION_STACK_RESERVE = 64 * 1024;
#endif

// The capture buffer: "<", the kept bytes of the text, ">" and the NUL fit in it.
constexpr int32_t CAPTURE_BUFFER_SIZE = 256;
constexpr int32_t ERROR_TEXT_UNITS = 256;

// Turns a directory argument of the caller (null: none) into a heap string of the host's
// encoding, or null. It runs once the evaluation's memory is open, so that what the conversion
// warns about can be reported.
using DirectoryConverter = char* (*)(const void* directory);

// Releases what the previous evaluation holds, then evaluates the expression (ASCII, Unicode
// escapes for other characters; null or empty is a failure with no message) in the frame at
// `depth` of the view's thread, with the messages of the two directories. An expression that
// nests too deeply for the calling thread's stack fails with "nesting.too.deep".
EvalResultKind evaluateExpression(VmView* view, int32_t depth, const char* expression, DirectoryConverter convert,
                                  const void* messageDirectory, const void* localeDirectory);
// Ends the evaluation: the signature letter is kept, the result, its references and the memory
// that held it are gone.
void evaluationDone();
// Everything of the last evaluation released and the compiler state zero, as a compile needs it
// to begin; safe however often it runs.
void releaseEvaluation();

// The result node of the evaluation in progress, or null.
const ExprNode* evaluationResult();
EvalResultKind resultKindOf(const ExprNode* node);
// The result's type letter ("L", "Z", "C", "B", "S", "I", "J", "F", "D", "["; a blank for none).
uint16_t signatureLetterOf(const ExprNode* node);
// The letter evaluationDone kept; 0 before the first. After a failure it is the type the
// expression has even so (an element that could not be read, a division that would throw), a
// blank when it has none (an unknown name, a call, a syntax error).
uint16_t evaluationSignature();
// Null for no result or null; a new string of the view for a string; the reference read.
VmObject evaluationObjectValue();
int64_t evaluationLongValue();
double evaluationDoubleValue();
uint16_t evaluationCharacterValue();
uint8_t evaluationBooleanValue();
// The captured message, "evalexpr.cannot.evaluate" when there is none while the evaluation's
// messages are at hand, else "INTERNAL ERROR", as UTF-16 into `units` (ERROR_TEXT_UNITS of
// them); returns the count, never negative. The buffer is empty after it.
int32_t evaluationErrorText(char16_t* units);

// The diagnostic callback during an evaluation: keeps the text as the last message.
void captureMessage(const char* text);
const char* capturedMessage();
