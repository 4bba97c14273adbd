// Descriptions of the result codes of the host API. A switch over constants: it cannot throw.
#include "g722kit/g722kit.h"

extern "C" const char* G722KitResultText(int32_t result) {
  switch (result) {
    case G722KIT_OK:
      return "success";
    case G722KIT_ERR_DEVICE_OPEN:
      return "the audio input device could not be opened";
    case G722KIT_ERR_DEVICE_QUEUE:
      return "the capture buffer could not be queued on the audio device";
    case G722KIT_ERR_DEVICE_START:
      return "audio input could not be started, or failed while recording";
    case G722KIT_ERR_WRITE:
      return "writing the output file failed";
    case G722KIT_ERR_READ:
      return "reading the input file failed";
    case G722KIT_ERR_NULL_PATH:
      return "a path is missing (null)";
    case G722KIT_ERR_PATH:
      return "a path is not valid UTF-16 or is too long";
    case G722KIT_ERR_OPEN_INPUT:
      return "the input file could not be opened";
    case G722KIT_ERR_OPEN_OUTPUT:
      return "the output file could not be created";
    case G722KIT_ERR_SAME_FILE:
      return "input and output are the same file";
    case G722KIT_ERR_HEADER:
      return "the output cannot be repositioned to finish its WAV header";
    case G722KIT_ERR_TOO_LARGE:
      return "the output would exceed the 4 GiB limit of a WAV file";
    case G722KIT_ERR_BUSY:
      return "a recording is already running";
    case G722KIT_ERR_INTERNAL:
      return "internal failure";
    default:
      return "unknown result code";
  }
}
