#include "volume/color_table.h"

namespace volume {

void fillDefaultColorTable(uint32_t table[4095]) {
    struct Band {
        int first;
        int last;
        uint32_t word;
    };
    static const Band kBands[] = {
        {0, 299, 0x00000000u},      // air and noise: nothing
        {300, 1099, 0xFF00000Fu},   // soft tissue: faint red
        {1100, 1299, 0xFFFF002Fu},  // denser tissue: yellow
        {1300, 4094, 0xFFFFFFA0u},  // bone: white
    };
    for (const Band& band : kBands) {
        for (int v = band.first; v <= band.last; ++v) table[v] = band.word;
    }
}

}  // namespace volume
