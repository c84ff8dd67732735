// A message filter in front of a control's own window procedure.
//
// The control's procedure is replaced by the filter (the classic way of
// subclassing), which sees every message first and hands on what it does not
// take. SetWindowSubclass would do the same, but keeps its bookkeeping in
// window properties: under Wine every property lookup is a round trip to the
// Wine server, several per message, which made a list of 20,000 entries take
// seconds to fill. Here the filter finds its owner in the control's user data.
#pragma once

#include <windows.h>

#include "callback_wall.h"

namespace tarvik {

// Hands a message on to the control's own procedure.
class ControlProcedure {
public:
    ControlProcedure(HWND window, WNDPROC procedure) : window_(window), procedure_(procedure) {}
    LRESULT operator()(UINT message, WPARAM wParam, LPARAM lParam) const {
        return CallWindowProcA(procedure_, window_, message, wParam, lParam);
    }

private:
    HWND window_;
    WNDPROC procedure_;
};

namespace detail {

struct FilterLink {
    void* owner;
    WNDPROC previous;
};

// The filter is a wall (callback_wall.h): whatever it throws ends it, the
// message answers 0 and the error goes up to the control's window.
template <typename Owner, LRESULT (Owner::*Filter)(HWND, UINT, WPARAM, LPARAM, const ControlProcedure&)>
LRESULT CALLBACK FilterProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* link = reinterpret_cast<FilterLink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    const ControlProcedure next(window, link->previous);
    if (message == WM_NCDESTROY) {
        // The control goes: its own procedure back, the link released.
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->previous));
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete link;
        return next(message, wParam, lParam);
    }
    try {
        return (static_cast<Owner*>(link->owner)->*Filter)(window, message, wParam, lParam, next);
    } catch (...) {
        PassErrorUp(GetParent(window), CurrentExceptionText());
        return 0;
    }
}

}  // namespace detail

// Puts `Filter`, a member function of `owner`, in front of the control's
// procedure until the control is destroyed. The control's user data belongs
// to the filter from then on; `owner` must outlive the control.
template <typename Owner, LRESULT (Owner::*Filter)(HWND, UINT, WPARAM, LPARAM, const ControlProcedure&)>
void InstallMessageFilter(HWND control, Owner* owner) {
    auto* link = new detail::FilterLink{owner, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC))};
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link));
    SetWindowLongPtrA(control, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(&detail::FilterProcedure<Owner, Filter>));
}

}  // namespace tarvik
