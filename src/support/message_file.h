// The message table: the localized message file, completed from the default one, read into a
// sorted array that the diagnostics search by key. It is loaded on the first lookup after
// setMessageLocation names the two directories. A file whose first line is "# encoding: NAME"
// is converted from that encoding to the locale's codeset; any other is read as host text.
#pragma once

#include <cstdint>

struct FileHandle;

struct MessageEntry {
  int32_t keyLength;
  char* key;
  int32_t argumentCount;
  char* text;
};

constexpr const char* MESSAGE_FILE_NAME = "quorvelix.messages";

const MessageEntry* lookupMessage(const char* key);
int compareMessageKeys(const MessageEntry* a, const MessageEntry* b);
void loadMessageFiles();
void initMessageTable(int32_t capacity);
void addMessage(const char* key, int32_t keyLength, int32_t argumentCount, const char* text,
                int32_t textLength);
void sortMessages();
void compactMessageTable();
char* readWholeFile(FileHandle* file);
void parseMessageFile(char* text, bool addAll);
const char* skipBlanks(const char* p);
const char* skipToEndOfLine(const char* p);

// Makes the default message file as the build found it, compiled into the program, the table: the
// loader's choice when no message file can be read, and the console start-up's when memory runs
// out before the files are known. It allocates nothing.
void useDefaultMessages();

// Keeps both directory strings (not copied) and drops the loaded table, unless it was loaded
// from these very directories.
void setMessageLocation(const char* messageDirectory, const char* localeDirectory);
// Forgets the table and the directories; called when the main arena that holds them is released.
void forgetMessageTable();
// The whole table, loaded first when needed.
const MessageEntry* messageTable(int32_t* count);
// The encoding the loaded texts are in when a message file's could not be converted to the
// locale's codeset and were kept as they are (UTF-8 under the plain C locale); null when they are
// in the host's encoding.
const char* messageTextEncoding();
