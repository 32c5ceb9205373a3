// The default colour table: one RGBA word (red in the top byte) per sample
// value 0 to 4094, from transparent air through red soft tissue to bone.
#pragma once

#include <cstdint>

namespace volume {

void fillDefaultColorTable(uint32_t table[4095]);

}  // namespace volume
