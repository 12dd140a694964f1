// The quick-launch history kept in its own file beside the configuration: read once,
// written a few seconds after a change and when the program ends.
#pragma once

#include "quick/quick_history.h"

#include <windows.h>

#include <string>

// The user's case rule for letters beyond ASCII.
char32_t SystemCaseFold(char32_t c);

// "mgoldwk-history.ini" in the folder of the configuration file `iniFile`.
std::string HistoryFileBeside(const std::string& iniFile);

class HistoryStore {
public:
    // Reads `path`; a missing, unreadable or damaged file gives an empty history, quietly.
    HistoryStore(std::string path, CaseFold fold);
    // Writes what is not written yet.
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    const QuickHistory& History() const { return history_; }
    // A start from the box, now.
    void Record(const std::string& typed, const std::string& target);
    // Del on a row: false when the target had no record.
    bool Remove(const std::string& target);
    // Options' "Clear quick-launch history": written at once.
    void Clear();
    // Writes now if anything changed since the file was last written.
    void SaveNow();

    static constexpr UINT SaveDelayMs = 3000;

private:
    void Changed();
    static void CALLBACK SaveLater(HWND, UINT, UINT_PTR timer, DWORD);

    std::string path_;
    QuickHistory history_;
    bool dirty_ = false;
    UINT_PTR timer_ = 0;
};
