/*
 * A conference bridge's loop with the batch codec: every 20 ms it decodes one frame from each
 * caller, mixes for each caller what the others said, and encodes the mixes, all callers in one
 * call each way. Halfway through, caller 3 hangs up and a new caller takes the slot.
 *
 * The callers' phones are simulated with single-stream encoders; a real bridge would read the
 * frames from the network and send the mixes back. Build it against the installed library:
 *   cc -std=c11 batch_bridge.c $(pkg-config --cflags --libs g722kit) -o batch_bridge
 */
#include <stdint.h>
#include <stdio.h>

#include "g722kit/g722.h"

#define CALLERS 8
#define FRAME_SAMPLES 320 /* 20 ms at 16000 samples per second (G.722 as telephony uses it) */
#define FRAME_BYTES 160   /* 20 ms of 64000 bit/s codes, one code per byte */
#define FRAMES 50         /* one second */

static G722State phones[CALLERS];
static int16_t voices[CALLERS][FRAME_SAMPLES];
static uint8_t received[CALLERS][FRAME_BYTES];
static int16_t heard[CALLERS][FRAME_SAMPLES];
static int16_t mixes[CALLERS][FRAME_SAMPLES];
static uint8_t sent[CALLERS][FRAME_BYTES];

/* What caller c's phone sends for frame f: a tone of its own pitch, coded by the phone. */
static void receive_frame(int c, int f) {
  int i;
  for (i = 0; i < FRAME_SAMPLES; i++) {
    int32_t period = 40 + 7 * c;
    int32_t phase = (f * FRAME_SAMPLES + i) % period;
    voices[c][i] = (int16_t)((phase < period / 2 ? phase : period - phase) * 400 - 4000);
  }
  G722EncodeSamples(&phones[c], received[c], voices[c], FRAME_SAMPLES);
}

/* Everyone but caller c, summed and kept within the 16-bit range. */
static void mix_for(int c) {
  int i, other;
  for (i = 0; i < FRAME_SAMPLES; i++) {
    int32_t sum = 0;
    for (other = 0; other < CALLERS; other++) {
      if (other != c) sum += heard[other][i];
    }
    mixes[c][i] = (int16_t)(sum > 32767 ? 32767 : sum < -32768 ? -32768 : sum);
  }
}

int main(void) {
  const uint8_t* codes_in[CALLERS];
  int16_t* pcm_out[CALLERS];
  const int16_t* pcm_in[CALLERS];
  uint8_t* codes_out[CALLERS];
  G722Batch* decoders = G722BatchDecoderCreate(CALLERS, 64000, 0);
  G722Batch* encoders = G722BatchEncoderCreate(CALLERS, 64000, 0);
  int c, f;
  if (decoders == NULL || encoders == NULL) {
    fprintf(stderr, "out of memory\n");
    return 1;
  }
  for (c = 0; c < CALLERS; c++) {
    G722EncoderInit(&phones[c], 64000, 0);
    codes_in[c] = received[c];
    pcm_out[c] = heard[c];
    pcm_in[c] = mixes[c];
    codes_out[c] = sent[c];
  }

  for (f = 0; f < FRAMES; f++) {
    if (f == FRAMES / 2) {
      /* Caller 3 hangs up: end its outgoing stream (at 64000 bit/s with 20 ms frames nothing
       * is held, so the flush writes nothing), then start a new call in the slot. */
      uint8_t last[2];
      int32_t flushed = G722BatchEncoderFlush(encoders, 3, last);
      G722BatchResetStream(decoders, 3);
      G722BatchResetStream(encoders, 3);
      G722EncoderInit(&phones[3], 64000, 0);
      printf("frame %d: caller 3 left (%d bytes flushed), a new caller joined in slot 3\n", f,
             (int)flushed);
    }
    for (c = 0; c < CALLERS; c++)
      receive_frame(c, f);
    if (G722BatchDecode(decoders, pcm_out, codes_in, FRAME_BYTES) != FRAME_SAMPLES) {
      fprintf(stderr, "decoding frame %d failed\n", f);
      return 1;
    }
    for (c = 0; c < CALLERS; c++)
      mix_for(c);
    if (G722BatchEncode(encoders, codes_out, pcm_in, FRAME_SAMPLES) != FRAME_BYTES) {
      fprintf(stderr, "encoding frame %d failed\n", f);
      return 1;
    }
    /* Here each sent[c] would go out to caller c. */
  }
  printf("%d frames of %d callers: %d samples decoded and %d bytes encoded per caller\n", FRAMES,
         CALLERS, FRAMES * FRAME_SAMPLES, FRAMES * FRAME_BYTES);

  G722BatchRelease(decoders);
  G722BatchRelease(encoders);
  return 0;
}
