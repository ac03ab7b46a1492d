// The configuration dialog drawn with plain Win32: a dialog from this
// library's resources, a comctl32 toolbar and a list view in list mode.
#pragma once

#include "ui/ConfigurationView.h"

#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>
#include <string>
#include <type_traits>

namespace mq {

class Win32Prompts;

// The identifier of the timer that drives the button-state update.
constexpr UINT_PTR BUTTON_UPDATE_TIMER = 1;
// The toolbar's child-window identifier, the application framework's usual one.
constexpr int TOOLBAR_CONTROL_ID = 0xE800;

class Win32ConfigurationView final : public ConfigurationView {
public:
    // `resources` is the module holding the dialog template, the toolbar and
    // its strings. `prompts`, when given, is owned by the dialog while it runs.
    Win32ConfigurationView(HINSTANCE resources, Win32Prompts* prompts);
    ~Win32ConfigurationView() override;

    int runModal(MultiQuellanConfig& model) override;
    void insertRow(std::size_t position, const std::string& identity, const std::string& path) override;
    void removeRow(std::size_t position) override;
    void moveRow(std::size_t from, std::size_t to) override;
    void selectRow(std::size_t position) override;
    std::optional<std::size_t> selectedRow() const override;
    void setButtonsEnabled(const ButtonStates& states) override;
    void redraw() override;
    void startTimer(unsigned periodMilliseconds) override;

private:
    struct ImageListDeleter {
        void operator()(HIMAGELIST images) const { ImageList_Destroy(images); }
    };

    // Where the controls were when the dialog opened; resizing moves them by
    // the change of the client area's size.
    struct Layout {
        SIZE client{};
        SIZE window{};
        RECT list{};
        RECT note{};
        RECT ok{};
        RECT cancel{};
        int toolbarHeight = 0;
    };

    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise();
    void createToolbar();
    void createColumns();
    void fitColumns();
    void widenForRows();
    std::string itemText(std::size_t row, int column) const;
    void recordLayout();
    void applyLayout(int width, int height);
    bool fillToolTip(NMHDR* header);
    void fail();

    HINSTANCE resources;
    Win32Prompts* prompts;
    MultiQuellanConfig* model = nullptr;
    HWND dialog = nullptr;
    HWND list = nullptr;
    HWND toolbar = nullptr;
    std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter> images;
    Layout layout;
    // An exception of the model cannot cross the window system's frames: it is
    // kept, the dialog ends, and runModal throws it again.
    std::exception_ptr failure;
};

}  // namespace mq
