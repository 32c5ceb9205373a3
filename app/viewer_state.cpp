#include "app/viewer_state.h"

namespace app {

ViewerState viewerState;

}  // namespace app
