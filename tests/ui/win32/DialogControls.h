// Reading and working the configuration dialog's controls through window messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mq::test {

HWND listOf(HWND dialog);
HWND toolbarOf(HWND dialog);

// The texts of the list's rows, in row order.
std::vector<std::string> rowTexts(HWND dialog);
void selectRow(HWND dialog, int row);
void clearSelection(HWND dialog);

bool buttonEnabled(HWND dialog, int command);
// What a click on a toolbar button sends.
void pressToolbarButton(HWND dialog, int command);
// What a click on OK or Cancel sends.
void pressButton(HWND dialog, int id);

// A control's rectangle in the dialog's client coordinates.
RECT rectangleIn(HWND dialog, HWND control);
// A rectangle of the template, in dialog units, converted to pixels.
RECT templateRectangle(HWND dialog, int x, int y, int width, int height);

}  // namespace mq::test
