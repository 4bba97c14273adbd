/*
 * g722kit host API: file operations on speech audio, and a sound recorder.
 *
 * G722Encode turns raw 16-bit PCM into G.722 codes; G722Decode turns G.722 codes into a WAV
 * file. Both use one codec configuration: 64000 bit/s, 8000 samples per second, lower sub-band
 * only, one code byte per sample. G711ADPCMSoundRecorderStart and G711ADPCMSoundRecorderStop
 * record the audio input into a WAV file of 8000 samples per second. Paths are null-terminated
 * UTF-16 strings.
 *
 * Every operation returns G722KIT_OK (999) on success or one of the codes below, except
 * G711ADPCMSoundRecorderStop, which returns a count. Each operation uses static buffers of its
 * own; calls of the same operation are serialised internally, and different operations may run
 * side by side. Only the recorder's audio service allocates, while a device is open.
 */
#ifndef G722KIT_G722KIT_H
#define G722KIT_G722KIT_H

#include <stdint.h>

#include "g722kit/export.h"
#include "g722kit/version.h"

#ifdef __cplusplus
extern "C" {
#else
#include <uchar.h>
#endif

/* Result codes: the one list of them, with their meanings. The values are fixed and will not be
 * renumbered. Each function below says which of them it returns and what they leave behind. */
#define G722KIT_OK 999             /* the operation completed */
#define G722KIT_ERR_DEVICE_OPEN 1  /* the audio input device could not be opened */
#define G722KIT_ERR_DEVICE_QUEUE 2 /* the capture buffer could not be queued on the device */
#define G722KIT_ERR_DEVICE_START 3 /* audio input could not be started */
#define G722KIT_ERR_WRITE 4        /* the output file took fewer bytes than were written */
#define G722KIT_ERR_READ 5         /* reading the input file failed */
#define G722KIT_ERR_NULL_PATH 6    /* a path argument was NULL */
#define G722KIT_ERR_PATH 7         /* a path is not valid UTF-16 or is too long */
#define G722KIT_ERR_OPEN_INPUT 8   /* the input file could not be opened */
#define G722KIT_ERR_OPEN_OUTPUT 9  /* the output file could not be created */
#define G722KIT_ERR_SAME_FILE 10   /* input and output name the same file */
#define G722KIT_ERR_HEADER 11      /* the output could not be repositioned to finish its header */
#define G722KIT_ERR_TOO_LARGE 12   /* the output would exceed the 4 GiB a WAV file can describe */
#define G722KIT_ERR_BUSY 13        /* a recording is already running */

/*
 * Encodes a raw PCM file (signed 16-bit little-endian mono, 8000 samples/s, no header) into
 * a file of G.722 codes, one byte per sample. An odd last byte of the input is ignored.
 *
 * Returns G722KIT_OK, or:
 *   G722KIT_ERR_NULL_PATH     a path is NULL; no file is touched
 *   G722KIT_ERR_PATH          a path cannot be converted; no file is touched
 *   G722KIT_ERR_OPEN_INPUT    the input cannot be opened; the output is not touched
 *   G722KIT_ERR_SAME_FILE     both paths name one file; it is not touched
 *   G722KIT_ERR_OPEN_OUTPUT   the output cannot be created
 *   G722KIT_ERR_READ          a read failed; the output keeps the codes written so far
 *   G722KIT_ERR_WRITE         a write failed; the output keeps the codes written so far
 */
G722KIT_API int32_t G722Encode(const char16_t* inPath, const char16_t* outPath);

/*
 * Decodes a file of G.722 codes (one byte per code, 64000 bit/s, 8 kHz mode, no header) into a
 * WAV file of 16-bit mono PCM at 8000 samples/s: one sample per input byte.
 *
 * Returns G722KIT_OK, or the codes of G722Encode, and:
 *   G722KIT_ERR_READ, G722KIT_ERR_WRITE  the output keeps the samples written so far behind a
 *                             placeholder header (sizes 16036 and 16000)
 *   G722KIT_ERR_HEADER        the output cannot be repositioned or measured (a pipe, a device):
 *                             the samples were written but the header could not be finished
 *   G722KIT_ERR_TOO_LARGE     the samples would pass the 4 GiB limit of a WAV file; decoding stops
 *                             before it, and the output keeps the placeholder header
 */
G722KIT_API int32_t G722Decode(const char16_t* inPath, const char16_t* outPath);

/*
 * Starts recording the system's default audio input (on Linux, ALSA's "default" PCM) into a
 * new WAV file at path: 16-bit mono PCM at 8000 samples/s. A thread of the audio service then
 * appends one second of audio at a time until G711ADPCMSoundRecorderStop; the host does
 * nothing in between. An existing file at path is replaced.
 *
 * The file is a valid WAV at every moment: it starts with a header for no audio, and the header
 * is rewritten after each second, so a host that dies while recording leaves a playable file of
 * every completed second. Should a write fail (a full disk), or the file reach the 4 GiB a WAV
 * header can describe, no more audio is written and the header keeps describing exactly the
 * seconds written; the recording still runs until Stop.
 *
 * Returns:
 *   G722KIT_OK                recording
 *   G722KIT_ERR_DEVICE_OPEN   the input device could not be opened (no device, no sound server;
 *                             always, in a library built without audio capture)
 *   G722KIT_ERR_DEVICE_QUEUE  the capture buffer could not be queued on the device
 *   G722KIT_ERR_DEVICE_START  input could not be started
 *                             After any of these four the file is open: end the recording with
 *                             G711ADPCMSoundRecorderStop, which closes device and file and, after
 *                             a failure, leaves a valid WAV of no audio.
 *   G722KIT_ERR_BUSY          a recording is already running (or awaits its Stop after a failed
 *                             start); it goes on untouched, and path is not touched
 *   G722KIT_ERR_NULL_PATH, G722KIT_ERR_PATH  path is NULL, not valid UTF-16 or too long
 *   G722KIT_ERR_OPEN_OUTPUT   the file cannot be created
 *   G722KIT_ERR_WRITE         the file was created but its header could not be written
 *                             After any of these four nothing is recording, the device was not
 *                             opened, and G711ADPCMSoundRecorderStop returns 0 touching nothing.
 */
G722KIT_API int32_t G711ADPCMSoundRecorderStart(const char16_t* path);

/*
 * Ends the recording begun by G711ADPCMSoundRecorderStart: stops and closes the input device,
 * writes the final header and closes the file. Audio of a second not yet complete is not kept
 * unless the device hands it back on stop; a second handed back partly filled is stored whole,
 * its tail holding what the capture buffer held before. The file is then 44 + 16000 * n bytes.
 *
 * Returns n, the number of whole seconds (16000-byte blocks) in the file. With no recording
 * running it touches no device or file and returns the count as it stands: 0 before the first
 * recording and after a Start that failed without opening the device, the last recording's
 * count after a Stop.
 */
G722KIT_API int32_t G711ADPCMSoundRecorderStop(void);

/* A short English description of one of the result codes above; "unknown result code" for any
 * other value, never NULL. */
G722KIT_API const char* G722KitResultText(int32_t result);

/* The library's version as "major.minor.patch.build", as built. */
G722KIT_API const char* G722KitVersion(void);

#ifdef __cplusplus
}
#endif

#endif
