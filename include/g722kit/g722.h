/*
 * g722kit codec API: an ITU-T G.722 sub-band ADPCM encoder and decoder in integer arithmetic.
 *
 * One G722State holds everything one coded stream needs in one direction. Initialise it once,
 * feed it samples (encoder) or code bytes (decoder) in pieces of any size, and release it if
 * the initialiser allocated it. Records share no data: different records may be used on
 * different threads at once; one record must not be used by two threads at once.
 *
 * Code stream: 8000 codes per second. A code is (upper-band code * 64 + lower-band code)
 * shifted right by 8 - bits_per_code (8, 7 or 6 bits at 64000, 56000 or 48000 bit/s); in
 * 8 kHz mode the upper-band code is always 3. Codes are stored one per byte, or, packed at
 * 7 or 6 bits, as a bit stream that fills each byte from its least significant bit upward.
 */
#ifndef G722KIT_G722_H
#define G722KIT_G722_H

#include <stdint.h>

#include "g722kit/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Option bits of G722EncoderInit and G722DecoderInit. */
enum G722Options {
  /* The PCM side runs at 8000 samples per second and only the lower sub-band is coded. */
  G722Option8k = 1,
  /* Codes of 7 or 6 bits are packed into a continuous bit stream (no effect at 64000 bit/s). */
  G722OptionPacked = 2
};

/* Adaptive predictor and quantizer scale factor of one sub-band. */
typedef struct G722Band {
  int32_t s;     /* predicted signal for the next code */
  int32_t sp;    /* prediction of the two-pole section */
  int32_t sz;    /* prediction of the six-zero section */
  int32_t r[3];  /* reconstructed signal: current code, then the two before */
  int32_t a[3];  /* pole predictor coefficients in [1] and [2] */
  int32_t ap[3]; /* pole coefficients being computed, in [1] and [2] */
  int32_t p[3];  /* partially reconstructed signal: current code, then the two before */
  int32_t d[7];  /* quantized difference signal: current code, then the six before */
  int32_t b[7];  /* zero predictor coefficients in [1] to [6] */
  int32_t bp[7]; /* zero coefficients being computed, in [1] to [6] */
  int32_t sg[7]; /* sign scratch of one adaptation */
  int32_t nb;    /* logarithmic quantizer scale factor */
  int32_t det;   /* linear quantizer scale factor */
} G722Band;

/*
 * The whole memory of one coded stream in one direction. Its fields are public so that a record
 * may be placed, copied and inspected; they are the codec's to change. Every coding call and
 * flush first checks, in constant time, the fields that size, shift or index memory and the
 * scale factors, and returns 0 with the record unchanged when one lies outside what an
 * initialiser and the codec leave there: bits_per_code 6 to 8; band[0].nb 0 to 18432 and
 * band[1].nb 0 to 22528; band[0].det 32 to 16384 and band[1].det 8 to 16384; for the encoder
 * has_pending 0 or 1 and pack_bits 0 to 7; for the decoder unpack_bits 0 to 7.
 */
typedef struct G722State {
  int32_t packed;          /* 1: codes form a bit stream, least significant bit first */
  int32_t pcm_8k;          /* 1: 8000 samples/s, lower sub-band only; 0: 16000 samples/s */
  int32_t bits_per_code;   /* 8, 7 or 6 */
  int32_t qmf_history[24]; /* band-split filter delay line */
  G722Band band[2];        /* [0] lower sub-band, [1] upper sub-band */
  uint32_t unpack_buffer;  /* decoder: bit reservoir of packed input */
  int32_t unpack_bits;     /* decoder: valid bits in unpack_buffer */
  uint32_t pack_buffer;    /* encoder: bit reservoir of packed output */
  int32_t pack_bits;       /* encoder: valid bits in pack_buffer */
  int32_t pending_sample;  /* encoder, two-band: a sample waiting for its pair */
  int32_t has_pending;     /* encoder, two-band: 1 while pending_sample is held */
  int32_t allocated;       /* 1: an initialiser allocated this record; a copy carries it
                              along, yet stays the caller's (see G722EncoderRelease) */
} G722State;

/* The largest byte_count G722DecodeCodes accepts, 512 MiB: the samples of that many bytes fit
 * in int32_t in every configuration (at most 8/6 codes of two samples per byte). */
enum G722Limits { G722MaxDecodeBytes = 536870912 };

/*
 * Initialises an encoder record for a new stream and returns it.
 * state:   a record to reset completely, or NULL to have one allocated on the heap.
 * rate:    48000 gives 6 bits per code, 56000 gives 7; any other value gives 8 (64000 bit/s).
 * options: G722Option8k and/or G722OptionPacked; other bits are ignored.
 * Returns NULL only when an allocation was needed and failed.
 */
G722KIT_API G722State* G722EncoderInit(G722State* state, int32_t rate, int32_t options);

/*
 * Encodes sample_count signed 16-bit samples and returns the number of bytes written to
 * codes_out (0 when state, codes_out or pcm_in is NULL, sample_count <= 0 or a field of the
 * record is out of range, see G722State; nothing changes then). Every positive sample_count is
 * accepted: a call writes at most one byte per sample.
 *
 * In 8 kHz mode each sample gives one code. In two-band mode each pair of samples gives one
 * code; an odd sample at the end of a call is kept in the record and paired with the first
 * sample of the next call, so any split of a stream into calls gives the bytes of one call.
 *
 * codes_out needs one byte per code unpacked; packed, (pack_bits + codes * bits_per_code) / 8
 * bytes, rounded down, with pack_bits as it stands before the call. Packed bits that do not
 * fill a byte stay in the record until later codes complete it, or G722EncoderFlush.
 */
G722KIT_API int32_t G722EncodeSamples(G722State* state, uint8_t* codes_out, const int16_t* pcm_in,
                                      int32_t sample_count);

/*
 * Ends a stream: writes what the record still holds and returns the number of bytes written
 * to codes_out, at most 2 (0 when nothing is held, or when state or codes_out is NULL or a field
 * of the record is out of range, which changes nothing). codes_out needs room for 2 bytes.
 *
 * In two-band mode a sample held for its pair is coded first, paired with a zero sample (one
 * more code). Then, packed, the bits that do not fill a byte are written as one byte, its
 * unused high bits zero. The record is then at a byte boundary and may go on coding a stream
 * that the decoder reads from a byte boundary too (after its own G722DecoderFlush).
 */
G722KIT_API int32_t G722EncoderFlush(G722State* state, uint8_t* codes_out);

/*
 * Frees a record that an initialiser allocated with G722EncoderInit(NULL, ...) or
 * G722DecoderInit(NULL, ...), and returns 0. The library keeps the addresses it allocated and
 * frees only those: a caller's own record, NULL, a copy of an allocated record (the copy is
 * the caller's record, whatever its allocated field says) or a record already released is
 * left alone. An allocated record stays the library's to free when it is initialised again.
 */
G722KIT_API int32_t G722EncoderRelease(G722State* state);

/* Initialises a decoder record; the same as G722EncoderInit in every respect. */
G722KIT_API G722State* G722DecoderInit(G722State* state, int32_t rate, int32_t options);

/*
 * Decodes byte_count code bytes and returns the number of samples written to pcm_out
 * (0 when state, pcm_out or codes_in is NULL, byte_count <= 0, byte_count >
 * G722MaxDecodeBytes or a field of the record is out of range, see G722State; nothing changes
 * then: feed a longer stream in several calls).
 *
 * Each code gives one sample in 8 kHz mode and two in two-band mode. Unpacked, each byte is
 * one code. Packed, at most (8 * byte_count + unpack_bits) / bits_per_code codes are decoded,
 * with unpack_bits as it stands before the call; a whole code still held when the last byte
 * has been taken stays in the record and is decoded first by the next call that brings at
 * least one byte. pcm_out must have room for the samples of that many codes.
 *
 * Every byte value is accepted. Two-band output is saturated to the 16-bit range.
 */
G722KIT_API int32_t G722DecodeCodes(G722State* state, int16_t* pcm_out, const uint8_t* codes_in,
                                    int32_t byte_count);

/*
 * Ends a packed stream: decodes the whole code the record still holds, if any, and drops the
 * bits left over, which are shorter than a code (the zero padding of the last byte). Returns
 * the number of samples written to pcm_out: 0, 1 (8 kHz mode) or 2 (two-band); 0, changing
 * nothing, when state or pcm_out is NULL, the record is not packed or a field of it is out of
 * range. pcm_out needs room for 2
 * samples. The record may then go on decoding from the next byte.
 *
 * A padding of 6 or 7 zero bits is as long as a code and cannot be told from one, so it is
 * decoded as one more code: a stream of 6-bit codes whose last byte held 2 bits of a code, or
 * of 7-bit codes whose last byte held 1, decodes to one code more than was encoded.
 */
G722KIT_API int32_t G722DecoderFlush(G722State* state, int16_t* pcm_out);

/* Frees a record that an initialiser allocated; the same as G722EncoderRelease. */
G722KIT_API int32_t G722DecoderRelease(G722State* state);

/*
 * A packet decoder decodes a code stream that arrives in packets, as over RTP, and fills the
 * packets that never arrive with concealment: something that sounds like the talker going on,
 * fading out when the loss lasts, and rejoining the real stream without a click. While nothing
 * is lost its output is bit for bit what G722DecodeCodes gives.
 *
 * How it conceals, in integer arithmetic only, so that every build and instruction set gives
 * the same samples:
 * - It keeps the last 512 samples of its output (32 ms two-band, 64 ms at 8 kHz). When codes
 *   are lost it finds the pitch period at the end of that output (the best normalised match
 *   of the last 10 ms against the stretch 2.5 to 16 ms earlier) and repeats the last whole
 *   periods, at least 5 ms of them, blending the end of the stretch into the samples before
 *   its start so that repeats join smoothly.
 *   Output without a clear period repeats its last 10 ms in the same way. The stretch is never
 *   louder than the newest output.
 * - The first concealed samples carry an offset, fading over 4 ms, that joins the repeated
 *   stretch to the last real sample.
 * - The concealment fades from its first sample, in a straight line, to silence at 60 ms of
 *   loss. In two-band mode its upper band is softened within the first 8 ms.
 * - The ADPCM state of both bands follows the concealment: the concealed signal is coded by
 *   the codec's own encoder, started from the decoder's state, and the decoder takes those
 *   codes, so that the first real codes after the loss decode from a state close to the
 *   talker's encoder.
 * - The first 1 ms decoded after a loss is cross-faded from the concealment into the real
 *   signal.
 */
typedef struct G722PacketDecoder G722PacketDecoder;

/*
 * Creates a packet decoder for a stream of one code per byte: rate 64000, 56000 or 48000,
 * options 0 (two-band, 16000 samples per second) or G722Option8k (8000 samples per second);
 * other option bits but G722OptionPacked are ignored, as G722DecoderInit ignores them. All the
 * memory it uses is allocated here; decoding calls allocate nothing. Returns NULL for another
 * rate, for G722OptionPacked (packets carry whole codes, one per byte) or when the allocation
 * fails. Release it with G722PacketDecoderRelease.
 */
G722KIT_API G722PacketDecoder* G722PacketDecoderCreate(int32_t rate, int32_t options);

/*
 * Decodes one packet of byte_count code bytes and returns the number of samples written to
 * pcm_out: 2 per byte in two-band mode, 1 per byte in 8 kHz mode.
 *
 * codes_in != NULL: the bytes arrived; they decode exactly as G722DecodeCodes decodes them on
 * a record of the same configuration fed the same bytes, as long as nothing was lost. The first
 * 1 ms after a loss is cross-faded from the concealment into them.
 * codes_in == NULL: the packet's byte_count bytes were lost; pcm_out receives concealment in
 * their place, and the decoder is ready for the next real codes.
 *
 * Returns 0, changing nothing, when decoder or pcm_out is NULL, byte_count <= 0 or byte_count >
 * G722MaxDecodeBytes.
 */
G722KIT_API int32_t G722PacketDecode(G722PacketDecoder* decoder, int16_t* pcm_out,
                                     const uint8_t* codes_in, int32_t byte_count);

/* Starts a new stream, as a fresh decoder would. Returns 1, or 0 when decoder is NULL. */
G722KIT_API int32_t G722PacketDecoderReset(G722PacketDecoder* decoder);

/* Frees a packet decoder; NULL is ignored. */
G722KIT_API void G722PacketDecoderRelease(G722PacketDecoder* decoder);

/*
 * A batch codes many independent streams of one configuration side by side, in the vector
 * lanes of the processor: a conference bridge, a call recorder or a transcoding server coding
 * one frame of each call at a time. Every stream's output is bit for bit what a G722State of the
 * same configuration gives when fed the same calls; only the speed differs. The instruction set
 * is chosen once per process (AVX-512, AVX2 or plain code; the environment variable
 * G722KIT_SIMD=portable|avx2|avx512 may lower it).
 *
 * Each stream has an index from 0 to stream_count - 1. A coding call takes one buffer pointer
 * per stream (an array of stream_count pointers, each anywhere in memory) and advances every
 * stream by the same count. A batch is used by one thread at a time; different batches may be
 * used on different threads at once.
 */
typedef struct G722Batch G722Batch;

/*
 * Creates a batch of stream_count encoders, each as G722EncoderInit(NULL, rate, options) would
 * make it. All the memory the batch uses is allocated here; coding calls allocate nothing.
 * Returns NULL when stream_count <= 0 or the allocation fails. Release it with G722BatchRelease.
 */
G722KIT_API G722Batch* G722BatchEncoderCreate(int32_t stream_count, int32_t rate, int32_t options);

/* Creates a batch of stream_count decoders; the same as G722BatchEncoderCreate otherwise. */
G722KIT_API G722Batch* G722BatchDecoderCreate(int32_t stream_count, int32_t rate, int32_t options);

/*
 * Encodes sample_count samples of every stream of an encoder batch: stream i's samples from
 * pcm_in[i], its codes to codes_out[i], exactly as G722EncodeSamples does for one record (an odd
 * sample of a two-band stream waits for its pair, packed bits wait for later codes). Each
 * codes_out[i] needs the room G722EncodeSamples would need for stream i.
 *
 * Returns the number of bytes written to each codes_out[i]. Streams coded alike since their start
 * write the same count; a stream reset with G722BatchResetStream while the others held packed
 * bits or an odd sample may write a different count (G722BatchStreamCount gives each), and the
 * return is then the largest. Returns 0 and changes nothing when batch is NULL or a decoder,
 * when codes_out, pcm_in or any of their stream_count entries is NULL, or when sample_count <= 0.
 */
G722KIT_API int32_t G722BatchEncode(G722Batch* batch, uint8_t* const* codes_out,
                                    const int16_t* const* pcm_in, int32_t sample_count);

/*
 * Decodes byte_count code bytes of every stream of a decoder batch: stream i's bytes from
 * codes_in[i], its samples to pcm_out[i], exactly as G722DecodeCodes does for one record (a
 * whole packed code still held at the end of a call waits for the next). Each pcm_out[i] needs
 * the room G722DecodeCodes would need for stream i.
 *
 * Returns the number of samples written to each pcm_out[i]; as for G722BatchEncode, a stream
 * reset while the others held packed bits may write a different count, and the return is then
 * the largest. Returns 0 and changes nothing when batch is NULL or an encoder, when pcm_out,
 * codes_in or any of their stream_count entries is NULL, or when byte_count <= 0 or
 * byte_count > G722MaxDecodeBytes.
 */
G722KIT_API int32_t G722BatchDecode(G722Batch* batch, int16_t* const* pcm_out,
                                    const uint8_t* const* codes_in, int32_t byte_count);

/*
 * The count that the last G722BatchEncode or G722BatchDecode wrote for stream stream_index
 * (0 before the first call and after a reset of that stream), or -1 when batch is NULL or
 * stream_index is negative or not below its stream count.
 */
G722KIT_API int32_t G722BatchStreamCount(const G722Batch* batch, int32_t stream_index);

/*
 * Starts a new stream in slot stream_index, as a fresh G722EncoderInit or G722DecoderInit would,
 * leaving every other stream as it is: a new call joining a bridge. Whatever the slot held (an
 * odd sample, packed bits) is dropped; flush the slot first to keep it. Returns 1, or 0 when
 * batch is NULL or stream_index is negative or not below its stream count.
 */
G722KIT_API int32_t G722BatchResetStream(G722Batch* batch, int32_t stream_index);

/*
 * Ends stream stream_index of an encoder batch as G722EncoderFlush ends one record: a held odd
 * sample of a two-band stream is coded, paired with a zero sample, then packed bits still held
 * are written, padded with zero bits to a whole byte. Writes at most 2 bytes to codes_out and
 * returns their number; the stream may go on coding from a byte boundary. Returns 0 when
 * nothing was held, or when batch is NULL or a decoder, codes_out is NULL or stream_index is
 * negative or not below the stream count.
 */
G722KIT_API int32_t G722BatchEncoderFlush(G722Batch* batch, int32_t stream_index,
                                          uint8_t* codes_out);

/*
 * Ends stream stream_index of a decoder batch as G722DecoderFlush ends one record: the whole
 * packed code it still holds is decoded and padding bits shorter than a code are dropped.
 * Writes at most 2 samples to pcm_out and returns their number. Padding of as many zero bits as
 * a code decodes as one more code. Returns 0 when nothing was held, or when batch is NULL or an
 * encoder, pcm_out is NULL or stream_index is negative or not below the stream count.
 */
G722KIT_API int32_t G722BatchDecoderFlush(G722Batch* batch, int32_t stream_index, int16_t* pcm_out);

/* Frees a batch and everything it holds; NULL is ignored. */
G722KIT_API void G722BatchRelease(G722Batch* batch);

#ifdef __cplusplus
}
#endif

#endif
