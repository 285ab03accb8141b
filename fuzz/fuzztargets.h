#pragma once

#include <cstddef>
#include <cstdint>

// Entry points of the fuzz targets. Each one runs a single input and aborts when the code under
// test breaks one of its promises; libFuzzer and the corpus replay call the same function.
int fuzzLibraryFile(const uint8_t *data, size_t size);    // a library file's bytes as read from disk
int fuzzLibraryXml(const uint8_t *data, size_t size);     // the XML text inside a library file
int fuzzOutline(const uint8_t *data, size_t size);        // an outline file given to "-i"
int fuzzUpdateManifest(const uint8_t *data, size_t size); // 64 signature bytes, then update.ini

struct FuzzTarget
{
    const char *name; // the folder under fuzz/corpus; the libFuzzer executable is fuzz_<name>
    int (*run)(const uint8_t *data, size_t size);
};

inline constexpr FuzzTarget kFuzzTargets[] = {
    {"library_compressed", fuzzLibraryFile},
    {"library_xml", fuzzLibraryXml},
    {"outline", fuzzOutline},
    {"manifest", fuzzUpdateManifest},
};
