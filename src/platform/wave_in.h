// Wave input: the audio capture service behind the recorder, shaped after the Win32 waveIn
// functions so that a Windows adapter maps each operation onto one call.
//
// A device is opened with a format and a callback function. The caller prepares and adds
// buffers; after start the service fills the added buffers in order and hands each one back by
// calling the callback with kWimData, on a thread of the service. Every operation that returns
// a result returns kWaveInOk (0) on success and a nonzero kWaveInErr... value otherwise.
#pragma once

#include <cstdint>

namespace g722kit::platform {

// An open input device. Opaque: each service casts its own device record to and from it.
struct WaveInDevice;
using WaveInHandle = WaveInDevice*;

// Results, with the values of the Win32 MMSYSERR_ and WAVERR_ codes of the same meaning.
inline constexpr int32_t kWaveInOk = 0;
inline constexpr int32_t kWaveInErrFailed = 1;         // the device failed or refused
inline constexpr int32_t kWaveInErrNoDevice = 2;       // no device can record the format
inline constexpr int32_t kWaveInErrBadHandle = 5;      // the handle names no open device
inline constexpr int32_t kWaveInErrNoMemory = 7;       // resources for the device ran out
inline constexpr int32_t kWaveInErrBadParameter = 11;  // a null or wrongly sized record
inline constexpr int32_t kWaveInErrBadFormat = 32;     // the format is not supported
inline constexpr int32_t kWaveInErrStillQueued = 33;   // the buffer is still queued
inline constexpr int32_t kWaveInErrNotPrepared = 34;   // the buffer was not prepared

// Messages to the callback (Win32 WIM_OPEN, WIM_CLOSE, WIM_DATA).
inline constexpr uint32_t kWimOpen = 0x3BE;   // sent by open, before it returns
inline constexpr uint32_t kWimClose = 0x3BF;  // sent by close, before it returns
inline constexpr uint32_t kWimData = 0x3C0;   // param1: the WaveBuffer* handed back
// The device failed beyond recovery and hands back nothing more; it only waits to be closed.
// param1: a kWaveInErr value. Win32 has no such message: this one is beyond its numbers.
inline constexpr uint32_t kWimFailed = 0x10000;

// The format asked of the device (Win32 WAVEFORMATEX, with no extra bytes).
inline constexpr uint16_t kWaveFormatPcm = 1;
struct WaveFormat {
  uint16_t format_tag;  // kWaveFormatPcm: integer samples, little-endian
  uint16_t channels;
  uint32_t samples_per_second;
  uint32_t bytes_per_second;
  uint16_t block_align;  // bytes per frame of all channels
  uint16_t bits_per_sample;
};

// Buffer states in WaveBuffer::flags (Win32 WHDR_DONE, WHDR_PREPARED, WHDR_INQUEUE).
inline constexpr uint32_t kWaveBufferDone = 0x01;
inline constexpr uint32_t kWaveBufferPrepared = 0x02;
inline constexpr uint32_t kWaveBufferQueued = 0x10;

// A capture buffer as the service sees it (Win32 WAVEHDR). The caller sets the first six
// fields before prepare; the service owns flags and next while the buffer is prepared, and
// sets bytes_recorded before handing the buffer back.
struct WaveBuffer {
  uint8_t* data;
  uint32_t length;          // size of data in bytes, a whole number of frames
  uint32_t bytes_recorded;  // bytes of data filled when handed back
  uintptr_t user;           // the caller's, untouched
  uint32_t flags;
  uint32_t loops;    // unused in input; kept for the shape of the record
  WaveBuffer* next;  // the service's own link
};

// Called by the service: message is one of the kWim values; instance is the value given to
// open; param1 is the WaveBuffer* for kWimData, the kWaveInErr value for kWimFailed and 0
// otherwise; param2 is always 0. The callback may add a buffer to the device it was called for,
// but must not stop or close it.
using WaveInCallback = void (*)(WaveInHandle device, uint32_t message, uintptr_t instance,
                                uintptr_t param1, uintptr_t param2);

// The operations of a wave-input service. Each buffer operation takes the size of the
// WaveBuffer record, and fails with kWaveInErrBadParameter when it is not sizeof(WaveBuffer).
struct WaveInService {
  // Opens the input device that name names (null or empty: the system's default) for format;
  // on success stores the handle. What a name is, each service documents; a name that names no
  // device fails with kWaveInErrNoDevice.
  int32_t (*open)(WaveInHandle* device, const char16_t* name, const WaveFormat* format,
                  WaveInCallback callback, uintptr_t instance);
  // Readies a buffer for add; a prepared buffer is the caller's to fill in but not to free.
  int32_t (*prepare)(WaveInHandle device, WaveBuffer* buffer, uint32_t size);
  // Queues a prepared buffer behind the buffers already queued.
  int32_t (*add)(WaveInHandle device, WaveBuffer* buffer, uint32_t size);
  // Undoes prepare; fails with kWaveInErrStillQueued while the buffer is queued.
  int32_t (*unprepare)(WaveInHandle device, WaveBuffer* buffer, uint32_t size);
  // Starts filling the queued buffers, and buffers added later.
  int32_t (*start)(WaveInHandle device);
  // Pauses input; queued buffers stay queued. Whether a partly filled buffer is handed back is
  // the service's choice and is documented with it.
  int32_t (*stop)(WaveInHandle device);
  // Ends input, forgets every queued buffer and releases the device. No callback runs after
  // close returns.
  int32_t (*close)(WaveInHandle device);
};

// For the services: checks the buffer and size passed to a buffer operation of a device whose
// frames are frame_bytes long. kWaveInErrBadParameter for a null or wrongly sized record, no
// data, or a length that is not a whole number of frames; kWaveInOk otherwise.
int32_t CheckWaveBuffer(const WaveBuffer* buffer, uint32_t size, uint32_t frame_bytes);

// The service of the system the library is built for, defined by the platform's adapter.
const WaveInService& SystemWaveIn();

// The service in use: the system's, unless tests replaced it.
const WaveInService& WaveIn();

// Replaces the service in use (for tests); nullptr restores the system's. Not to be called
// while a device of the current service is open.
void SetWaveInService(const WaveInService* service);

}  // namespace g722kit::platform
