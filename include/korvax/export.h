#ifndef KORVAX_EXPORT_H_
#define KORVAX_EXPORT_H_

// The configurator library is built with hidden visibility; only what carries KORVAX_EXPORT is
// part of its interface.
#define KORVAX_EXPORT __attribute__((visibility("default")))

#endif  // KORVAX_EXPORT_H_
