// Output buffers: chunks of the generation arena filled front to back.
#include "codegen/output_buffers.h"

#include <cstring>

#include "support/arena.h"
#include "support/global.h"

static_assert(sizeof(OutputChunk) <= OUTPUT_CHUNK_SIZE + 8, "a chunk is its link and its payload");

// Its payload is written before it is read, so only the link is cleared.
static OutputChunk* newChunk() {
  auto* chunk = static_cast<OutputChunk*>(arenaAllocUncleared(&global.genArena, sizeof(OutputChunk)));
  chunk->next = nullptr;
  return chunk;
}

void newOutputBuffer(OutputBuffer* buffer) {
  OutputChunk* chunk = newChunk();
  buffer->chunkCount = 1;
  buffer->first = chunk;
  buffer->current = chunk;
  buffer->free = OUTPUT_CHUNK_PAYLOAD;
}

void addOutputChunk(OutputBuffer* buffer) {
  OutputChunk* chunk = newChunk();
  buffer->current->next = chunk;
  buffer->current = chunk;
  buffer->free = OUTPUT_CHUNK_PAYLOAD;
  buffer->chunkCount++;
}

void putBytes(const uint8_t* bytes, int32_t count, OutputBuffer* buffer) {
  while (count > 0) {
    if (buffer->free == 0) addOutputChunk(buffer);
    int32_t piece = count < buffer->free ? count : buffer->free;
    std::memcpy(buffer->current->bytes + (OUTPUT_CHUNK_PAYLOAD - buffer->free), bytes, piece);
    buffer->free -= piece;
    bytes += piece;
    count -= piece;
  }
}

int32_t bufferLength(const OutputBuffer* buffer) {
  return (buffer->chunkCount - 1) * OUTPUT_CHUNK_PAYLOAD + (OUTPUT_CHUNK_PAYLOAD - buffer->free);
}

BufferPosition bufferWritePosition(const OutputBuffer* buffer) {
  return BufferPosition{buffer->current, OUTPUT_CHUNK_PAYLOAD - buffer->free};
}

static void patchBytes(const uint8_t* bytes, int32_t count, BufferPosition place) {
  for (int32_t i = 0; i < count; i++) {
    if (place.offset == OUTPUT_CHUNK_PAYLOAD) {
      place.chunk = place.chunk->next;
      place.offset = 0;
    }
    place.chunk->bytes[place.offset++] = bytes[i];
  }
}

void patchShort(uint32_t value, BufferPosition place) {
  uint8_t bytes[2];
  storeU2(value, bytes);
  patchBytes(bytes, 2, place);
}

void patchInt(uint32_t value, BufferPosition place) {
  uint8_t bytes[4];
  storeU4(value, bytes);
  patchBytes(bytes, 4, place);
}

void storeU4(uint32_t value, uint8_t* address) {
  address[0] = static_cast<uint8_t>(value >> 24);
  address[1] = static_cast<uint8_t>(value >> 16);
  address[2] = static_cast<uint8_t>(value >> 8);
  address[3] = static_cast<uint8_t>(value);
}

void storeU2(uint32_t value, uint8_t* address) {
  address[0] = static_cast<uint8_t>(value >> 8);
  address[1] = static_cast<uint8_t>(value);
}

void copyBuffer(const OutputBuffer* buffer, uint8_t* destination, int32_t* offset) {
  for (const OutputChunk* chunk = buffer->first; chunk != nullptr; chunk = chunk->next) {
    int32_t used = chunk == buffer->current ? OUTPUT_CHUNK_PAYLOAD - buffer->free : OUTPUT_CHUNK_PAYLOAD;
    std::memcpy(destination + *offset, chunk->bytes, used);
    *offset += used;
    if (chunk == buffer->current) break;
  }
}
