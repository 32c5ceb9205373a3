#include "scan/import_options.h"

namespace scan {

int Options::effectiveOffset() const {
    if (offsetGiven) return offset;
    if (input != InputKind::Raw) return 1024;
    return layout.type == SampleType::Int16 ? 1024 : 0;
}

}  // namespace scan
