/* A program that uses the installed g722kit as any C project would: the public headers compiled
 * as C, the library found by the package description, the codec and a file operation called. */
#include <g722kit/g722.h>
#include <g722kit/g722kit.h>
#include <stdio.h>
#include <string.h>

int main(void) {
  int16_t pcm[160];
  uint8_t codes[160];
  int16_t decoded[160];
  G722State encoder, decoder;
  int32_t i, coded, samples, missing;

  for (i = 0; i < 160; i++)
    pcm[i] = (int16_t)((i % 40 - 20) * 500); /* a 200 Hz sawtooth */
  G722EncoderInit(&encoder, 64000, G722Option8k);
  coded = G722EncodeSamples(&encoder, codes, pcm, 160);
  G722DecoderInit(&decoder, 64000, G722Option8k);
  samples = G722DecodeCodes(&decoder, decoded, codes, coded);
  missing = G722Encode(u"/nonexistent/g722kit/in.raw", u"/nonexistent/g722kit/out.g722");

  printf("g722kit %s: %d samples -> %d codes -> %d samples; missing input: %s\n", G722KitVersion(),
         160, coded, samples, G722KitResultText(missing));
  return strcmp(G722KitVersion(), G722KIT_VERSION_STRING) == 0 && coded == 160 && samples == 160 &&
                 missing == G722KIT_ERR_OPEN_INPUT
             ? 0
             : 1;
}
