// Java strings of the virtual machine, read through the JNI environment of the entry in progress,
// as the compiler's own C strings: the in-process compile's arguments and directories, the
// debugger's expression and its message directories.
#pragma once

#include <jni.h>

// Each gives a new heap string that the caller frees, or null for a null or empty string, one
// whose characters are not available, or one that converts to nothing.
// In the host's multibyte encoding.
char* javaStringToNative(jstring string);
// As ASCII with every other unit a "\u" escape, as the scanner reads it back.
char* javaStringToEscapedAscii(jstring string);
