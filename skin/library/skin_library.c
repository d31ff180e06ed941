/* The skin library: a freestanding 32-bit DLL without a C runtime. It reads
 * a skin data block (format in varskin/skin_format.h), refuses it whole when
 * any part is malformed, and hands every setting to the program's host
 * library, which restyles the window. */
#include "varskin/skin_format.h"

#define HOST_IMPORT __declspec(dllimport) int __cdecl
HOST_IMPORT HostSetColor(int role, unsigned int rgb);
HOST_IMPORT HostSetFont(int role, const char* family, int pointSize, int weight);
HOST_IMPORT HostSetMetric(int id, int value);
HOST_IMPORT HostSetGradientStop(int gradient, int index, int position, unsigned int rgb);
HOST_IMPORT HostApplySkin(void);
HOST_IMPORT HostRemoveSkin(void);

/* Results of SkinH_AttachRes. */
#define SKIN_ATTACHED 1
#define SKIN_REFUSED 0

typedef struct {
  const unsigned char* bytes;
  unsigned int length;
} Block;

/* One record as found in the block; the payload lies inside the block. */
typedef struct {
  unsigned int kind;
  unsigned int id;
  const unsigned char* payload;
  unsigned int payloadLength;
} Record;

static unsigned int ReadU16(const unsigned char* p) { return (unsigned int)p[0] | ((unsigned int)p[1] << 8); }

static unsigned int ReadU32(const unsigned char* p) {
  return (unsigned int)p[0] | ((unsigned int)p[1] << 8) | ((unsigned int)p[2] << 16) | ((unsigned int)p[3] << 24);
}

static int HeaderIsValid(const Block* block) {
  if (block->bytes == 0 || block->length < VSKN_HEADER_SIZE) return 0;
  const unsigned char* b = block->bytes;
  return b[0] == VSKN_MAGIC0 && b[1] == VSKN_MAGIC1 && b[2] == VSKN_MAGIC2 && b[3] == VSKN_MAGIC3 &&
         ReadU16(b + 4) == VSKN_VERSION;
}

/* Reads the record at *offset and advances it; 0 when the record header or
 * payload would run past the end of the block (a truncated block). */
static int NextRecord(const Block* block, unsigned int* offset, Record* record) {
  unsigned int left = block->length - *offset;
  if (left < VSKN_RECORD_HEADER_SIZE) return 0;
  const unsigned char* p = block->bytes + *offset;
  unsigned int payloadLength = ReadU16(p + 2);
  if (payloadLength > left - VSKN_RECORD_HEADER_SIZE) return 0;
  record->kind = p[0];
  record->id = p[1];
  record->payload = p + VSKN_RECORD_HEADER_SIZE;
  record->payloadLength = payloadLength;
  *offset += VSKN_RECORD_HEADER_SIZE + payloadLength;
  return 1;
}

static int FontIsValid(const Record* r) {
  if (r->id >= VSKN_FONT_COUNT || r->payloadLength < 5) return 0;
  unsigned int nameLength = r->payload[4];
  if (nameLength == 0 || nameLength > VSKN_MAX_FONT_NAME || r->payloadLength != 5 + nameLength) return 0;
  for (unsigned int i = 0; i < nameLength; ++i)
    if (r->payload[5 + i] == 0) return 0; /* an embedded NUL would cut the family name */
  unsigned int points = ReadU16(r->payload), weight = ReadU16(r->payload + 2);
  return points >= 4 && points <= 72 && weight >= 100 && weight <= 900;
}

static int GradientIsValid(const Record* r) {
  if (r->id >= VSKN_GRADIENT_COUNT || r->payloadLength < 1) return 0;
  unsigned int stops = r->payload[0];
  return stops >= 1 && stops <= VSKN_MAX_GRADIENT_STOPS && r->payloadLength == 1 + stops * VSKN_GRADIENT_STOP_SIZE;
}

static int RecordIsValid(const Record* r) {
  switch (r->kind) {
    case VSKN_KIND_COLOR: return r->id < VSKN_COLOR_COUNT && r->payloadLength == 4 && (ReadU32(r->payload) >> 24) == 0;
    case VSKN_KIND_FONT: return FontIsValid(r);
    case VSKN_KIND_METRIC: return r->id < VSKN_METRIC_COUNT && r->payloadLength == 4 && ReadU32(r->payload) <= 64;
    case VSKN_KIND_GRADIENT: return GradientIsValid(r);
    default: return 0;
  }
}

/* The whole block must be well formed before anything reaches the host:
 * exactly the announced number of valid records, ending at the block's end. */
static int BlockIsValid(const Block* block) {
  if (!HeaderIsValid(block)) return 0;
  unsigned int count = ReadU16(block->bytes + 6);
  unsigned int offset = VSKN_HEADER_SIZE;
  Record record;
  for (unsigned int i = 0; i < count; ++i) {
    if (!NextRecord(block, &offset, &record) || !RecordIsValid(&record)) return 0;
  }
  return offset == block->length;
}

static void SendFont(const Record* r) {
  char family[VSKN_MAX_FONT_NAME + 1];
  unsigned int nameLength = r->payload[4];
  for (unsigned int i = 0; i < nameLength; ++i) family[i] = (char)r->payload[5 + i];
  family[nameLength] = 0;
  HostSetFont((int)r->id, family, (int)ReadU16(r->payload), (int)ReadU16(r->payload + 2));
}

static void SendGradient(const Record* r) {
  unsigned int stops = r->payload[0];
  for (unsigned int i = 0; i < stops; ++i) {
    const unsigned char* stop = r->payload + 1 + i * VSKN_GRADIENT_STOP_SIZE;
    HostSetGradientStop((int)r->id, (int)i, stop[0], ReadU32(stop + 1));
  }
}

static void SendRecord(const Record* r) {
  switch (r->kind) {
    case VSKN_KIND_COLOR: HostSetColor((int)r->id, ReadU32(r->payload)); break;
    case VSKN_KIND_FONT: SendFont(r); break;
    case VSKN_KIND_METRIC: HostSetMetric((int)r->id, (int)ReadU32(r->payload)); break;
    case VSKN_KIND_GRADIENT: SendGradient(r); break;
    default: break;
  }
}

static void SendBlock(const Block* block) {
  unsigned int count = ReadU16(block->bytes + 6);
  unsigned int offset = VSKN_HEADER_SIZE;
  Record record;
  for (unsigned int i = 0; i < count && NextRecord(block, &offset, &record); ++i) SendRecord(&record);
}

/* Skins the program's window with `data`. The password and the three
 * values are accepted for compatibility and not used. Returns SKIN_ATTACHED,
 * or SKIN_REFUSED (nothing sent to the host) for a missing or malformed block. */
__declspec(dllexport) int __cdecl SkinH_AttachRes(const void* data, int length, const char* password, int value1,
                                                  int value2, int value3) {
  (void)password;
  (void)value1;
  (void)value2;
  (void)value3;
  if (length <= 0) return SKIN_REFUSED;
  Block block;
  block.bytes = (const unsigned char*)data;
  block.length = (unsigned int)length;
  if (!BlockIsValid(&block)) return SKIN_REFUSED;
  SendBlock(&block);
  HostApplySkin();
  return SKIN_ATTACHED;
}

/* Takes the skin off: the window returns to its own look. */
__declspec(dllexport) int __cdecl SkinH_Detach(void) {
  HostRemoveSkin();
  return SKIN_ATTACHED;
}

/* The entry point: nothing to set up or tear down. */
int __stdcall SkinDllMain(void* instance, unsigned int reason, void* reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return 1;
}
