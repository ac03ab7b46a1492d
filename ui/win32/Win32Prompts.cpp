// Message boxes, questions and the open-file dialog of the configuration process on Windows.
#include "ui/win32/Win32Prompts.h"

#include "ui/ConfigurationView.h"

#include <commdlg.h>

#include <vector>

namespace mq {

namespace {

// Pairs of description and pattern, each ended by a zero, the list by a second zero.
constexpr char LIBRARY_FILTER[] = "Quellan (*.dll)\0*.dll\0All Files (*.*)\0*.*\0";
constexpr DWORD FILE_NAME_SIZE = 1024;

}  // namespace

void Win32Prompts::showMessage(const std::string& text, const std::string& caption) {
    MessageBoxA(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), MB_OK);
}

bool Win32Prompts::askYesNo(const std::string& question, const std::string& caption) {
    // Enter answers No; closing the box is not offered without a Cancel button.
    return MessageBoxA(owner, question.c_str(), caption.empty() ? nullptr : caption.c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool Win32Prompts::chooseLibraryFile(std::string& path) {
    std::vector<char> fileName(FILE_NAME_SIZE, '\0');
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = LIBRARY_FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = FILE_NAME_SIZE;
    dialog.lpstrTitle = OPEN_LIBRARY_TITLE;
    dialog.lpstrDefExt = "dll";
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    if (!GetOpenFileNameA(&dialog)) return false;
    path = fileName.data();
    return true;
}

}  // namespace mq
