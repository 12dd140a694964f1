// Functions taken from a system library at run time, by ordinal or by name: whether this
// system has them and can run them, and a call that an unimplemented one cannot end.
// Wine exports many functions it lacks as stubs that stop the whole process when called;
// the program must stay alive (and keep the user's unsaved edits) instead.
#pragma once

#include <windows.h>

#include <optional>
#include <type_traits>
#include <variant>

enum class FunctionState {
    Available,
    Missing,  // no such module or export
    Stub,     // exported, but only to stop the process when called (Wine)
};

// Runs call(context); when an unimplemented function is reached from it, the call is
// abandoned at that point and false comes back. The frames it abandons must own nothing.
[[nodiscard]] bool RunGuarded(void (*call)(void*), void* context);

template <typename F>
[[nodiscard]] bool CallGuarded(F& call)
{
    return RunGuarded([](void* f) { (*static_cast<F*>(f))(); }, &call);
}

class SystemFunction {
public:
    // The module is loaded when it is not yet, and stays loaded.
    static SystemFunction ByOrdinal(const char* module, WORD ordinal);
    static SystemFunction ByName(const char* module, const char* name);

    FunctionState State() const { return state_; }

    // Calls the function as Fn (a function pointer type) through the guard: nothing when
    // it is missing or a stub, and a stub found by calling counts as one from then on.
    template <typename Fn, typename... Args>
    [[nodiscard]] auto Call(Args... args)
    {
        using R = std::invoke_result_t<Fn, Args...>;
        using Returned = std::conditional_t<std::is_void_v<R>, std::monostate, R>;
        std::optional<Returned> result;
        if (state_ != FunctionState::Available) return result;
        Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(proc_));
        Returned value{};
        auto call = [&] {
            if constexpr (std::is_void_v<R>)
                fn(args...);
            else
                value = fn(args...);
        };
        if (!CallGuarded(call)) {
            state_ = FunctionState::Stub;
            return result;
        }
        result = value;
        return result;
    }

private:
    explicit SystemFunction(FARPROC proc);

    FARPROC proc_ = nullptr;
    FunctionState state_ = FunctionState::Missing;
};

// Waits up to `withinMs` for a worker thread to end, cancelling a read it is blocked in
// every `cancelEveryMs` (CancelSynchronousIo, Vista and later; without it a hung read is
// simply left). False when it still runs.
bool EndWorkerThread(HANDLE thread, DWORD withinMs, DWORD cancelEveryMs = 50);
