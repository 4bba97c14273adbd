/* The public headers compiled as C and called through the library as a C host links it. */
#include <stdio.h>
#include <string.h>

#include "g722kit/g722.h"
#include "g722kit/g722kit.h"

static int failures = 0;

static void check(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    failures++;
  }
}

int main(void) {
  G722State encoder;
  G722State decoder;
  int16_t pcm[160];
  uint8_t codes[160];
  int16_t decoded[160];
  int i;
  for (i = 0; i < 160; i++)
    pcm[i] = (int16_t)((i % 20) * 500 - 5000);

  check(G722EncoderInit(&encoder, 64000, G722Option8k) == &encoder, "encoder init");
  check(G722DecoderInit(&decoder, 64000, G722Option8k) == &decoder, "decoder init");
  check(G722EncodeSamples(&encoder, codes, pcm, 160) == 160, "encode 160 samples");
  check(G722DecodeCodes(&decoder, decoded, codes, 160) == 160, "decode 160 codes");
  check(G722EncoderFlush(&encoder, codes) == 0, "nothing to flush");
  check(G722DecoderFlush(&decoder, decoded) == 0, "nothing held");
  check(G722EncoderRelease(&encoder) == 0 && G722DecoderRelease(&decoder) == 0, "release");

  check(G722Encode(NULL, u"out.g722") == G722KIT_ERR_NULL_PATH, "null path");
  check(G722Decode(u"/nonexistent/in.g722", u"/nonexistent/out.wav") == G722KIT_ERR_OPEN_INPUT,
        "missing input");
  check(G711ADPCMSoundRecorderStop() == 0, "stop with no recording");
  check(G711ADPCMSoundRecorderStart(NULL) == G722KIT_ERR_NULL_PATH, "recorder null path");
  check(G711ADPCMSoundRecorderStatus() == G722KIT_OK, "recorder status");
  check(strcmp(G722KitResultText(G722KIT_ERR_INTERNAL), "internal failure") == 0,
        "internal failure text");
  check(strcmp(G722KitResultText(G722KIT_ERR_BUSY), "a recording is already running") == 0,
        "busy result text");
  check(strcmp(G722KitVersion(), G722KIT_VERSION_STRING) == 0, "version");
  check(strcmp(G722KitResultText(G722KIT_OK), "success") == 0, "result text");
  check(strcmp(G722KitResultText(-1), "unknown result code") == 0, "unknown result text");

  printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
