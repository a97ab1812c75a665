// Symbol visibility for the Kelvo shared library: everything is hidden unless marked.
#ifndef KELVO_EXPORT_H_
#define KELVO_EXPORT_H_

#if defined(KELVO_BUILDING_LIBRARY)
#define KELVO_EXPORT __attribute__((visibility("default")))
#else
#define KELVO_EXPORT
#endif

#endif  // KELVO_EXPORT_H_
