#pragma once
// Writing into a std::string through a plain pointer, for the converters' inner loops.

#include <cstddef>
#include <string>

namespace morvaline {

// Appends to out what write(char* at) puts at `at`, which must be at most room bytes;
// write returns the end of what it wrote. The string grows by room first and is cut back
// to what was written, so the writer neither checks nor grows the buffer byte by byte.
template <class Writer>
void appendThrough(std::string& out, std::size_t room, Writer&& write) {
    const std::size_t at = out.size();
    out.resize(at + room);
    char* const end = write(out.data() + at);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace morvaline
