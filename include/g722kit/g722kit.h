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
 * G711ADPCMSoundRecorderStop, which returns a count. No exception ever leaves the library: a
 * failure inside it (no memory, a system lock that fails) is G722KIT_ERR_INTERNAL. Each
 * operation uses static buffers of its own; calls of the same operation are serialised
 * internally, and different operations may run side by side. Only the recorder's audio service
 * allocates, while a device is open.
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
#define G722KIT_ERR_DEVICE_START 3 /* input could not be started, or failed while recording */
#define G722KIT_ERR_WRITE 4        /* the output took fewer bytes than given (a full disk) */
#define G722KIT_ERR_READ 5         /* reading the input file failed */
#define G722KIT_ERR_NULL_PATH 6    /* a path argument was NULL */
#define G722KIT_ERR_PATH 7         /* a path is not valid UTF-16 or is too long */
#define G722KIT_ERR_OPEN_INPUT 8   /* the input file could not be opened, or is a folder */
#define G722KIT_ERR_OPEN_OUTPUT 9  /* the output file could not be opened or created */
#define G722KIT_ERR_SAME_FILE 10   /* input and output name the same file */
#define G722KIT_ERR_HEADER 11      /* the output could not be repositioned to finish its header */
#define G722KIT_ERR_TOO_LARGE 12   /* the output would exceed the 4 GiB a WAV file can describe */
#define G722KIT_ERR_BUSY 13        /* a recording is already running */
#define G722KIT_ERR_INTERNAL 14    /* the library failed inside (no memory, a system lock failed) */

/*
 * Encodes a raw PCM file (signed 16-bit little-endian mono, 8000 samples/s, no header) into
 * a file of G.722 codes, one byte per sample. An odd last byte of the input is ignored.
 *
 * Returns G722KIT_OK, or:
 *   G722KIT_ERR_NULL_PATH     a path is NULL; no file is touched
 *   G722KIT_ERR_PATH          a path cannot be converted; no file is touched
 *   G722KIT_ERR_OPEN_INPUT    the input cannot be opened, or is a folder; the output is not
 *                             touched
 *   G722KIT_ERR_SAME_FILE     both paths name one file; it is not touched
 *   G722KIT_ERR_OPEN_OUTPUT   the output cannot be created
 *   G722KIT_ERR_READ          a read failed; the output keeps the codes written so far
 *   G722KIT_ERR_WRITE         a write failed (a full disk, a pipe whose reader went away, the
 *                             process's file size limit: no SIGPIPE or SIGXFSZ is raised);
 *                             the output keeps the codes written so far
 *   G722KIT_ERR_INTERNAL      the library failed inside; no file is touched
 */
G722KIT_API int32_t G722Encode(const char16_t* inPath, const char16_t* outPath);

/*
 * Decodes a file of G.722 codes (one byte per code, 64000 bit/s, 8 kHz mode, no header) into a
 * WAV file of 16-bit mono PCM at 8000 samples/s: one sample per input byte.
 *
 * Returns G722KIT_OK, or the codes of G722Encode, and:
 *   G722KIT_ERR_READ, G722KIT_ERR_WRITE  the output keeps the samples written so far, and its
 *                             header describes them (half a sample a short write left is cut),
 *                             unless the output cannot be repositioned (a pipe, a device)
 *   G722KIT_ERR_HEADER        the output cannot be repositioned or measured (a pipe, a device):
 *                             the samples were written, but the header, which claims no samples
 *                             until it is finished, could not be finished
 *   G722KIT_ERR_TOO_LARGE     the samples cannot fit the 4 GiB a WAV file can describe: for a
 *                             regular input this is known before anything is written, and the
 *                             output is not touched; an input of unknown length (a pipe) is
 *                             decoded up to the limit, and the header describes what was written
 */
G722KIT_API int32_t G722Decode(const char16_t* inPath, const char16_t* outPath);

/*
 * Starts recording the audio input into a WAV file at path: 16-bit mono PCM at 8000
 * samples/s. A thread of the audio service then appends one second of audio at a time until
 * G711ADPCMSoundRecorderStop; the host does nothing in between. The device is the system's
 * default input (on Linux, ALSA's "default" PCM) unless G711ADPCMSoundRecorderSetDevice named
 * another. path must name a regular file or nothing: an existing file is replaced once the
 * device records, a missing one is created.
 *
 * The file is a valid WAV at every moment: it starts with a header for no audio, and the header
 * is rewritten after each second, so a host that dies while recording leaves a playable file of
 * every completed second. Should a write fail (a full disk, the process's file size limit), or
 * the file reach the 4 GiB a WAV header can describe, no more audio is written, the header keeps
 * describing exactly the seconds written, and G711ADPCMSoundRecorderStatus reports it; the
 * recording still runs until Stop.
 *
 * Returns G722KIT_OK, recording, or one of these, after which nothing records, the file at path
 * is as it was before the call (an existing file untouched, no new file left behind), and the
 * next Start may succeed; a Stop in between returns 0 and touches nothing:
 *   G722KIT_ERR_DEVICE_OPEN   the input device could not be opened (no device, no sound server;
 *                             always, in a library built without audio capture)
 *   G722KIT_ERR_DEVICE_QUEUE  the capture buffer could not be prepared or queued on the device
 *   G722KIT_ERR_DEVICE_START  input could not be started
 *   G722KIT_ERR_NULL_PATH, G722KIT_ERR_PATH  path is NULL, not valid UTF-16 or too long
 *   G722KIT_ERR_OPEN_OUTPUT   the file cannot be opened or created, or path names something
 *                             other than a regular file (a folder, a pipe, a device)
 *   G722KIT_ERR_WRITE         the file's header could not be written
 *   G722KIT_ERR_INTERNAL      the library failed inside
 * or G722KIT_ERR_BUSY: a recording is already running; it goes on untouched, and path is not
 * touched.
 */
G722KIT_API int32_t G711ADPCMSoundRecorderStart(const char16_t* path);

/*
 * Ends the recording begun by G711ADPCMSoundRecorderStart: stops and closes the input device,
 * writes the final header and closes the file. Audio of a second not yet complete is not kept
 * unless the device hands it back on stop; a second handed back partly filled is stored whole,
 * its tail holding what the capture buffer held before. The file is then exactly 44 + 16000 * n
 * bytes: whatever a failed write left beyond the last whole second is cut.
 *
 * Returns n, the number of whole seconds (16000-byte blocks) in the file; whether every second
 * delivered reached it, G711ADPCMSoundRecorderStatus tells. With no recording running it
 * touches no device or file and returns the count as it stands: 0 before the first recording
 * and after a Start that failed, the last recording's count after a Stop.
 *
 * Stop waits for the device to stop, and so blocks for as long as the system's audio driver
 * does: a sound server that hangs can hold it for a minute or more. The file needs no Stop to
 * be valid (see Start), so a host that cannot wait may read it, or end, meanwhile.
 */
G722KIT_API int32_t G711ADPCMSoundRecorderStop(void);

/*
 * Names the capture device that later Starts record from; a recording that runs keeps its own.
 * On Linux name is an ALSA PCM name ("default", "hw:1,0", "plughw:CARD=USB", "pulse"); on
 * Windows it is a device number in decimal ("0", "1", ..., as waveInGetDevCaps counts the input
 * devices). NULL or an empty name chooses the system's default device (ALSA's "default",
 * Windows' WAVE_MAPPER), which is also the choice before any call. A name that names no device
 * makes Start fail with G722KIT_ERR_DEVICE_OPEN.
 *
 * Returns G722KIT_OK, or, changing nothing:
 *   G722KIT_ERR_BUSY          a recording is running
 *   G722KIT_ERR_PATH          name is not valid UTF-16, or longer than 255 UTF-16 units
 *   G722KIT_ERR_INTERNAL      the library failed inside
 */
G722KIT_API int32_t G711ADPCMSoundRecorderSetDevice(const char16_t* name);

/*
 * How the recording since the last Start fares: G722KIT_OK while every second the device
 * delivered has been written (and after a Stop that finished the file cleanly; also before the
 * first recording and after a Start that failed), otherwise the result code of the first
 * failure, kept until the next Start:
 *   G722KIT_ERR_WRITE         a write to the file failed (a full disk, the file size limit;
 *                             no SIGXFSZ is raised), also the final header,
 *                             the cut or the close at Stop
 *   G722KIT_ERR_TOO_LARGE     the file reached the 4 GiB a WAV header can describe
 *   G722KIT_ERR_DEVICE_QUEUE  the device refused the capture buffer back: no more audio came
 *   G722KIT_ERR_DEVICE_START  the device failed while recording (it was removed, the sound
 *                             server went away): no more audio came
 *   G722KIT_ERR_INTERNAL      the library failed inside
 * May be called at any time, from any thread.
 */
G722KIT_API int32_t G711ADPCMSoundRecorderStatus(void);

/* A short English description of one of the result codes above; "unknown result code" for any
 * other value, never NULL. */
G722KIT_API const char* G722KitResultText(int32_t result);

/* The library's version as "major.minor.patch.build", as built. */
G722KIT_API const char* G722KitVersion(void);

#ifdef __cplusplus
}
#endif

#endif
