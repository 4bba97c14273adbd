/* Export macro for the g722kit public API. */
#ifndef G722KIT_EXPORT_H
#define G722KIT_EXPORT_H

/* G722KIT_STATIC: the library is linked statically (set by the package for static builds).
 * G722KIT_BUILDING: the library itself is being compiled. */
#if defined(G722KIT_STATIC)
#define G722KIT_API
#elif defined(_WIN32)
#if defined(G722KIT_BUILDING)
#define G722KIT_API __declspec(dllexport)
#else
#define G722KIT_API __declspec(dllimport)
#endif
#else
#define G722KIT_API __attribute__((visibility("default")))
#endif

#endif
