#pragma once

// Marks the classes that libtolva.so exports; everything else stays inside the library.
#if defined(TOLVA_BUILDING)
#define TOLVA_API __attribute__((visibility("default")))
#else
#define TOLVA_API
#endif
