// Buttons show pictures beside their captions only in common controls 6, which the
// program's manifest asks for and the test programs do not: windows made while this lives
// get them, through the manifest inside mgoldwk.exe.
#pragma once

#include "driver.h"

#include <windows.h>

#include <string>

class Controls6 {
public:
    Controls6()
    {
        const std::string program = BesideTestProgram("mgoldwk.exe");
        ACTCTXA request{};
        request.cbSize = sizeof(request);
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = program.c_str();
        request.lpResourceName = MAKEINTRESOURCEA(1);
        context_ = CreateActCtxA(&request);
        if (context_ != INVALID_HANDLE_VALUE && !ActivateActCtx(context_, &cookie_)) cookie_ = 0;
    }
    ~Controls6()
    {
        if (cookie_) DeactivateActCtx(0, cookie_);
        if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
    }
    Controls6(const Controls6&) = delete;
    Controls6& operator=(const Controls6&) = delete;
    bool Active() const { return cookie_ != 0; }

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};
