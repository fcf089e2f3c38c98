// Crash signals (segmentation fault, illegal instruction, floating-point trap) routed to one
// handler that runs on an alternate stack, so a stack overflow still reaches it.
#pragma once

void installCrashHandlers(void (*handler)(int signalNumber));
// Writes text to standard error with no buffering and no allocation, as a handler may.
void writeToStandardError(const char* text);
