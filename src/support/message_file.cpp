// Reading "quorvelix.messages": one entry a line, the key, an optional argument count in
// parentheses, "=" and the text, with "#" comment lines; a first line "# encoding: NAME" says the
// file's encoding. Nothing in a line is ever reported as malformed; the parser only guards against
// running off the end of the text.
#include "support/message_file.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/fatal_stops.h"
#include "support/file_io.h"
#include "support/global.h"
#include "support/multibyte_strings.h"
#include "support/sorted_names.h"

namespace {

struct MessageTable {
  MessageEntry* entries;  // heap while loading, main arena afterwards, or the default entries
  int32_t capacity;
  int32_t count;
  int32_t sortedCount;
  bool inArena;
  bool builtIn;  // the default entries compiled into the program
  const char* messageDirectory;
  const char* localeDirectory;
  // The encoding of a file whose texts were kept as they are, since the locale's codeset could not
  // take them; empty while every text is in the host's encoding.
  char ownEncoding[64];
};

MessageTable table;

constexpr char UNUSED_KEY[] = "unused.error.id";
constexpr char UNUSED_TEXT[] = "Unused error message";

// The default message file as the build found it, read in place on first use: the entries point
// into the text, each key and text cut off by a zero byte. Nothing of it is allocated, so it
// serves when memory has run out.
char defaultMessageText[] = {
#include "default_messages.inc"
    0};
constexpr int32_t MAX_DEFAULT_MESSAGES = 1024;
MessageEntry defaultEntries[MAX_DEFAULT_MESSAGES];
int32_t defaultTextLengths[MAX_DEFAULT_MESSAGES];
int32_t defaultCount = -1;  // -1 until read

// One entry of a message file as read, handed to what collects it.
using EntryVisitor = void (*)(const char* key, int32_t keyLength, int32_t argumentCount, const char* text,
                              int32_t textLength, void* context);

const MessageEntry* findMessage(const char* key, int32_t keyLength) {
  return findSortedName(table.entries, table.sortedCount, &MessageEntry::key, &MessageEntry::keyLength, key, keyLength);
}

int compareEntries(const void* a, const void* b) {
  return compareMessageKeys(static_cast<const MessageEntry*>(a), static_cast<const MessageEntry*>(b));
}

bool isBlank(const char* p) {
  return *p != '\0' && characterLength(p) == 1 && std::isspace(static_cast<unsigned char>(*p));
}

// Passes over one character, never over the terminating NUL.
const char* stepOver(const char* p) {
  if (*p == '\0') return p;
  int32_t n = characterLength(p);
  return p + (n < 1 ? 1 : n);
}

// Opens directory + file name, with a "/" between them when the directory has none at its end (an
// IDE may name it either way; no trail byte of a double-byte character is a "/"); the path is
// built in `path`, which has room for all three.
FileHandle* openMessageFile(char* path, const char* directory) {
  std::strcpy(path, directory);
  size_t length = std::strlen(path);
  if (length > 0 && path[length - 1] != '/') std::strcat(path, "/");
  std::strcat(path, MESSAGE_FILE_NAME);
  return openFile(path, "rb");
}

// ja_JP falls back to ja: the last "_" of the locale directory's own name ends it.
FileHandle* openLocaleFallback(char* path, const char* directory) {
  // Walked forwards by characters, so the trail byte of a double-byte character is no separator;
  // trailing separators begin no new name.
  const char* underscore = nullptr;
  bool afterSeparator = false;
  for (const char* p = directory; *p != '\0'; p = stepOver(p)) {
    if (isChar(p, '/') || isChar(p, '\\')) {
      afterSeparator = true;
      continue;
    }
    if (afterSeparator) underscore = nullptr;
    afterSeparator = false;
    if (isChar(p, '_')) underscore = p;
  }
  if (underscore == nullptr) return nullptr;
  size_t keep = underscore - directory;
  std::memcpy(path, directory, keep);
  path[keep] = '/';
  path[keep + 1] = '\0';
  std::strcat(path, MESSAGE_FILE_NAME);
  return openFile(path, "rb");
}

// The encoding that the file's first line names as "# encoding: NAME", into `name`; false when the
// first line names none.
bool declaredEncoding(const char* text, char* name, size_t size) {
  static const char tag[] = "encoding:";
  const char* p = text;
  if (*p++ != '#') return false;
  while (*p == ' ' || *p == '\t') p++;
  if (std::strncmp(p, tag, sizeof tag - 1) != 0) return false;
  p += sizeof tag - 1;
  while (*p == ' ' || *p == '\t') p++;
  size_t length = 0;
  while (p[length] != '\0' && !std::isspace(static_cast<unsigned char>(p[length]))) length++;
  if (length == 0 || length >= size) return false;
  std::memcpy(name, p, length);
  name[length] = '\0';
  return true;
}

// A file that names its encoding is read in the locale's codeset, so that its texts print as the
// terminal shows them; any other file is taken to be in the host's code page already. An encoding
// the runtime cannot convert from (or a codeset that has no characters to convert to) leaves the
// bytes as they are, and the table remembers the encoding they are in.
char* inHostEncoding(char* text) {
  char name[sizeof table.ownEncoding];
  if (!declaredEncoding(text, name, sizeof name) || sameEncodingName(name, hostCodesetName())) return text;
  int32_t length = 0;
  char* converted = convertToHostEncoding(text, static_cast<int32_t>(std::strlen(text)), name, &length);
  if (converted == nullptr) {
    // The localized file is read first, and its texts win.
    if (table.ownEncoding[0] == '\0') std::strcpy(table.ownEncoding, name);
    return text;
  }
  std::free(text);
  return converted;
}

// Reads and parses one open file; true when a text came back.
bool loadOneFile(FileHandle* file, bool addAll) {
  char* text = readWholeFile(file);
  if (text == nullptr) return false;
  struct Text {
    char* text;
    ~Text() { std::free(text); }
  } owned{text};
  owned.text = inHostEncoding(text);
  parseMessageFile(owned.text, addAll);
  sortMessages();
  return true;
}

}  // namespace

int compareMessageKeys(const MessageEntry* a, const MessageEntry* b) {
  return compareSortedNames(a->key, a->keyLength, b->key, b->keyLength);
}

const MessageEntry* lookupMessage(const char* key) {
  if (table.entries == nullptr) loadMessageFiles();
  return findMessage(key, static_cast<int32_t>(std::strlen(key)));
}

void initMessageTable(int32_t capacity) {
  if (table.entries != nullptr && !table.inArena && !table.builtIn) std::free(table.entries);
  table.builtIn = false;
  table.entries = static_cast<MessageEntry*>(heapAllocate(sizeof(MessageEntry) * capacity));
  if (table.entries == nullptr) outOfMemory();
  table.capacity = capacity;
  table.count = 0;
  table.sortedCount = 0;
  table.inArena = false;
}

void addMessage(const char* key, int32_t keyLength, int32_t argumentCount, const char* text,
                int32_t textLength) {
  if (table.count == table.capacity) {
    int32_t capacity = table.count + 100;
    auto* grown = static_cast<MessageEntry*>(heapReallocate(table.entries, sizeof(MessageEntry) * capacity));
    if (grown == nullptr) outOfMemory();
    table.entries = grown;
    table.capacity = capacity;
  }
  MessageEntry& entry = table.entries[table.count++];
  entry.keyLength = keyLength;
  entry.key = arenaNewArray<char>(&global.mainArena, keyLength + 1);
  std::memcpy(entry.key, key, keyLength);
  entry.argumentCount = argumentCount;
  entry.text = arenaNewArray<char>(&global.mainArena, textLength + 1);
  std::memcpy(entry.text, text, textLength);
}

void sortMessages() {
  if (table.count >= 2) std::qsort(table.entries, table.count, sizeof(MessageEntry), compareEntries);
  table.sortedCount = table.count;
}

void compactMessageTable() {
  if (table.inArena || table.builtIn) return;
  auto* compact = arenaNewArray<MessageEntry>(&global.mainArena, table.count > 0 ? table.count : 1);
  std::memcpy(compact, table.entries, sizeof(MessageEntry) * table.count);
  std::free(table.entries);
  table.entries = compact;
  table.capacity = table.count;
  table.inArena = true;
}

char* readWholeFile(FileHandle* file) {
  int64_t size = seekFile(file, 0, SEEK_END);
  if (size < 1 || size > INT32_MAX - 1 || seekFile(file, 0, SEEK_SET) != 0) return nullptr;
  char* text = static_cast<char*>(heapAllocate(size + 1));
  if (text == nullptr) outOfMemory();
  int64_t got = readFile(text, 1, size, file);
  text[got == size ? size : 0] = '\0';
  return text;
}

const char* skipBlanks(const char* p) {
  while (isBlank(p)) p++;
  return p;
}

const char* skipToEndOfLine(const char* p) {
  while (*p != '\0' && !isChar(p, '\r') && !isChar(p, '\n')) p = stepOver(p);
  return p;
}

// The entries of one file's text, in order (the format is described in the header comment).
static void readMessageEntries(const char* text, EntryVisitor visit, void* context) {
  const char* p = text;
  for (;;) {
    p = skipBlanks(p);
    if (*p == '\0') return;
    if (isChar(p, '#')) {
      p = skipToEndOfLine(p);
      continue;
    }
    const char* key = p;
    while (*p != '\0' && !isChar(p, '(') && !isChar(p, '=') && !isBlank(p)) p = stepOver(p);
    int32_t keyLength = static_cast<int32_t>(p - key);
    p = skipBlanks(p);
    int32_t argumentCount = 0;
    if (isChar(p, '(')) {
      p = skipBlanks(p + 1);
      argumentCount = std::atoi(p);
      while (std::isdigit(static_cast<unsigned char>(*p))) p++;
      p = skipBlanks(p);
      p = skipBlanks(stepOver(p));  // the ")"
    }
    p = skipBlanks(stepOver(p));  // the "="
    const char* message = p;
    p = skipToEndOfLine(p);
    visit(key, keyLength, argumentCount, message, static_cast<int32_t>(p - message), context);
  }
}

void parseMessageFile(char* text, bool addAll) {
  readMessageEntries(
      text,
      [](const char* key, int32_t keyLength, int32_t argumentCount, const char* message, int32_t messageLength,
         void* context) {
        bool all = *static_cast<bool*>(context);
        if (all || findMessage(key, keyLength) == nullptr) {
          if (!all && (global.traceLevel & TRACE_NOT_LOCALIZED))
            std::printf("MESSAGE ERROR, message \"%.*s\" has NOT been localized\n", keyLength, key);
          addMessage(key, keyLength, argumentCount, message, messageLength);
        }
      },
      &addAll);
}

void useDefaultMessages() {
  if (defaultCount < 0) {
    defaultCount = 0;
    auto keep = [](const char* key, int32_t keyLength, int32_t argumentCount, const char* text, int32_t textLength,
                   void*) {
      if (defaultCount == MAX_DEFAULT_MESSAGES) return;
      defaultTextLengths[defaultCount] = textLength;
      defaultEntries[defaultCount++] = MessageEntry{keyLength, const_cast<char*>(key), argumentCount, const_cast<char*>(text)};
    };
    readMessageEntries(defaultMessageText, keep, nullptr);
    // Cut only now, so that the reading above saw whole lines.
    for (int32_t i = 0; i < defaultCount; i++) {
      MessageEntry& entry = defaultEntries[i];
      entry.key[entry.keyLength] = '\0';
      entry.text[defaultTextLengths[i]] = '\0';
    }
    if (defaultCount < MAX_DEFAULT_MESSAGES)
      defaultEntries[defaultCount++] =
          MessageEntry{sizeof UNUSED_KEY - 1, const_cast<char*>(UNUSED_KEY), 0, const_cast<char*>(UNUSED_TEXT)};
    std::qsort(defaultEntries, defaultCount, sizeof(MessageEntry), compareEntries);
  }
  if (table.entries != nullptr && !table.inArena && !table.builtIn) std::free(table.entries);
  table.entries = defaultEntries;
  table.capacity = defaultCount;
  table.count = defaultCount;
  table.sortedCount = defaultCount;
  table.inArena = false;
  table.builtIn = true;
}

// Steps: the localized file, else its language's; then the default file, which fills the gaps; the
// warning lines when neither gave a text. With no file read, or no memory to read one, the default
// entries compiled in stand for them, so that no diagnostic prints as its bare key.
void loadMessageFiles() {
  try {
    initMessageTable(400);
    addMessage(UNUSED_KEY, sizeof UNUSED_KEY - 1, 0, UNUSED_TEXT, sizeof UNUSED_TEXT - 1);

    const size_t nameRoom = std::strlen(MESSAGE_FILE_NAME) + 6;
    const char* localeDirectory = table.localeDirectory;
    const char* messageDirectory = table.messageDirectory;
    size_t localeRoom = (localeDirectory != nullptr ? std::strlen(localeDirectory) : 0) + nameRoom;
    size_t messageRoom = (messageDirectory != nullptr ? std::strlen(messageDirectory) : 0) + nameRoom;
    char* localePath = arenaNewArray<char>(&global.mainArena, localeRoom);
    char* messagePath = arenaNewArray<char>(&global.mainArena, messageRoom);

    bool loaded = false;
    if (localeDirectory != nullptr) {
      FileHandle* file = openMessageFile(localePath, localeDirectory);
      if (file == nullptr) file = openLocaleFallback(localePath, localeDirectory);
      if (file != nullptr) {
        struct Closer {
          FileHandle* file;
          ~Closer() { closeFile(file); }
        } closer{file};
        loaded = loadOneFile(file, true);
      }
    }
    if (messageDirectory != nullptr) {
      FileHandle* file = openMessageFile(messagePath, messageDirectory);
      if (file != nullptr) {
        struct Closer {
          FileHandle* file;
          ~Closer() { closeFile(file); }
        } closer{file};
        // The localized file wins for every key it has; the default file fills the gaps.
        if (loadOneFile(file, !loaded)) loaded = true;
      }
    }
    if (!loaded) {
      // On the stack: no memory may be left to ask for.
      char line[2 * FULL_PATH_SIZE + 200];
      std::snprintf(line, sizeof line, "warning: Cannot access the error messages file at: %s OR %s", localePath,
                    messagePath);
      printLine(line);
      printLine("Note: This could be an installation failure, or perhaps a file was deleted from "
                "your installation area.");
      useDefaultMessages();
      return;
    }
    compactMessageTable();
  } catch (const CompileStop&) {
    // Out of memory: whatever was read is dropped.
    useDefaultMessages();
  }
}

void setMessageLocation(const char* messageDirectory, const char* localeDirectory) {
  // Named again with the same directories (start-up reported before the compile began), the
  // loaded table stands: reading the files anew would only repeat their warnings.
  if (table.entries != nullptr && (table.inArena || table.builtIn) && messageDirectory == table.messageDirectory &&
      localeDirectory == table.localeDirectory)
    return;
  if (table.entries != nullptr && !table.inArena && !table.builtIn) std::free(table.entries);
  table = MessageTable{};
  table.messageDirectory = messageDirectory;
  table.localeDirectory = localeDirectory;
}

void forgetMessageTable() {
  if (table.entries != nullptr && !table.inArena && !table.builtIn) std::free(table.entries);
  table = MessageTable{};
}

const char* messageTextEncoding() {
  return table.ownEncoding[0] != '\0' ? table.ownEncoding : nullptr;
}

const MessageEntry* messageTable(int32_t* count) {
  if (table.entries == nullptr) loadMessageFiles();
  *count = table.count;
  return table.entries;
}
