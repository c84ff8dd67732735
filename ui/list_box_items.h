// Filling list boxes with many items at once.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tarvik {

// Appends `items`, in order, as the last items of the list box. Storage for
// all of them is reserved first and the list box neither redraws nor updates
// its scroll bar per item, so 65,535 items cost about as much each as ten;
// the list is repainted once at the end.
void AppendListBoxItems(HWND listBox, const std::vector<std::string>& items);

// Replaces every item of the list box with `items`, leaving it scrolled to the top.
void ReplaceListBoxItems(HWND listBox, const std::vector<std::string>& items);

}  // namespace tarvik
