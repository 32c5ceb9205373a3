#include "app/view_controls.h"

#include <algorithm>
#include <cmath>

#include "app/looks.h"
#include "app/slice_view.h"
#include "app/viewer_state.h"
#include "platform/platform.h"

namespace app {

using namespace platform::win;

ViewControls viewControls;

namespace {

// The cut stays within the cube's reach from its centre.
constexpr float kCutReach = 0.9f;

// Takes look `look` with the current shift: its table, threshold and passes.
void showLook(int look) {
    const int count = static_cast<int>(looks().size());
    viewControls.look = (look % count + count) % count;
    const Look& chosen = looks()[static_cast<std::size_t>(viewControls.look)];
    viewerState.threshold = lookThreshold(chosen, viewControls.shift);
    viewerState.showIsosurface = chosen.isosurface;
    viewerState.showTransparent = chosen.transparent;
    viewerState.projection = chosen.projection;
    viewControls.tableStale = true;
}

void nameLookOnScreen() { viewControls.lookShownUntil = std::chrono::steady_clock::now() + kLookNameTime; }

void shiftLevel(int notches) {
    viewControls.shift += notches;
    viewerState.threshold =
        lookThreshold(looks()[static_cast<std::size_t>(viewControls.look)], viewControls.shift);
    viewControls.tableStale = true;
}

void moveCut(float step) {
    viewControls.cutOffset = std::clamp(viewControls.cutOffset + step, -kCutReach, kCutReach);
}

}  // namespace

float zoomFactor(int zoomStep) { return std::pow(2.0f, static_cast<float>(zoomStep) / 2.0f); }

void startInLook(int look) {
    viewControls = ViewControls();
    viewControls.startLook = look;
    showLook(look);
    // The volume's own table is the first look's.
    viewControls.tableStale = look != 0;
}

bool handleViewCharacter(int character) {
    switch (character) {
    case '+':
    case '=':
        zoomBy(1);
        return true;
    case '-':
        zoomBy(-1);
        return true;
    case 'l':
    case 'L':
        showLook(viewControls.look + (character == 'l' ? 1 : -1));
        nameLookOnScreen();
        return true;
    case '[':
    case ']':
        shiftLevel(character == ']' ? 1 : -1);
        return true;
    case 'c':
        viewControls.cut = !viewControls.cut;
        return true;
    case ',':
        moveCut(kCutStep);  // away from the viewer: slices further back
        return true;
    case '.':
        moveCut(-kCutStep);
        return true;
    case 's':
        viewControls.screenshotWanted = true;
        return true;
    case 'r': {
        const bool lookChanges = viewControls.look != viewControls.startLook || viewControls.shift != 0;
        const bool stale = viewControls.tableStale || lookChanges;
        startInLook(viewControls.startLook);
        viewControls.tableStale = stale;
        resetSliceView();
        return true;
    }
    case 'h':
        viewControls.help = !viewControls.help;
        return true;
    case 'm':
        return toggleLayout();
    case '4':
    case '5':
    case '6':
    case '7':
        return applyWindowPreset(character);
    case 'q':
        platform::postQuitMessage(0);
        return true;
    default:
        return false;
    }
}

bool handleViewKey(unsigned virtualKey) {
    if (virtualKey == VK_F1) return handleViewCharacter('h');
    if (virtualKey == VK_F12) return handleViewCharacter('s');
    if (virtualKey == VK_ESCAPE) return handleViewCharacter('q');
    return false;
}

void zoomBy(int steps) { viewControls.zoomStep = std::clamp(viewControls.zoomStep + steps, 0, kZoomSteps); }

void turnWheel(int delta) {
    viewControls.wheelTurn += delta;
    zoomBy(viewControls.wheelTurn / WHEEL_DELTA);
    viewControls.wheelTurn %= WHEEL_DELTA;
}

bool atStartState() {
    return viewControls.zoomStep == 0 && !viewControls.cut && viewControls.shift == 0 &&
           viewControls.look == viewControls.startLook;
}

}  // namespace app
