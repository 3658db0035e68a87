#include "platform/linux/x11/DisplaySleep.h"

// Xlibint.h first: the request macros and the extension headers below lean on it.
#include <X11/Xlibint.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/dpmsproto.h>
#include <X11/extensions/scrnsaver.h>

namespace nimbo::x11 {
namespace {

// The DPMS library of this system predates the event, so the request is sent
// as the protocol spells it.
void selectDpmsEvents(Display* display, int opcode) {
    LockDisplay(display);
    auto* request = static_cast<xDPMSSelectInputReq*>(_XGetRequest(display, X_DPMSSelectInput, sz_xDPMSSelectInputReq));
    request->reqType = static_cast<CARD8>(opcode);
    request->dpmsReqType = X_DPMSSelectInput;
    request->eventMask = DPMSInfoNotifyMask;
    UnlockDisplay(display);
    if (display->synchandler) display->synchandler(display);
}

// Xlib knows no DPMS events; this keeps them as generic events it hands on
// (the power level is asked for afterwards).
Bool keepDpmsEvent(Display*, XGenericEventCookie* cookie, xEvent* wire) {
    const auto* generic = reinterpret_cast<const xGenericEvent*>(wire);
    cookie->type = GenericEvent;
    cookie->extension = generic->extension;
    cookie->evtype = generic->evtype;
    cookie->data = nullptr;
    return True;
}

}  // namespace

std::shared_ptr<DisplaySleep> DisplaySleep::watch(std::function<void()> slept) {
    std::shared_ptr<DisplaySleep> watch(new DisplaySleep(std::move(slept)));
    return watch->connect() ? watch : nullptr;
}

DisplaySleep::~DisplaySleep() {
    if (connection_) connection_->close();
}

bool DisplaySleep::connect() {
    connection_ = XConnection::open([this](XEvent& event) { handle(event); });
    if (!connection_) return false;
    Display* display = connection_->display();

    int eventBase = 0, errorBase = 0;
    if (XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
        screenSaverEvent_ = eventBase + ScreenSaverNotify;
        XScreenSaverSelectInput(display, connection_->root(), ScreenSaverNotifyMask);
    }

    int major = 0, minor = 0, firstEvent = 0, firstError = 0, opcode = 0;
    if (XQueryExtension(display, DPMSExtensionName, &opcode, &firstEvent, &firstError) &&
        DPMSGetVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 2))) {
        dpmsOpcode_ = opcode;
        XESetWireToEventCookie(display, opcode, keepDpmsEvent);
        selectDpmsEvents(display, opcode);
    }
    XFlush(display);
    return true;
}

void DisplaySleep::handle(XEvent& event) {
    if (event.type == screenSaverEvent_) {
        if (reinterpret_cast<XScreenSaverNotifyEvent&>(event).state == ScreenSaverOn) slept_();
        return;
    }
    if (event.type == GenericEvent && event.xcookie.extension == dpmsOpcode_ &&
        event.xcookie.evtype == DPMSInfoNotify) {
        CARD16 level = DPMSModeOn;
        BOOL enabled = False;
        if (DPMSInfo(connection_->display(), &level, &enabled) && enabled && level != DPMSModeOn) slept_();
    }
}

}  // namespace nimbo::x11
