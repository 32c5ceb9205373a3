// Viewer mode's loop: work off every queued message, draw a frame when
// something changed, and otherwise wait for the next event, so that the
// process rests while the picture does. While a drag moves, frames are drawn
// into a smaller part of the buffer; the full picture follows once the
// pointer has rested.
#include <GL/gl.h>

#include <algorithm>
#include <chrono>

#include "app/buffer_size.h"
#include "app/interactor_style.h"
#include "app/slice_view.h"
#include "app/view_controls.h"
#include "app/viewer.h"

namespace app {

using namespace platform::win;

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds until `due`, at least 1.
int millisecondsUntil(Clock::time_point due, Clock::time_point now) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
    return static_cast<int>(std::max<long long>(1, left));
}

// How long the loop may wait for input: until the full picture after a drag
// or the look's name going, or without end.
int waitLimit(Clock::time_point now, bool nameShown) {
    int limit = -1;
    const auto consider = [&](Clock::time_point due) {
        const int wait = millisecondsUntil(due, now);
        limit = limit < 0 ? wait : std::min(limit, wait);
    };
    if (drawRequest.moving) consider(drawRequest.lastMove + kSettleTime);
    if (nameShown) consider(viewControls.lookShownUntil);
    return limit;
}

}  // namespace

int runDemandLoop(Viewer& viewer) {
    DragStyle& style = useDragStyle();
    bool nameShown = false;  // the last frame showed the look's name
    bool laidOut = false;
    bool laidOutFour = false;
    drawRequest = DrawRequest();
    for (;;) {
        platform::Message message;
        while (platform::peekMessage(message, PM_REMOVE)) {
            if (message.message == WM_QUIT) return kExitNormal;
            platform::translateMessage(message);
            drawRequest.sliceInput = false;
            platform::dispatchMessage(message);
            // A motion changes something only within a drag, which says so.
            if (message.message != WM_MOUSEMOVE) {
                drawRequest.wanted = true;
                if (!drawRequest.sliceInput) drawRequest.volumeStale = true;
            }
        }
        int width = 0, height = 0;
        platform::clientSize(viewer.window, width, height);
        if (!laidOut || width != viewer.windowWidth || height != viewer.windowHeight ||
            laidOutFour != sliceView.fourPanes) {
            laidOut = true;
            laidOutFour = sliceView.fourPanes;
            layOutWindow(viewer, width, height);
            style.setPicture(viewer.window, viewer.pictureX, viewer.pictureY, viewer.pictureSide);
            style.setPanes(viewer.panes, viewer.sliceSamples);
            drawRequest.wanted = true;
            drawRequest.volumeStale = true;
        }
        const Clock::time_point now = Clock::now();
        if (drawRequest.moving && now - drawRequest.lastMove >= kSettleTime) {
            drawRequest.moving = false;
            drawRequest.wanted = true;
            drawRequest.volumeStale = true;
        }
        if (nameShown && now >= viewControls.lookShownUntil) drawRequest.wanted = true;
        if (!drawRequest.wanted) {
            platform::waitMessage(waitLimit(now, nameShown));
            continue;
        }
        drawRequest.wanted = false;
        const bool volumeToo = drawRequest.volumeStale;
        drawRequest.volumeStale = false;
        if (volumeToo) viewer.drawEdge = drawRequest.moving ? dragBufferEdge(viewer.pbufferEdge) : 0;
        if (!drawFrame(viewer, volumeToo)) {
            // NOTE: a context that cannot be made current now will not come
            // back (the display went away); say so once and stop.
            showCreationError();
            return kExitCannotStart;
        }
        nameShown = now < viewControls.lookShownUntil;
    }
}

}  // namespace app
