// The configuration process as a host meets it: quellan2_updateConfiguration
// of a library copy installed in a folder with a blank in its name starts
// rundll32.exe, and the test works that process's dialog and message box from
// outside, as the user would, through messages to another process's windows.
#include "WindowScript.h"
#include "platform/ScopeExit.h"
#include "support/Environment.h"
#include "support/LoadedPlugin.h"
#include "support/MachineConfiguration.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"
#include "ui/ConfigurationView.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace mq::test {
namespace {

// Only against a hang: starting the process and loading two children take
// seconds under an emulator, never this long.
constexpr auto PATIENCE = std::chrono::seconds(60);
constexpr auto POLL_PERIOD = std::chrono::milliseconds(20);
constexpr int LIST_ID = 1001;
constexpr int MESSAGE_TEXT_ID = 0xFFFF;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The rundll32 processes that this process started.
std::vector<DWORD> runnerProcesses() {
    std::vector<DWORD> found;
    OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return found;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() && sameNameIgnoringCase(entry.szExeFile, "rundll32.exe"))
            found.push_back(entry.th32ProcessID);
    }
    return found;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindowOf(HWND window, LPARAM search) {
    auto* wanted = reinterpret_cast<WindowSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == wanted->processId) wanted->found.push_back(window);
    return TRUE;
}

// The shown top-level windows of a process.
std::vector<HWND> shownWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(collectWindowOf, reinterpret_cast<LPARAM>(&search));
    std::vector<HWND> shown;
    for (HWND window : search.found)
        if (IsWindowVisible(window)) shown.push_back(window);
    return shown;
}

// A shown dialog window titled `title` of a rundll32 process of this one.
HWND runnerDialog(const std::string& title) {
    for (DWORD process : runnerProcesses())
        for (HWND window : shownWindowsOf(process))
            if (className(window) == "#32770" && windowText(window) == title) return window;
    return nullptr;
}

template <typename Condition>
bool waitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + PATIENCE;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(POLL_PERIOD);
    }
    return true;
}

HWND waitForRunnerDialog(const std::string& title) {
    HWND found = nullptr;
    waitFor([&] { return (found = runnerDialog(title)) != nullptr; });
    return found;
}

DWORD processOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// What a click on a button of another process's dialog sends.
void postCommand(HWND dialog, int id, HWND control) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// Memory in another process, for the list view's messages, whose pointers
// are used as they are in the list's own process.
class RemoteMemory {
public:
    RemoteMemory(DWORD processId, std::size_t size)
        : process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId)) {
        if (process)
            address = VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address) VirtualFreeEx(process.get(), address, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool usable() const { return address != nullptr; }
    char* at(std::size_t offset) const { return static_cast<char*>(address) + offset; }
    bool write(std::size_t offset, const void* data, std::size_t size) const {
        SIZE_T written = 0;
        return WriteProcessMemory(process.get(), at(offset), data, size, &written) && written == size;
    }
    bool read(std::size_t offset, void* data, std::size_t size) const {
        SIZE_T got = 0;
        return ReadProcessMemory(process.get(), at(offset), data, size, &got) && got == size;
    }

private:
    OwnedHandle process;
    void* address = nullptr;
};

constexpr std::size_t TEXT_SIZE = 512;

// The texts of the rows of the dialog's list; nothing when the list's
// process does not lend memory for the item records.
std::optional<std::vector<std::string>> remoteRowTexts(HWND dialog) {
    RemoteMemory memory(processOf(dialog), sizeof(LVITEMA) + TEXT_SIZE);
    if (!memory.usable()) return std::nullopt;
    const HWND list = GetDlgItem(dialog, LIST_ID);
    std::vector<std::string> rows;
    const auto count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMA item{};
        item.pszText = memory.at(sizeof(LVITEMA));
        item.cchTextMax = TEXT_SIZE;
        char text[TEXT_SIZE] = {};
        if (!memory.write(0, &item, sizeof(item)) || !memory.write(sizeof(LVITEMA), text, sizeof(text)))
            return std::nullopt;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(memory.at(0)));
        if (!memory.read(sizeof(LVITEMA), text, sizeof(text) - 1)) return std::nullopt;
        rows.emplace_back(text);
    }
    return rows;
}

bool selectRemoteRow(HWND dialog, int row) {
    RemoteMemory memory(processOf(dialog), sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!memory.usable() || !memory.write(0, &item, sizeof(item))) return false;
    return SendMessageA(GetDlgItem(dialog, LIST_ID), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(memory.at(0)));
}

int rowCount(HWND dialog) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, LIST_ID), LVM_GETITEMCOUNT, 0, 0));
}

// What the host's call gave back.
struct UpdateResult {
    QUELLAN2_STATUS status = QUELLAN2_STATUS_ERROR;
    bool stored = false;
    std::string text;
};

class RundllConfigurationTest : public ::testing::Test {
protected:
    RundllConfigurationTest() {
        const std::string installFolder = scratch.file("Multi Quellan");
        fs::create_directory(installFolder);
        library = (fs::path(installFolder) / ("MultiQuellan" MQ_LIBRARY_SUFFIX)).string();
        fs::copy_file(libraryPath("MultiQuellan"), library);
        plugin = std::make_unique<LoadedPlugin>(library);
    }

    void TearDown() override {
        endConfigurationProcess();
        EXPECT_TRUE(runnerProcesses().empty()) << "a configuration process could not be ended";
        (*plugin)->connectionClose(nullptr);
    }

    // Asks for configuration as a host does, on a thread of its own: the call
    // blocks until the configuration process has ended.
    void startUpdate() {
        update = std::async(std::launch::async, [this] {
            UpdateResult result;
            QUELLAN2_STRING newConfiguration = nullptr;
            result.status = (*plugin)->updateConfiguration("", &newConfiguration);
            result.stored = newConfiguration != nullptr;
            if (newConfiguration) result.text = plugin->take(newConfiguration);
            return result;
        });
    }

    bool updateReturned() {
        return update.valid() && update.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

    UpdateResult updateResult() {
        EXPECT_TRUE(waitFor([this] { return updateReturned(); })) << "the configuration process did not end";
        return updateReturned() ? update.get() : UpdateResult{};
    }

    // After a failure: closes what the process still shows, and ends it by
    // its id if it does not go by itself, so that the host's call returns.
    void endConfigurationProcess() {
        if (!update.valid()) return;
        const auto end = std::chrono::steady_clock::now() + PATIENCE;
        while (!updateReturned() && std::chrono::steady_clock::now() < end) {
            for (DWORD process : runnerProcesses())
                for (HWND window : shownWindowsOf(process)) PostMessageA(window, WM_CLOSE, 0, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        for (DWORD process : runnerProcesses()) {
            OwnedHandle running(OpenProcess(PROCESS_TERMINATE, FALSE, process));
            if (running) TerminateProcess(running.get(), 1);
        }
        update.wait();
    }

    std::string libraryIdentity() const {
        QUELLAN2_STRING identity = nullptr;
        if ((*plugin)->getIdentity(&identity) != QUELLAN2_STATUS_OK) return {};
        return plugin->take(identity);
    }

    QUELLAN2_CONNECTION open() const {
        QUELLAN2_CONNECTION connection = nullptr;
        EXPECT_EQ((*plugin)->connectionOpen("", &connection), QUELLAN2_STATUS_OK);
        return connection;
    }

    // The layout the library writes, with the platform's line ends.
    static std::string savedLayout(const std::vector<std::string>& childPaths) {
        std::string text = "<?xml version=\"1.0\" ?>\r\n<settings>\r\n";
        for (const std::string& path : childPaths) text += "    <quellan path=\"" + path + "\" />\r\n";
        return text + "</settings>\r\n";
    }

    MachineConfiguration configuration;
    ScratchFolder scratch{"ui-win32-rundll"};
    SimChild alpha{scratch.path(), "Alpha", "identity Plant A\nnode AlphaArea\n"};
    SimChild beta{scratch.path(), "Beta", "identity Plant B\nnode BetaArea\n"};
    std::string library;
    std::unique_ptr<LoadedPlugin> plugin;
    std::future<UpdateResult> update;
};

// The premise of the tests below, which start rundll32.exe on this library
// and so show that its command line is not split at the blank.
TEST_F(RundllConfigurationTest, TheLibraryPathHasABlankAndItsShortFormHasNone) {
    EXPECT_NE(library.find(' '), std::string::npos) << library;
    char shortPath[1024] = {};
    const DWORD length = GetShortPathNameA(library.c_str(), shortPath, sizeof(shortPath) - 1);
    // Without short names the long path is used as it is.
    if (length != 0) {
        EXPECT_EQ(std::string(shortPath, length).find(' '), std::string::npos) << shortPath;
    }
}

TEST_F(RundllConfigurationTest, OkSavesBothPathsReportsThemAndTheNextConnectionLoadsThem) {
    // Readable, but not the layout the library writes.
    configuration.writeBytes("<settings><quellan path=\"" + alpha.libraryPath() + "\"/><quellan path=\"" +
                             beta.libraryPath() + "\"/></settings>");
    QUELLAN2_CONNECTION before = open();
    ASSERT_EQ(plugin->topNodeNames(before), (std::vector<std::string>{"AlphaArea", "BetaArea"}));
    EXPECT_EQ((*plugin)->connectionClose(before), QUELLAN2_STATUS_OK);

    startUpdate();
    const HWND dialog = waitForRunnerDialog(DIALOG_TITLE);
    ASSERT_NE(dialog, nullptr) << "no configuration dialog appeared";
    const auto rows = remoteRowTexts(dialog);
    ASSERT_TRUE(rows.has_value()) << "the dialog's process lends no memory for its list's rows";
    EXPECT_EQ(*rows, (std::vector<std::string>{"Plant A", "Plant B"}));
    postCommand(dialog, IDOK, GetDlgItem(dialog, IDOK));

    const std::string identity = libraryIdentity();
    const HWND message = waitForRunnerDialog(identity);
    ASSERT_NE(message, nullptr) << "no message box appeared";
    EXPECT_EQ(windowText(GetDlgItem(message, MESSAGE_TEXT_ID)), "Configuration saved to " + configuration.filePath());
    EXPECT_EQ(GetWindow(message, GW_OWNER), nullptr);
    postCommand(message, IDOK, GetDlgItem(message, IDOK));

    const UpdateResult result = updateResult();
    EXPECT_EQ(result.status, QUELLAN2_STATUS_OK);
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(readFile(configuration.filePath()), savedLayout({alpha.libraryPath(), beta.libraryPath()}));

    QUELLAN2_CONNECTION after = open();
    EXPECT_EQ(plugin->topNodeNames(after), (std::vector<std::string>{"AlphaArea", "BetaArea"}));
    EXPECT_EQ((*plugin)->connectionClose(after), QUELLAN2_STATUS_OK);
}

TEST_F(RundllConfigurationTest, ARemovedChildIsGoneFromTheNextConnectionButNotFromAnOpenOne) {
    configuration.writeChildren({alpha.libraryPath(), beta.libraryPath()});
    QUELLAN2_CONNECTION before = open();
    ASSERT_EQ(plugin->topNodeNames(before), (std::vector<std::string>{"AlphaArea", "BetaArea"}));

    startUpdate();
    const HWND dialog = waitForRunnerDialog(DIALOG_TITLE);
    ASSERT_NE(dialog, nullptr) << "no configuration dialog appeared";
    ASSERT_TRUE(selectRemoteRow(dialog, 0));
    // The remove button follows the selection at the dialog's next timer tick.
    const HWND toolbar = FindWindowExA(dialog, nullptr, TOOLBARCLASSNAMEA, nullptr);
    ASSERT_TRUE(waitFor([&] { return SendMessageA(toolbar, TB_ISBUTTONENABLED, REMOVE_COMMAND, 0) != 0; }));
    postCommand(dialog, REMOVE_COMMAND, toolbar);
    ASSERT_TRUE(waitFor([&] { return rowCount(dialog) == 1; }));
    EXPECT_EQ(remoteRowTexts(dialog), (std::vector<std::string>{"Plant B"}));
    postCommand(dialog, IDOK, GetDlgItem(dialog, IDOK));

    const HWND message = waitForRunnerDialog(libraryIdentity());
    ASSERT_NE(message, nullptr) << "no message box appeared";
    postCommand(message, IDOK, GetDlgItem(message, IDOK));
    EXPECT_EQ(updateResult().status, QUELLAN2_STATUS_OK);
    EXPECT_EQ(readFile(configuration.filePath()), savedLayout({beta.libraryPath()}));

    EXPECT_EQ(plugin->topNodeNames(before), (std::vector<std::string>{"AlphaArea", "BetaArea"}));
    EXPECT_EQ((*plugin)->connectionClose(before), QUELLAN2_STATUS_OK);
    QUELLAN2_CONNECTION after = open();
    EXPECT_EQ(plugin->topNodeNames(after), (std::vector<std::string>{"BetaArea"}));
    EXPECT_EQ((*plugin)->connectionClose(after), QUELLAN2_STATUS_OK);
}

TEST_F(RundllConfigurationTest, CancelLeavesTheFileByteForByteAndShowsNoMessage) {
    configuration.writeChildren({alpha.libraryPath(), beta.libraryPath()});
    const std::string before = readFile(configuration.filePath());
    ASSERT_FALSE(before.empty());

    startUpdate();
    const HWND dialog = waitForRunnerDialog(DIALOG_TITLE);
    ASSERT_NE(dialog, nullptr) << "no configuration dialog appeared";
    postCommand(dialog, IDCANCEL, GetDlgItem(dialog, IDCANCEL));

    // The process ends by itself, unless it shows a message first.
    const std::string identity = libraryIdentity();
    bool messageShown = false;
    waitFor([&] { return updateReturned() || (messageShown = runnerDialog(identity) != nullptr); });
    EXPECT_FALSE(messageShown);
    const UpdateResult result = updateResult();
    EXPECT_EQ(result.status, QUELLAN2_STATUS_OK);
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(readFile(configuration.filePath()), before);
}

TEST_F(RundllConfigurationTest, ARundllPlantedInTheHostsCurrentFolderIsNotTheOneStarted) {
    const std::string planted = scratch.file("planted");
    fs::create_directory(planted);
    fs::copy_file(fs::path(binaryFolder()) / "PlantedRundll.exe", fs::path(planted) / "rundll32.exe");
    const std::string marker = scratch.file("planted rundll32 ran");
    setEnvironmentVariable("MQ_TEST_PLANTED_MARKER", marker);
    const fs::path previousFolder = fs::current_path();
    fs::current_path(planted);
    auto restore = platform::ScopeExit([&] { fs::current_path(previousFolder); });

    startUpdate();
    const HWND dialog = waitForRunnerDialog(DIALOG_TITLE);
    ASSERT_NE(dialog, nullptr) << "the system's rundll32 showed no configuration dialog";
    postCommand(dialog, IDCANCEL, GetDlgItem(dialog, IDCANCEL));
    EXPECT_EQ(updateResult().status, QUELLAN2_STATUS_OK);
    EXPECT_FALSE(fs::exists(marker));
}

}  // namespace
}  // namespace mq::test
