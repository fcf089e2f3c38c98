// Growing big-endian byte buffers made of fixed chunks of the generation arena: the pool buffer
// and the body buffer of the class being generated, assembled into the class file by one copy per
// chunk. Chunks never move, so a position taken in a buffer stays valid until the generation
// arena is reset.
#pragma once

#include <cstdint>

constexpr int32_t OUTPUT_CHUNK_SIZE = 1024;
constexpr int32_t OUTPUT_CHUNK_PAYLOAD = 1020;

struct OutputChunk {
  OutputChunk* next;  // null for the last chunk
  uint8_t bytes[OUTPUT_CHUNK_PAYLOAD];
};

struct OutputBuffer {
  int32_t chunkCount;
  OutputChunk* first;
  OutputChunk* current;
  int32_t free;  // bytes still free in the current chunk
};

// The place of the next byte of a buffer. An offset of OUTPUT_CHUNK_PAYLOAD stands for the start
// of the chunk after `chunk`, which need not exist yet when the position is taken.
struct BufferPosition {
  OutputChunk* chunk;
  int32_t offset;
};

void newOutputBuffer(OutputBuffer* buffer);
// Links a fresh chunk behind the current one; putByte calls it when the current chunk is full.
void addOutputChunk(OutputBuffer* buffer);

inline void putByte(uint32_t byte, OutputBuffer* buffer) {
  if (buffer->free == 0) addOutputChunk(buffer);
  buffer->current->bytes[OUTPUT_CHUNK_PAYLOAD - buffer->free] = static_cast<uint8_t>(byte);
  buffer->free--;
}

// The low 16 or 32 bits, most significant byte first: in place while the current chunk has room,
// else byte by byte across its end.
inline void putShort(uint32_t value, OutputBuffer* buffer) {
  if (buffer->free >= 2) {
    uint8_t* at = buffer->current->bytes + (OUTPUT_CHUNK_PAYLOAD - buffer->free);
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
    buffer->free -= 2;
    return;
  }
  putByte(value >> 8, buffer);
  putByte(value, buffer);
}

inline void putInt(uint32_t value, OutputBuffer* buffer) {
  putShort(value >> 16, buffer);
  putShort(value, buffer);
}
void putBytes(const uint8_t* bytes, int32_t count, OutputBuffer* buffer);

// Bytes written so far.
int32_t bufferLength(const OutputBuffer* buffer);
BufferPosition bufferWritePosition(const OutputBuffer* buffer);
// Overwrite a u2 or u4 written at `place`, wherever its bytes came to lie.
void patchShort(uint32_t value, BufferPosition place);
void patchInt(uint32_t value, BufferPosition place);

// Big-endian stores into a flat byte array (the class-file header).
void storeU4(uint32_t value, uint8_t* address);
void storeU2(uint32_t value, uint8_t* address);

// Appends the buffer's bytes to `destination` at *offset and advances *offset past them.
void copyBuffer(const OutputBuffer* buffer, uint8_t* destination, int32_t* offset);
