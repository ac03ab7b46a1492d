// Reading and working the configuration dialog's controls through window messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mq::test {

HWND listOf(HWND dialog);
HWND toolbarOf(HWND dialog);
// The line under the list.
HWND noteOf(HWND dialog);

// The texts of one of the list's columns (0 the identities, 1 the paths), in row order.
std::vector<std::string> rowTexts(HWND dialog, int column = 0);
// The titles of the list's columns, in order.
std::vector<std::string> columnTitles(HWND dialog);
void selectRow(HWND dialog, int row);
// The first selected row, or -1.
int selectedRow(HWND dialog);
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
