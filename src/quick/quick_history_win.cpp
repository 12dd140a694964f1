#include "quick/quick_history_win.h"

#include "config/config_win.h"
#include "text/code_page.h"

#include <ctime>
#include <map>

namespace {

// Thread timers carry no pointer of their own.
std::map<UINT_PTR, HistoryStore*>& Waiting()
{
    static std::map<UINT_PTR, HistoryStore*> waiting;
    return waiting;
}

}  // namespace

char32_t SystemCaseFold(char32_t c)
{
    if (c < 0x80) return AsciiCaseFold(c);
    if (c > 0xFFFF) return c;
    // CharLowerW takes a single character in the low word of its argument.
    return static_cast<char32_t>(
        reinterpret_cast<UINT_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))) & 0xFFFF);
}

std::string HistoryFileBeside(const std::string& iniFile)
{
    const size_t slash = iniFile.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : iniFile.substr(0, slash + 1)) + "mgoldwk-history.ini";
}

HistoryStore::HistoryStore(std::string path, CaseFold fold) : path_(std::move(path)), history_(fold)
{
    std::string bytes;
    if (ReadWholeFile(path_, bytes) == ReadResult::Ok) history_ = ReadHistory(bytes, SystemCodePage(), fold);
}

HistoryStore::~HistoryStore() { SaveNow(); }

void HistoryStore::Record(const std::string& typed, const std::string& target)
{
    history_.Record(typed, target, static_cast<int64_t>(std::time(nullptr)));
    Changed();
}

bool HistoryStore::Remove(const std::string& target)
{
    if (!history_.Remove(target)) return false;
    Changed();
    return true;
}

void HistoryStore::Clear()
{
    history_.Clear();
    dirty_ = true;
    SaveNow();
}

void HistoryStore::Changed()
{
    dirty_ = true;
    if (timer_) return;
    // A burst of starts is written once.
    timer_ = SetTimer(nullptr, 0, SaveDelayMs, &HistoryStore::SaveLater);
    if (timer_) Waiting()[timer_] = this;
    else SaveNow();
}

void CALLBACK HistoryStore::SaveLater(HWND, UINT, UINT_PTR timer, DWORD)
{
    auto it = Waiting().find(timer);
    if (it == Waiting().end()) {
        KillTimer(nullptr, timer);
        return;
    }
    it->second->SaveNow();
}

void HistoryStore::SaveNow()
{
    if (timer_) {
        KillTimer(nullptr, timer_);
        Waiting().erase(timer_);
        timer_ = 0;
    }
    // A failed write keeps the change for the next one.
    if (dirty_ && ReplaceFileContents(path_, WriteHistory(history_))) dirty_ = false;
}
