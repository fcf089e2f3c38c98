// The steps of one evaluation, the result and its getters, and the capture of the last diagnostic.
// The state here lives outside `global`, which every evaluation zeroes when it releases the one
// before.
#include "evaluate/expression_evaluation.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "evaluate/frame_evaluation.h"
#include "platform/crash_signals.h"
#include "platform/thread_stack.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/global.h"
#include "support/locale_name.h"
#include "support/message_file.h"
#include "support/multibyte_strings.h"
#include "syntax/method_bodies.h"
#include "syntax/scanner.h"

namespace {

ExprNode* evalResult;
uint16_t evalSignature;
// The type letter of an evaluation that failed with no result, for evaluationDone to keep.
uint16_t failedSignature = ' ';
char captureBuffer[CAPTURE_BUFFER_SIZE];
// The evaluation's message table and arenas are usable: from its set-up to evaluationDone.
bool messagesAtHand;

void onEvaluationCrash(int) {
  writeToStandardError("quorvelix: Internal compiler error, SEGV, ILL, or FPE\n");
  siglongjmp(global.fatalTrap, 1);
}

// No archive and no directory: names resolve against the frame, and the classes that the
// frame's signatures name are declared in the class table as they come.
void emptySearchPaths() {
  global.classPathEntries = arenaNewArray<char*>(&global.mainArena, 1);
  global.classPathArchives = arenaNewArray<ZipFile*>(&global.mainArena, 1);
  global.sourcePathEntries = global.classPathEntries;
  global.sourcePathArchives = global.classPathArchives;
  global.bootClassPath = nullptr;
  global.classPath = nullptr;
  global.sourcePath = nullptr;
  global.extDirs = nullptr;
}

// The expression parsed in the frame's scope, its memory references read as the node
// constructors meet them; null after a syntax error or a stop (out of memory).
ExprNode* parseInFrame(const char* expression) {
  ExprNode* node = nullptr;
  global.evaluating = 1;
  setMemoryReferenceFolder(foldMemoryReference);
  try {
    setScanString(expression);
    node = parseEvalExpression();
  } catch (const CompileStop&) {
    node = nullptr;
  } catch (const std::bad_alloc&) {
    node = nullptr;
  }
  global.evaluating = 0;
  setMemoryReferenceFolder(nullptr);
  return node;
}

// The node folded once more, as a whole; null after a stop.
ExprNode* foldWhole(ExprNode* node) {
  try {
    return foldMemoryReference(node);
  } catch (const CompileStop&) {
    return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void ignoreMessage(const char*) {}

// The type of an expression that could not be evaluated, from a second parse in which the reads
// that failed for their values alone (an element out of bounds or of a null array) leave their
// nodes of their static types: a blank when it has none even so (an unknown name, a call, a syntax
// error). Nothing of that parse is reported; the message captured stays the first parse's.
uint16_t failedExpressionType(const char* expression) {
  global.messageCallback = ignoreMessage;
  setTypesOnly(true);
  ExprNode* node = parseInFrame(expression);
  if (node != nullptr && !hasErrorType(node)) node = foldWhole(node);
  setTypesOnly(false);
  global.messageCallback = captureMessage;
  return node != nullptr && !hasErrorType(node) ? signatureLetterOf(node) : ' ';
}

// Steps 7 to 11: memory, messages and encodings; the scanner on the text and an empty class
// table; the evaluation mode with the capture; the parse; the final folding of the tree.
EvalResultKind parseAndFold(const char* expression, DirectoryConverter convert, const void* messageDirectory,
                            const void* localeDirectory) {
  initMemory();
  messagesAtHand = true;
  global.defaultEncoding = nullptr;
  global.sourceEncoding = nullptr;
  bool ready = false;
  try {
    global.messageDirectory = convert(messageDirectory);
    global.localeDirectory = convert(localeDirectory);
    setMessageLocation(global.messageDirectory, global.localeDirectory);
    setEncodings(nullptr, nullptr);
    resetClassTable();
    global.currentArena = &global.mainArena;
    emptySearchPaths();
    // With no path to load them from, the two classes the language itself needs (the type of
    // null, of string literals) are declared as the frame's signatures declare theirs.
    typeFromSignature("Ljava/lang/Object;");
    typeFromSignature("Ljava/lang/String;");
    initStringType();
    global.maxErrors = 0;
    global.maxMessages = 0;
    global.messageCallback = captureMessage;
    captureBuffer[0] = '\0';
    ready = true;
  } catch (const CompileStop&) {
  } catch (const std::bad_alloc&) {
  }
  ExprNode* node = ready ? parseInFrame(expression) : nullptr;
  if (global.errorCount != 0 || node == nullptr || hasErrorType(node)) {
    // A tree that kept its type has it already; a syntax error leaves nothing to type.
    if (node != nullptr && !hasErrorType(node))
      failedSignature = signatureLetterOf(node);
    else if (node != nullptr)
      failedSignature = failedExpressionType(expression);
    return EVAL_FAILURE;
  }
  node = foldWhole(node);
  if (node == nullptr || hasErrorType(node)) {
    failedSignature = failedExpressionType(expression);
    return EVAL_FAILURE;
  }
  evalResult = node;
  if (global.traceLevel & TRACE_GENERAL) std::printf("jEval() got result back\n");
  return resultKindOf(node);
}

}  // namespace

void releaseEvaluation() {
  evalResult = nullptr;
  failedSignature = ' ';
  // A message of the evaluation before is no message of the next, which may fail before it
  // could say anything.
  captureBuffer[0] = '\0';
  clearCurrentFrame();
  if (evaluationView() != nullptr) evaluationView()->releaseObjects();
  messagesAtHand = false;
  releaseMemory();
}

// Steps: release whatever the process ran before (an evaluation, a compile, or nothing); the
// crash trap; the frame and the text; parse and fold; the handlers put back as the scope ends.
EvalResultKind evaluateExpression(VmView* view, int32_t depth, const char* expression, DirectoryConverter convert,
                                  const void* messageDirectory, const void* localeDirectory) {
  releaseEvaluation();
  // It runs on the caller's thread, whose JNI environment reads the frame and whose stack may be
  // far smaller than the console program's: the parse stops before that stack runs out.
  global.stackFloor = callingThreadStackFloor(EVALUATION_STACK_RESERVE);
  global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
  global.localeName = getLocaleName();
  setEvaluationView(view);
  // A crash of the evaluator on this thread fails the evaluation, and the process goes on.
  global.abortOnFatal = 0;
  ArmedCrashHandlers handlers(onEvaluationCrash);
  if (sigsetjmp(global.fatalTrap, 1) != 0) {
    global.evaluating = 0;
    setMemoryReferenceFolder(nullptr);
    setTypesOnly(false);
    evalResult = nullptr;
    return EVAL_FAILURE;
  }
  if (!setCurrentFrame(depth) || expression == nullptr || expression[0] == '\0') return EVAL_FAILURE;
  if (global.traceLevel & TRACE_GENERAL) std::printf("jEval() of: %s\n", expression);
  return parseAndFold(expression, convert, messageDirectory, localeDirectory);
}

void evaluationDone() {
  evalSignature = evalResult != nullptr ? signatureLetterOf(evalResult) : failedSignature;
  failedSignature = ' ';
  evalResult = nullptr;
  captureBuffer[0] = '\0';
  clearCurrentFrame();
  if (evaluationView() != nullptr) evaluationView()->releaseObjects();
  messagesAtHand = false;
  // Released whole, not only reset: the search paths, the identifier and message tables and the
  // class table all point into the arenas, and nothing may reach them after the result is gone.
  releaseMemory();
}

const ExprNode* evaluationResult() {
  return evalResult;
}

EvalResultKind resultKindOf(const ExprNode* node) {
  if (node == nullptr || node->type == nullptr) return EVAL_FAILURE;
  int32_t kind = node->type->kind;
  switch (node->op) {
    case O_NULL:
    case O_STRING:
    case O_OBJECT:
      return EVAL_OBJECT;
    case O_CONST:
      if (kind == TK_CHAR) return EVAL_CHAR;
      if (kind == TK_BOOLEAN) return EVAL_BOOLEAN;
      if (kind >= TK_BYTE && kind <= TK_LONG) return EVAL_INTEGRAL;
      return EVAL_FAILURE;
    case O_DCONST:
      return kind == TK_FLOAT ? EVAL_FLOAT : EVAL_DOUBLE;
    default:
      return EVAL_FAILURE;
  }
}

uint16_t signatureLetterOf(const ExprNode* node) {
  if (node == nullptr || node->type == nullptr) return ' ';
  switch (node->type->kind) {
    case TK_CLASS: return 'L';
    case TK_BOOLEAN: return 'Z';
    case TK_CHAR: return 'C';
    case TK_BYTE: return 'B';
    case TK_SHORT: return 'S';
    case TK_INT: return 'I';
    case TK_LONG: return 'J';
    case TK_FLOAT: return 'F';
    case TK_DOUBLE: return 'D';
    case TK_ARRAY: return '[';
    default: return ' ';
  }
}

uint16_t evaluationSignature() {
  return evalSignature;
}

VmObject evaluationObjectValue() {
  if (evalResult == nullptr) return 0;
  if (evalResult->op == O_STRING && evalResult->string != nullptr && evaluationView() != nullptr)
    return evaluationView()->newString(stringValueChars(evalResult->string), evalResult->string->length);
  if (evalResult->op == O_OBJECT) return static_cast<VmObject>(evalResult->integerValue);
  return 0;
}

int64_t evaluationLongValue() {
  return evalResult != nullptr ? evalResult->integerValue : 0;
}

double evaluationDoubleValue() {
  return evalResult != nullptr ? evalResult->doubleValue : 0.0;
}

uint16_t evaluationCharacterValue() {
  return evalResult != nullptr ? static_cast<uint16_t>(evalResult->integerValue) : 0;
}

uint8_t evaluationBooleanValue() {
  return evalResult != nullptr ? static_cast<uint8_t>(evalResult->integerValue) : 0;
}

// The text is cut at a character boundary so that "<", the kept bytes, ">" and the NUL fit.
void captureMessage(const char* text) {
  captureBuffer[0] = '\0';
  if (text == nullptr) return;
  constexpr int32_t room = CAPTURE_BUFFER_SIZE - 3;
  int32_t kept = 0;
  while (text[kept] != '\0') {
    int32_t n = characterLength(text + kept);
    if (n < 1) n = 1;
    int32_t next = kept;
    while (next < kept + n && text[next] != '\0') next++;
    if (next > room) break;
    kept = next;
  }
  captureBuffer[0] = '<';
  std::memcpy(captureBuffer + 1, text, kept);
  captureBuffer[kept + 1] = '>';
  captureBuffer[kept + 2] = '\0';
  if (global.traceLevel & TRACE_MESSAGE_FORMAT)
    std::printf("ERROR CAUGHT: \"%s\", turned into \"%s\"\n", text, captureBuffer);
}

const char* capturedMessage() {
  return captureBuffer;
}

// Steps: "evalexpr.cannot.evaluate" reported into the empty buffer while the evaluation's
// messages are at hand (never from memory an early failure or evaluationDone let go of); else
// the fallback; the buffer converted without the callback; then emptied.
int32_t evaluationErrorText(char16_t* units) {
  if (captureBuffer[0] == '\0' && messagesAtHand && global.messageCallback != nullptr) {
    try {
      errorInFile(nullptr, 0, 0, "evalexpr.cannot.evaluate");
    } catch (const CompileStop&) {
    } catch (const std::bad_alloc&) {
    }
  }
  if (captureBuffer[0] == '\0') std::strcpy(captureBuffer, "INTERNAL ERROR");
  MessageCallback callback = global.messageCallback;
  global.messageCallback = nullptr;
  // A conversion warning would need the message table, which may be gone.
  uint8_t noWarnings = global.noWarnings;
  global.noWarnings = 1;
  int32_t count = 0;
  int32_t length = static_cast<int32_t>(std::strlen(captureBuffer));
  // The text is in the message file's own encoding where the locale could not take it.
  const char* encoding = messagesAtHand ? messageTextEncoding() : nullptr;
  try {
    if (encoding != nullptr)
      count = encodedToUnicode(captureBuffer, length, encoding, units, ERROR_TEXT_UNITS);
    else
      count = nativeToUnicode(captureBuffer, length, units, ERROR_TEXT_UNITS);
  } catch (const CompileStop&) {
    count = 0;
  } catch (const std::bad_alloc&) {
    count = 0;
  }
  global.noWarnings = noWarnings;
  if (count < 0) count = 0;
  if (count > ERROR_TEXT_UNITS) count = ERROR_TEXT_UNITS;
  captureBuffer[0] = '\0';
  if (messagesAtHand) global.messageCallback = callback != nullptr ? callback : captureMessage;
  return count;
}
