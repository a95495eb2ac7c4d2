#include "InstrumentStream.h"

#include <cstdio>

std::string MakeInstrumentStream(std::size_t count)
{
    std::string stream;
    char line[96];
    for (unsigned n = 0; stream.size() < count; ++n) {
        std::snprintf(line, sizeof line, "Messwert %05u: U=%2u.%03u V I=%u.%03u A T=%2u.%u C Status OK\r\n", n % 100000,
                      n % 24, n * 7 % 1000, n % 3, n * 13 % 1000, 20 + n % 9, n % 10);
        stream += line;
    }
    stream.resize(count);
    return stream;
}
